#include "mail/storage/CompoundFileCheck.h"

#include <cstring>
#include <vector>

#include "mail/frame/Trace.h"
#include "platform/system/Handles.h"

namespace
{

constexpr DWORD kMaxRegularSector = 0xFFFFFFFA;
constexpr DWORD kEndOfChain = 0xFFFFFFFE;
constexpr DWORD kNoStream = 0xFFFFFFFF;
constexpr DWORD kHeaderFatEntries = 109;
constexpr DWORD kEntrySize = 128;
constexpr DWORD kMiniSectorSize = 64;
constexpr DWORD kMiniStreamCutoff = 4096;
constexpr BYTE kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

// Object types of directory entries.
constexpr BYTE kStorage = 1;
constexpr BYTE kStream = 2;
constexpr BYTE kRoot = 5;

DWORD Read32(const BYTE *at)
{
    return static_cast<DWORD>(at[0]) | static_cast<DWORD>(at[1]) << 8 | static_cast<DWORD>(at[2]) << 16 |
           static_cast<DWORD>(at[3]) << 24;
}

WORD Read16(const BYTE *at)
{
    return static_cast<WORD>(at[0] | at[1] << 8);
}

class CCompoundFile
{
  public:
    explicit CCompoundFile(HANDLE file) : m_file(file)
    {
    }

    HRESULT Check()
    {
        LARGE_INTEGER size = {};
        if (!::GetFileSizeEx(m_file, &size))
            return HRESULT_FROM_WIN32(::GetLastError());
        BYTE header[512];
        if (size.QuadPart < static_cast<LONGLONG>(sizeof(header)))
            return STG_E_FILEALREADYEXISTS;
        if (!ReadAt(0, header, sizeof(header)))
            return m_hr;
        if (memcmp(header, kSignature, sizeof(kSignature)) != 0)
            return STG_E_FILEALREADYEXISTS;
        if (ReadHeader(header, static_cast<ULONGLONG>(size.QuadPart)) && ReadFat(header) &&
            ReadDirectory(Read32(header + 48)) && ReadMiniFat(Read32(header + 60)) && WalkDirectory())
            return S_OK;
        if (m_damage != nullptr)
            DebugPrintf(POSTREL_TRACE, L"The compound file is damaged: %hs.\n", m_damage);
        return m_hr;
    }

  private:
    bool Damaged(const char *what)
    {
        m_damage = what;
        m_hr = STG_E_DOCFILECORRUPT;
        return false;
    }

    bool ReadAt(ULONGLONG offset, BYTE *buffer, DWORD bytes)
    {
        LARGE_INTEGER at = {};
        at.QuadPart = static_cast<LONGLONG>(offset);
        DWORD read = 0;
        if (!::SetFilePointerEx(m_file, at, nullptr, FILE_BEGIN) || !::ReadFile(m_file, buffer, bytes, &read, nullptr))
        {
            m_hr = HRESULT_FROM_WIN32(::GetLastError());
            return false;
        }
        // The last sector of a file may be short: the rest reads as zeros.
        memset(buffer + read, 0, bytes - read);
        return true;
    }

    bool ReadSector(DWORD sector, std::vector<BYTE> &buffer)
    {
        if (sector >= m_sectorCount)
            return Damaged("a sector past the end of the file");
        buffer.resize(m_sectorSize);
        return ReadAt((static_cast<ULONGLONG>(sector) + 1) * m_sectorSize, buffer.data(), m_sectorSize);
    }

    bool ReadHeader(const BYTE *header, ULONGLONG fileSize)
    {
        const WORD major = Read16(header + 26), shift = Read16(header + 30);
        if (Read16(header + 28) != 0xFFFE || !((major == 3 && shift == 9) || (major == 4 && shift == 12)) ||
            Read16(header + 32) != 6 || Read32(header + 56) != kMiniStreamCutoff)
            return Damaged("a header of another format");
        m_major = major;
        m_sectorSize = 1u << shift;
        const ULONGLONG sectors = (fileSize + m_sectorSize - 1) / m_sectorSize - 1;
        m_sectorCount = sectors < kMaxRegularSector ? static_cast<DWORD>(sectors) : kMaxRegularSector;
        return true;
    }

    // The sector allocation table: its sectors are listed in the header and then in a chain of list sectors.
    bool ReadFat(const BYTE *header)
    {
        const DWORD fatSectors = Read32(header + 44);
        if (fatSectors > m_sectorCount)
            return Damaged("more table sectors than the file has");
        std::vector<DWORD> list;
        for (DWORD i = 0; i < kHeaderFatEntries && list.size() < fatSectors; ++i)
            list.push_back(Read32(header + 76 + 4 * i));
        DWORD next = Read32(header + 68);
        const DWORD perListSector = m_sectorSize / 4 - 1;
        std::vector<BYTE> sector;
        for (DWORD visited = 0; list.size() < fatSectors; ++visited)
        {
            if (visited > m_sectorCount)
                return Damaged("a table list that runs in a circle");
            if (!ReadSector(next, sector))
                return false;
            for (DWORD i = 0; i < perListSector && list.size() < fatSectors; ++i)
                list.push_back(Read32(sector.data() + 4 * i));
            next = Read32(sector.data() + 4 * perListSector);
        }
        m_fat.clear();
        m_fat.reserve(static_cast<size_t>(fatSectors) * (m_sectorSize / 4));
        for (DWORD fatSector : list)
        {
            if (!ReadSector(fatSector, sector))
                return false;
            for (DWORD i = 0; i < m_sectorSize / 4; ++i)
                m_fat.push_back(Read32(sector.data() + 4 * i));
        }
        m_fatUsed.assign(m_fat.size(), false);
        return true;
    }

    // The sectors of a chain, in order. A chain that leaves the file or the table, or meets a sector that
    // a chain has taken already (its own, in a circle, or another's), is damage.
    bool Chain(DWORD start, const std::vector<DWORD> &table, std::vector<bool> &used, DWORD limit,
               std::vector<DWORD> *chain, ULONGLONG &length)
    {
        length = 0;
        for (DWORD at = start; at != kEndOfChain; at = table[at])
        {
            if (at >= limit || at >= table.size())
                return Damaged("a chain that leaves the file");
            if (used[at])
                return Damaged("a chain that runs in a circle or into another");
            used[at] = true;
            if (chain != nullptr)
                chain->push_back(at);
            ++length;
        }
        return true;
    }

    bool ReadDirectory(DWORD start)
    {
        std::vector<DWORD> chain;
        ULONGLONG length = 0;
        if (!Chain(start, m_fat, m_fatUsed, m_sectorCount, &chain, length))
            return false;
        m_directory.clear();
        std::vector<BYTE> sector;
        for (DWORD at : chain)
        {
            if (!ReadSector(at, sector))
                return false;
            m_directory.insert(m_directory.end(), sector.begin(), sector.end());
        }
        return EntryCount() > 0 || Damaged("no directory");
    }

    bool ReadMiniFat(DWORD start)
    {
        std::vector<DWORD> chain;
        ULONGLONG length = 0;
        if (!Chain(start, m_fat, m_fatUsed, m_sectorCount, &chain, length))
            return false;
        m_miniFat.clear();
        std::vector<BYTE> sector;
        for (DWORD at : chain)
        {
            if (!ReadSector(at, sector))
                return false;
            for (DWORD i = 0; i < m_sectorSize / 4; ++i)
                m_miniFat.push_back(Read32(sector.data() + 4 * i));
        }
        m_miniFatUsed.assign(m_miniFat.size(), false);
        return true;
    }

    DWORD EntryCount() const
    {
        return static_cast<DWORD>(m_directory.size() / kEntrySize);
    }
    const BYTE *Entry(DWORD id) const
    {
        return m_directory.data() + static_cast<size_t>(id) * kEntrySize;
    }
    ULONGLONG StreamSize(const BYTE *entry) const
    {
        // Files of the first version keep only the low half; the high half may hold anything.
        const ULONGLONG low = Read32(entry + 120), high = Read32(entry + 124);
        return m_major == 3 ? low : low | high << 32;
    }

    bool CheckStream(const BYTE *entry, DWORD miniSectors)
    {
        const ULONGLONG size = StreamSize(entry);
        const DWORD start = Read32(entry + 116);
        ULONGLONG length = 0;
        if (size == 0)
            return true;
        if (size < kMiniStreamCutoff)
            return Chain(start, m_miniFat, m_miniFatUsed, miniSectors, nullptr, length) &&
                   (length * kMiniSectorSize >= size || Damaged("a small stream longer than its chain"));
        return Chain(start, m_fat, m_fatUsed, m_sectorCount, nullptr, length) &&
               (length * m_sectorSize >= size || Damaged("a stream longer than its chain"));
    }

    // Every entry is reached once from the root, through links that stay in the directory.
    bool WalkDirectory()
    {
        const BYTE *root = Entry(0);
        if (root[66] != kRoot)
            return Damaged("no root entry");
        const ULONGLONG container = StreamSize(root);
        ULONGLONG length = 0;
        if (!Chain(Read32(root + 116), m_fat, m_fatUsed, m_sectorCount, nullptr, length))
            return false;
        if (length * m_sectorSize < container)
            return Damaged("a small-stream container longer than its chain");
        const ULONGLONG miniSectors = container / kMiniSectorSize;
        const DWORD miniLimit = miniSectors < kMaxRegularSector ? static_cast<DWORD>(miniSectors) : 0;

        std::vector<bool> seen(EntryCount(), false);
        seen[0] = true;
        std::vector<DWORD> pending{Read32(root + 76)};
        while (!pending.empty())
        {
            const DWORD id = pending.back();
            pending.pop_back();
            if (id == kNoStream)
                continue;
            if (id >= EntryCount())
                return Damaged("a link that leaves the directory");
            if (seen[id])
                return Damaged("directory links that run in a circle");
            seen[id] = true;
            const BYTE *entry = Entry(id);
            const WORD nameBytes = Read16(entry + 64);
            if (nameBytes < 2 || nameBytes > 64 || nameBytes % 2 != 0)
                return Damaged("an entry without a name");
            if (entry[66] == kStream)
            {
                if (!CheckStream(entry, miniLimit))
                    return false;
            }
            else if (entry[66] == kStorage)
            {
                pending.push_back(Read32(entry + 76));
            }
            else
            {
                return Damaged("a link to an unused entry");
            }
            pending.push_back(Read32(entry + 68));
            pending.push_back(Read32(entry + 72));
        }
        return true;
    }

    HANDLE m_file;
    HRESULT m_hr = S_OK;
    const char *m_damage = nullptr;
    WORD m_major = 3;
    DWORD m_sectorSize = 512;
    DWORD m_sectorCount = 0;
    std::vector<DWORD> m_fat;
    std::vector<bool> m_fatUsed;
    std::vector<DWORD> m_miniFat;
    std::vector<bool> m_miniFatUsed;
    std::vector<BYTE> m_directory;
};

} // namespace

HRESULT CheckCompoundFile(LPCWSTR pszPath)
{
    CKernelHandle file(::CreateFileW(pszPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
    {
        const DWORD error = ::GetLastError();
        return error == ERROR_SHARING_VIOLATION ? STG_E_SHAREVIOLATION : HRESULT_FROM_WIN32(error);
    }
    return CCompoundFile(file).Check();
}
