#include "mail/storage/StreamDigest.h"

#include <wincrypt.h>

#include <vector>

#include "mail/frame/Trace.h"

namespace
{

class CCryptProvider
{
  public:
    CCryptProvider() : m_h(0)
    {
        if (!::CryptAcquireContextW(&m_h, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
            m_h = 0;
    }
    ~CCryptProvider()
    {
        if (m_h != 0)
            ::CryptReleaseContext(m_h, 0);
    }
    CCryptProvider(const CCryptProvider &) = delete;
    CCryptProvider &operator=(const CCryptProvider &) = delete;
    HCRYPTPROV Get() const
    {
        return m_h;
    }

  private:
    HCRYPTPROV m_h;
};

class CCryptHash
{
  public:
    explicit CCryptHash(HCRYPTPROV provider) : m_h(0)
    {
        if (provider == 0 || !::CryptCreateHash(provider, CALG_SHA_256, 0, 0, &m_h))
            m_h = 0;
    }
    ~CCryptHash()
    {
        if (m_h != 0)
            ::CryptDestroyHash(m_h);
    }
    CCryptHash(const CCryptHash &) = delete;
    CCryptHash &operator=(const CCryptHash &) = delete;
    HCRYPTHASH Get() const
    {
        return m_h;
    }

  private:
    HCRYPTHASH m_h;
};

HRESULT LastError()
{
    DWORD error = ::GetLastError();
    return error != 0 ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

} // namespace

HRESULT DigestStream(IStream *pStream, StreamDigest &digest)
{
    if (pStream == nullptr)
        return E_INVALIDARG;
    CCryptProvider provider;
    CCryptHash hash(provider.Get());
    if (hash.Get() == 0)
        return POSTREL_CALL(LastError());
    LARGE_INTEGER start = {};
    HRESULT hr = POSTREL_CALL(pStream->Seek(start, STREAM_SEEK_SET, nullptr));
    std::vector<BYTE> buffer(64 * 1024);
    while (SUCCEEDED(hr))
    {
        ULONG read = 0;
        hr = POSTREL_CALL(pStream->Read(buffer.data(), static_cast<ULONG>(buffer.size()), &read));
        if (FAILED(hr) || read == 0)
            break;
        if (!::CryptHashData(hash.Get(), buffer.data(), read, 0))
            hr = POSTREL_CALL(LastError());
    }
    if (FAILED(hr))
        return hr;
    DWORD size = sizeof(digest.bytes);
    if (!::CryptGetHashParam(hash.Get(), HP_HASHVAL, digest.bytes, &size, 0) || size != sizeof(digest.bytes))
        return POSTREL_CALL(LastError());
    return S_OK;
}
