// The SHA-256 digest of a stream's bytes: two messages of the same size are the same message only when their
// digests are.
#pragma once
#include <objidl.h>
#include <windows.h>

#include <cstring>

struct StreamDigest
{
    BYTE bytes[32];

    friend bool operator==(const StreamDigest &a, const StreamDigest &b)
    {
        return memcmp(a.bytes, b.bytes, sizeof(a.bytes)) == 0;
    }
    friend bool operator!=(const StreamDigest &a, const StreamDigest &b)
    {
        return !(a == b);
    }
};

// Digests the stream from its start to its end; the stream is left at its end.
HRESULT DigestStream(IStream *pStream, StreamDigest &digest);
