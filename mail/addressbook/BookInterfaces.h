// The Windows Address Book as the platform offers it: the library "wab32.dll" with its entry WABOpen, the
// library object (the book's memory), the address book, its containers, tables and mail users. Every buffer
// the book hands out (entry ids, row sets, each row's and each user's property arrays) is freed with the
// library object's FreeBuffer; nothing of the platform's MAPI library is used.
#pragma once
#include <objbase.h>
#include <windows.h>

#include <mapicode.h>
#include <mapidefs.h>
#include <mapitags.h>
#include <wabiab.h>

#include <wabapi.h>

// The mail-user interface of an entry made by IABContainer::CreateEntry.
constexpr IID IID_IMailUser = {0x0002030A, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
