// Test stand-in for the Windows Address Book library "wab32.dll", never shipped. Its builds lie in subfolders of
// the test programs' folder ("wab32_full", and "wab32_nowabopen" without WABOpen), never beside a program; the
// tests point the mail library at one of them.
//
// The book is a text file that the tests write and read directly, one item per line:
//
//     entry 7 6                the entry's id and object type (6 a mail user, 8 a distribution list)
//     3001001F 0042006F0062    a property: its tag in hex, then its value by the tag's type:
//                                2, 3, 6, 11, 20   a decimal integer
//                                4, 5, 7           a decimal number
//                                30, 0x102         the bytes in hex, two digits each
//                                31                the UTF-16 units in hex, four digits each
//                                0x101F            such UTF-16 texts, separated by single blanks
//
// Entries come in file order. An entry's PR_ENTRYID and PR_OBJECT_TYPE are not written: they follow from its
// id and type. A missing file is an empty book; SaveChanges of a new user gives it the id after the highest.
#pragma once
#include <windows.h>

#ifdef WAB32_STANDIN_BUILDING
#define WAB32_STANDIN_API extern "C" __declspec(dllexport)
#else
#define WAB32_STANDIN_API extern "C"
#endif

// Test controls, reached through GetProcAddress.
// The book file of every address book opened from now on.
WAB32_STANDIN_API void Wab32SetBook(const wchar_t *path);
// Forgets the book file, the scripted failures and the call counts.
WAB32_STANDIN_API void Wab32Reset(void);
// Makes calls fail with hr: "WABOpen" and "GetPAB" on their which-th call (from 1), "GetProps" on the
// which-th call of a user's GetProps, "SetProps" on every call that sets the tag which.
WAB32_STANDIN_API void Wab32ScriptFailure(const wchar_t *call, DWORD which, HRESULT hr);
// Buffers of the book's memory that are not freed.
WAB32_STANDIN_API LONG Wab32LiveBuffers(void);

typedef void (*PFN_WAB32_SET_BOOK)(const wchar_t *);
typedef void (*PFN_WAB32_RESET)(void);
typedef void (*PFN_WAB32_SCRIPT_FAILURE)(const wchar_t *, DWORD, HRESULT);
typedef LONG (*PFN_WAB32_LIVE_BUFFERS)(void);
