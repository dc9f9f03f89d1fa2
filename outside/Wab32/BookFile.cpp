#include "outside/Wab32/BookFile.h"

#include <mapidefs.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace wabstandin
{

namespace
{

constexpr DWORD kMagic = 0x42415721; // "!WAB"

struct BlockHeader
{
    DWORD magic;
    BlockHeader *more; // blocks chained to this one, freed with it
};
static_assert(sizeof(BlockHeader) == 16, "data stays 16-byte aligned");

LONG g_liveBlocks = 0;

BlockHeader *HeaderOf(void *block)
{
    BlockHeader *header = static_cast<BlockHeader *>(block) - 1;
    return header->magic == kMagic ? header : nullptr;
}

std::string ToHex(const std::string &bytes, size_t unit)
{
    std::string text;
    char digits[3];
    for (size_t i = 0; i + unit <= bytes.size(); i += unit)
    {
        // UTF-16 units are written high byte first, as numbers.
        for (size_t j = unit; j-- > 0;)
        {
            snprintf(digits, sizeof(digits), "%02X", static_cast<unsigned char>(bytes[i + j]));
            text += digits;
        }
    }
    return text;
}

bool FromHex(const std::string &text, size_t unit, std::string &bytes)
{
    bytes.clear();
    if (text.size() % (unit * 2) != 0)
        return false;
    for (size_t i = 0; i < text.size(); i += unit * 2)
    {
        std::string group(unit, '\0');
        for (size_t j = 0; j < unit; ++j)
        {
            char *end = nullptr;
            const std::string pair = text.substr(i + j * 2, 2);
            const long value = strtol(pair.c_str(), &end, 16);
            if (end != pair.c_str() + 2)
                return false;
            group[unit - 1 - j] = static_cast<char>(value);
        }
        bytes += group;
    }
    return true;
}

bool ParseValue(Property &prop, const std::string &text)
{
    switch (PROP_TYPE(prop.tag))
    {
    case PT_I2:
    case PT_LONG:
    case PT_CURRENCY:
    case PT_BOOLEAN:
    case PT_I8:
        prop.integer = strtoll(text.c_str(), nullptr, 10);
        return true;
    case PT_R4:
    case PT_DOUBLE:
    case PT_APPTIME:
        prop.real = strtod(text.c_str(), nullptr);
        return true;
    case PT_STRING8:
    case PT_BINARY:
        return FromHex(text, 1, prop.bytes);
    case PT_UNICODE:
        return FromHex(text, 2, prop.bytes);
    case PT_MV_UNICODE: {
        std::istringstream words(text);
        std::string word, bytes;
        while (words >> word)
        {
            if (!FromHex(word, 2, bytes))
                return false;
            prop.values.push_back(bytes);
        }
        return true;
    }
    default:
        return false;
    }
}

std::string FormatValue(const Property &prop)
{
    char number[64];
    switch (PROP_TYPE(prop.tag))
    {
    case PT_R4:
    case PT_DOUBLE:
    case PT_APPTIME:
        snprintf(number, sizeof(number), "%.17g", prop.real);
        return number;
    case PT_STRING8:
    case PT_BINARY:
        return ToHex(prop.bytes, 1);
    case PT_UNICODE:
        return ToHex(prop.bytes, 2);
    case PT_MV_UNICODE: {
        std::string text;
        for (const std::string &value : prop.values)
            text += (text.empty() ? "" : " ") + ToHex(value, 2);
        return text;
    }
    default:
        snprintf(number, sizeof(number), "%lld", prop.integer);
        return number;
    }
}

} // namespace

bool IsBookType(ULONG type)
{
    switch (type)
    {
    case PT_I2:
    case PT_LONG:
    case PT_R4:
    case PT_DOUBLE:
    case PT_CURRENCY:
    case PT_APPTIME:
    case PT_BOOLEAN:
    case PT_I8:
    case PT_STRING8:
    case PT_UNICODE:
    case PT_BINARY:
    case PT_MV_UNICODE:
        return true;
    default:
        return false;
    }
}

bool ReadBook(const std::wstring &path, std::vector<Entry> &entries)
{
    entries.clear();
    FILE *file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr)
        return ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
    std::string text;
    char buffer[4096];
    for (size_t read; (read = fread(buffer, 1, sizeof(buffer), file)) > 0;)
        text.append(buffer, read);
    fclose(file);

    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
    {
        while (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        if (line.compare(0, 6, "entry ") == 0)
        {
            Entry entry;
            if (sscanf(line.c_str() + 6, "%lu %lu", &entry.id, &entry.type) != 2)
                return false;
            entries.push_back(entry);
            continue;
        }
        const size_t blank = line.find(' ');
        Property prop;
        prop.tag = strtoul(line.substr(0, blank).c_str(), nullptr, 16);
        if (entries.empty() || !ParseValue(prop, blank == std::string::npos ? "" : line.substr(blank + 1)))
            return false;
        entries.back().props.push_back(prop);
    }
    return true;
}

bool WriteBook(const std::wstring &path, const std::vector<Entry> &entries)
{
    std::ostringstream text;
    for (const Entry &entry : entries)
    {
        text << "entry " << entry.id << ' ' << entry.type << "\n";
        for (const Property &prop : entry.props)
        {
            char tag[16];
            snprintf(tag, sizeof(tag), "%08lX", prop.tag);
            text << tag << ' ' << FormatValue(prop) << "\n";
        }
    }
    FILE *file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr)
        return false;
    const std::string bytes = text.str();
    const bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

HRESULT Allocate(ULONG size, void **block)
{
    if (block == nullptr)
        return E_INVALIDARG;
    auto *header = static_cast<BlockHeader *>(calloc(1, sizeof(BlockHeader) + size));
    *block = nullptr;
    if (header == nullptr)
        return E_OUTOFMEMORY;
    header->magic = kMagic;
    ::InterlockedIncrement(&g_liveBlocks);
    *block = header + 1;
    return S_OK;
}

HRESULT AllocateMore(ULONG size, void *parent, void **block)
{
    BlockHeader *owner = parent != nullptr ? HeaderOf(parent) : nullptr;
    if (owner == nullptr)
        return E_INVALIDARG;
    HRESULT hr = Allocate(size, block);
    if (FAILED(hr))
        return hr;
    BlockHeader *header = static_cast<BlockHeader *>(*block) - 1;
    header->more = owner->more;
    owner->more = header;
    return S_OK;
}

HRESULT Free(void *block)
{
    if (block == nullptr)
        return S_OK;
    BlockHeader *header = HeaderOf(block);
    if (header == nullptr)
        return E_INVALIDARG;
    while (header != nullptr)
    {
        BlockHeader *next = header->more;
        header->magic = 0;
        free(header);
        ::InterlockedDecrement(&g_liveBlocks);
        header = next;
    }
    return S_OK;
}

LONG LiveBlocks()
{
    return g_liveBlocks;
}

} // namespace wabstandin
