// One typed value as it is written into a stream of a backup file (little-endian, no padding): the 16-bit
// type code, then
//   - 1, 2, 4 or 8 bytes for the numbers, booleans, error codes, currency and dates (types 2-7, 10, 11, 16-23);
//   - for an object (9, 13): its class id and what it saves of itself, or a null class id for no object;
//   - for anything else (a string among them): the value as text, a 32-bit byte count and that many bytes of
//     UTF-16 text with its terminator; a null string has count 0 and no bytes.
#pragma once
#include <objidl.h>
#include <oaidl.h>

// Writes the value; nothing is written when it cannot be (an object that cannot save itself, a value that
// has no text). E_INVALIDARG for a null stream.
HRESULT WriteValue(IStream *pStream, const VARIANT &value);

// Reads one value into *pValue (cleared first) when its type is vtExpected (0: any). A file's value never
// makes an object: types 9 and 13 are refused. On failure (E_FAIL for a short read, another type, a string
// count of 1 or above 0x100000, an object) the stream is put back where the value began.
HRESULT ReadValue(IStream *pStream, VARTYPE vtExpected, VARIANT *pValue);

// The largest string in bytes, terminator included.
constexpr ULONG MAX_VALUE_STRING_BYTES = 0x100000;
