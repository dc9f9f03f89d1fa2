// What the trees ask of the shell about single items: an item's kind (its description identifier), icons and
// display names of paths, the Desktop's entry and folder shortcuts.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <initializer_list>

#include "platform/text/String.h"

// The description identifier (SHDID_...) of an item of the folder, and with clsid the class of a root item.
// The platform is asked first; where it cannot tell (Wine answers no item at all) the item's parsing name does:
// "::{class}" is a root item of that class, a drive root gives its drive type's identifier (removable, fixed,
// network, CD-ROM, RAM disk, other), "\\server" a server and "\\server\share" a share, an existing folder or file
// a directory or a file, anything else a network item of another kind. FALSE when the item has no name at all.
BOOL ShellGetDescriptionId(IShellFolder *folder, LPCITEMIDLIST item, DWORD *id, CLSID *clsid = nullptr);
// The identifier a parsing name gives (the second half above); FALSE for an empty name.
BOOL DescriptionIdOfParsingName(const CString &name, DWORD *id, CLSID *clsid);

// The small system icon index of a path: a directory's for an existing directory, else a normal file's of that
// name (by its extension), without touching the file. 0 when the shell fails.
int ShellIconIndexOfPath(LPCWSTR path);
// The in-folder display name of the path's item; empty when the shell cannot parse it.
CString ShellDisplayNameOfPath(HWND owner, LPCWSTR path);

// The Desktop as an entry of a tree: the icon of a ".DeskLink" name, the user's desktop directory and its
// display name.
struct ShellDesktopEntry
{
    int icon;
    wchar_t name[MAX_PATH];
    wchar_t path[MAX_PATH];
};
// FALSE (the record zeroed) when the desktop directory cannot be found or does not exist.
BOOL GetShellDesktopEntry(ShellDesktopEntry &entry);

// A node attribute bit of a tree and the shell attribute that sets it.
struct ShellAttributeBit
{
    SFGAOF shell;
    DWORD bit;
};
// The bits whose shell attribute the item of the folder has; 0 when the shell cannot tell.
DWORD ShellItemBits(IShellFolder *folder, LPCITEMIDLIST item, std::initializer_list<ShellAttributeBit> bits);
// The look of a tree item showing a shell item, from the node attribute bits that both trees give alike (1 ghosted,
// 2 shared, 4 a link): drawn cut when ghosted, overlay 1 when shared, else overlay 2 when a link. The state's mask
// is TVIS_CUT | TVIS_OVERLAYMASK.
UINT ShellItemTreeState(DWORD attributes);

// A path that names a folder shortcut (a folder the shell shows as a link) becomes its target with one trailing
// backslash, or empty when the target is missing or cannot be read; any other path comes back as it is.
CString ResolveFolderShortcut(const CString &path);
