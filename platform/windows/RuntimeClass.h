// Run-time class information: a class's name, size, base class and (for DECLARE_DYNCREATE) a factory that makes
// an object of it by its class record, so that a window can be created from a class chosen at run time.
//
// A class declares DECLARE_DYNAMIC(theClass) or DECLARE_DYNCREATE(theClass) in its body and defines
// IMPLEMENT_DYNAMIC(theClass, baseClass) or IMPLEMENT_DYNCREATE(theClass, baseClass) in one source file;
// RUNTIME_CLASS(theClass) gives its record. Every class that has a message map derives from CCmdTarget, the root
// of the records; a class without a declaration of its own answers with the record of its nearest declared base.
#pragma once
#include <windows.h>

class CCmdTarget;

struct CRuntimeClass
{
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    // Null for a class declared DECLARE_DYNAMIC: it cannot be made from its record.
    CCmdTarget *(*m_pfnCreateObject)();
    // Null for the root.
    const CRuntimeClass *(*m_pfnGetBaseClass)();

    // A new object of the class on the heap; null when the class has no factory.
    CCmdTarget *CreateObject() const;
    // TRUE when this class is pBaseClass or derives from it.
    BOOL IsDerivedFrom(const CRuntimeClass *pBaseClass) const;
};

#define RUNTIME_CLASS(theClass) (theClass::GetThisClass())

#define DECLARE_DYNAMIC(theClass)                                                                                      \
  public:                                                                                                              \
    static const CRuntimeClass *GetThisClass();                                                                        \
    const CRuntimeClass *GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(theClass)                                                                                    \
    DECLARE_DYNAMIC(theClass)                                                                                          \
    static CCmdTarget *CreateObject();

// The record is a function's static, so that it is there whatever the order in which files are initialised.
#define AFX_IMPLEMENT_RUNTIMECLASS(theClass, baseClass, pfnCreate)                                                     \
    const CRuntimeClass *theClass::GetThisClass()                                                                      \
    {                                                                                                                  \
        static const CRuntimeClass record = {#theClass, static_cast<int>(sizeof(theClass)), pfnCreate,                 \
                                             &baseClass::GetThisClass};                                                \
        return &record;                                                                                                \
    }                                                                                                                  \
    const CRuntimeClass *theClass::GetRuntimeClass() const                                                             \
    {                                                                                                                  \
        return GetThisClass();                                                                                         \
    }

#define IMPLEMENT_DYNAMIC(theClass, baseClass) AFX_IMPLEMENT_RUNTIMECLASS(theClass, baseClass, nullptr)

#define IMPLEMENT_DYNCREATE(theClass, baseClass)                                                                       \
    CCmdTarget *theClass::CreateObject()                                                                               \
    {                                                                                                                  \
        return new theClass;                                                                                           \
    }                                                                                                                  \
    AFX_IMPLEMENT_RUNTIMECLASS(theClass, baseClass, &theClass::CreateObject)
