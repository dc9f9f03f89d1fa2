// The stand-in's book file (see Wab32StandIn.h) and its memory.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace wabstandin
{

struct Property
{
    ULONG tag = 0;
    LONGLONG integer = 0;
    double real = 0;
    // Strings and binaries: their bytes (UTF-16 texts as little-endian units); lists: one per value.
    std::string bytes;
    std::vector<std::string> values;
};

struct Entry
{
    DWORD id = 0;
    ULONG type = 0;
    std::vector<Property> props;
};

// The types a property of the book may have.
bool IsBookType(ULONG type);

bool ReadBook(const std::wstring &path, std::vector<Entry> &entries);
bool WriteBook(const std::wstring &path, const std::vector<Entry> &entries);

// The book's memory: blocks freed with their chained blocks.
HRESULT Allocate(ULONG size, void **block);
HRESULT AllocateMore(ULONG size, void *parent, void **block);
HRESULT Free(void *block);
LONG LiveBlocks();

} // namespace wabstandin
