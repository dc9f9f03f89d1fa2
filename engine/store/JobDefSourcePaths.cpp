// Whether a candidate destination lies inside one of a job's sources or contains one.
#include <shlwapi.h>

#include <vector>

#include "engine/store/JobDef.h"
#include "engine/program/NetPath.h"
#include "engine/store/SourceList.h"

namespace
{

struct SourceEntry
{
    CString path;
    // The "path" of every child element (the files chosen in the source folder).
    std::vector<CString> childPaths;
};

// The comparable form of a stored path: trimmed, then normalised.
CString ComparablePath(CString path)
{
    path.Trim(L"\n\r\t ");
    wchar_t normal[kNetPathChars];
    NormalizeNetworkPath(path, normal);
    return CString(normal);
}

bool BeginsWithNoCase(const CString &text, const CString &prefix)
{
    const int n = prefix.GetLength();
    return text.GetLength() >= n && ::CompareStringOrdinal(text, n, prefix, n, TRUE) == CSTR_EQUAL;
}

} // namespace

BOOL CJobDef::IsPathInJobSources(LPCWSTR path) const
{
    if (m_element == nullptr)
        XmlRaiseError(E_POINTER);
    if (path == nullptr || path[0] == L'\0')
        return FALSE;

    // Read the sources first: normalising may wait on the network, and the DOM lock must not wait with it.
    std::vector<SourceEntry> sources;
    {
        XmlDomLock lock;
        XmlElementIterator children(m_element);
        while (children.Next())
        {
            if (children.GetName() != L"src")
                continue;
            SourceEntry entry;
            entry.path = GetXmlPathAttribute(children.GetElement());
            XmlElementIterator files(children.GetElement());
            while (files.Next())
                entry.childPaths.push_back(GetXmlPathAttribute(files.GetElement()));
            sources.push_back(std::move(entry));
        }
    }

    wchar_t normal[kNetPathChars];
    NormalizeNetworkPath(path, normal);
    const CString candidate(normal);
    const bool candidateIsFolder = ::PathIsDirectoryW(candidate) != FALSE;

    for (const SourceEntry &source : sources)
    {
        if (!source.childPaths.empty() && !candidateIsFolder)
        {
            for (const CString &file : source.childPaths)
            {
                if (BeginsWithNoCase(ComparablePath(file), candidate))
                    return TRUE;
            }
            continue;
        }
        const CString folder = ComparablePath(source.path);
        // The source is the candidate or lies inside it.
        if (BeginsWithNoCase(folder, candidate))
            return TRUE;
        // A source that ends with a backslash (a drive root, a folder) covers every longer path below it.
        // Case is ignored, as everywhere on these file systems, and the source must lead the candidate:
        // otherwise a job could back up into its own source.
        const int length = folder.GetLength();
        if (length > 0 && candidate.GetLength() > length && BeginsWithNoCase(candidate, folder) &&
            candidate[length - 1] == L'\\')
            return TRUE;
    }
    return FALSE;
}
