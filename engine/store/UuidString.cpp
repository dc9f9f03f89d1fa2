#include "engine/store/UuidString.h"

#include <rpc.h>

BOOL CUuidString::Create()
{
    m_text.Empty();
    UUID uuid;
    const RPC_STATUS status = UuidCreate(&uuid);
    if (status != RPC_S_OK && status != RPC_S_UUID_LOCAL_ONLY && status != RPC_S_UUID_NO_ADDRESS)
        return FALSE;
    RPC_WSTR text = nullptr;
    if (UuidToStringW(&uuid, &text) != RPC_S_OK || !text)
        return FALSE;
    m_text = reinterpret_cast<LPCWSTR>(text);
    RpcStringFreeW(&text);
    m_text.MakeLower();
    return TRUE;
}
