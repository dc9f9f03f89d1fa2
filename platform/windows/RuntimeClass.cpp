#include "platform/windows/RuntimeClass.h"

#include "platform/windows/MessageMap.h"

CCmdTarget *CRuntimeClass::CreateObject() const
{
    return m_pfnCreateObject != nullptr ? m_pfnCreateObject() : nullptr;
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass *pBaseClass) const
{
    if (pBaseClass == nullptr)
        return FALSE;
    for (const CRuntimeClass *record = this; record != nullptr;
         record = record->m_pfnGetBaseClass != nullptr ? record->m_pfnGetBaseClass() : nullptr)
    {
        if (record == pBaseClass)
            return TRUE;
    }
    return FALSE;
}

const CRuntimeClass *CCmdTarget::GetThisClass()
{
    static const CRuntimeClass record = {"CCmdTarget", static_cast<int>(sizeof(CCmdTarget)), nullptr, nullptr};
    return &record;
}

const CRuntimeClass *CCmdTarget::GetRuntimeClass() const
{
    return GetThisClass();
}

BOOL CCmdTarget::IsKindOf(const CRuntimeClass *pClass) const
{
    return GetRuntimeClass()->IsDerivedFrom(pClass);
}
