#include "engine/run/TargetFolders.h"

#include "engine/run/FileOpsSeams.h"
#include "platform/system/Handles.h"

namespace
{

bool IsDotEntry(LPCWSTR name)
{
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

CString UpperName(LPCWSTR name)
{
    CString key(name);
    key.MakeUpper();
    return key;
}

} // namespace

WIN32_FILE_ATTRIBUTE_DATA AttributeDataOf(const WIN32_FIND_DATAW &found)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    data.dwFileAttributes = found.dwFileAttributes;
    data.ftCreationTime = found.ftCreationTime;
    data.ftLastAccessTime = found.ftLastAccessTime;
    data.ftLastWriteTime = found.ftLastWriteTime;
    data.nFileSizeHigh = found.nFileSizeHigh;
    data.nFileSizeLow = found.nFileSizeLow;
    return data;
}

void CTargetFolders::Enter(size_t depth, const CString &path)
{
    if (m_levels.size() <= depth)
        m_levels.resize(depth + 1);
    Level &level = m_levels[depth];
    level.path = path;
    level.ready = false;
    level.entries.clear();
    level.ambiguous.clear();
    if (path.IsEmpty())
        level.state = State::Unknown;
    else if (depth > 0 && m_levels[depth - 1].state == State::Absent)
        level.state = State::Absent;
    else
        level.state = State::NotListed;
}

void CTargetFolders::List(Level &level)
{
    WIN32_FIND_DATAW found;
    CFindHandle listing(g_pfnFindFirstFile(level.path + L"*", &found));
    if (!listing.IsValid())
    {
        const DWORD error = ::GetLastError();
        level.state = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? State::Absent : State::Unknown;
        return;
    }
    do
    {
        if (IsDotEntry(found.cFileName))
            continue;
        const CString key = UpperName(found.cFileName);
        if (!level.entries.emplace(key, AttributeDataOf(found)).second)
            level.ambiguous.insert(key);
    } while (g_pfnFindNextFile(listing, &found));
    if (::GetLastError() != ERROR_NO_MORE_FILES)
    {
        // What is missing from a listing that broke off is not known to be absent.
        level.state = State::Unknown;
        level.entries.clear();
        level.ambiguous.clear();
        return;
    }
    level.state = State::Listed;
    level.ready = true;
}

CTargetFolders::Known CTargetFolders::Find(size_t depth, const CString &target, WIN32_FILE_ATTRIBUTE_DATA &data,
                                           bool &present)
{
    present = false;
    if (depth >= m_levels.size())
        return Known::Unknown;
    Level &level = m_levels[depth];
    const int slash = target.ReverseFind(L'\\');
    if (level.path.IsEmpty() || slash + 1 != level.path.GetLength() || target.Left(slash + 1) != level.path)
        return Known::Unknown;
    const LPCWSTR name = target.GetString() + slash + 1;
    if (level.state == State::NotListed)
        List(level);
    if (level.state == State::Absent)
        return Known::Absent;
    if (level.state != State::Listed)
        return Known::Unknown;
    const CString key = UpperName(name);
    if (level.ambiguous.count(key) != 0)
        return Known::Unknown;
    auto entry = level.entries.find(key);
    if (entry != level.entries.end())
    {
        data = entry->second;
        present = true;
    }
    return Known::Listed;
}

CTargetFolders::Level *CTargetFolders::LevelOf(size_t depth, const CString &folder)
{
    if (depth >= m_levels.size() || m_levels[depth].path.IsEmpty() || m_levels[depth].path != folder)
        return nullptr;
    return &m_levels[depth];
}

bool CTargetFolders::IsReady(size_t depth, const CString &folder) const
{
    return depth < m_levels.size() && m_levels[depth].ready && !folder.IsEmpty() && m_levels[depth].path == folder;
}

void CTargetFolders::SetReady(size_t depth, const CString &folder, bool existed)
{
    Level *level = LevelOf(depth, folder);
    if (level == nullptr)
        return;
    level->ready = true;
    // A folder thought missing that stands after all may hold anything.
    if (existed && level->state == State::Absent)
        level->state = State::Unknown;
}

bool CTargetFolders::MakeMissing(size_t depth, const CString &folder)
{
    return LevelOf(depth, folder) != nullptr && MakeLevel(depth);
}

bool CTargetFolders::MakeLevel(size_t depth)
{
    Level &level = m_levels[depth];
    if (level.ready)
        return true;
    if (level.state != State::Absent)
        return false;
    if (depth > 0 && m_levels[depth - 1].state == State::Absent)
        MakeLevel(depth - 1);
    if (!::CreateDirectoryW(level.path, nullptr))
        return false;
    level.ready = true;
    return true;
}
