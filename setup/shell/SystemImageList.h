// CSystemImageList: the program's copy of the shell's system image lists, with the program's own tree images
// (bitmap 429) after the shell's small icons, and the icon indices of paths as they are asked for. One instance,
// g_systemImageList, set up once by the main window (Init) and used on the user-interface thread.
#pragma once
#include <windows.h>

#include <map>

#include "platform/drawing/ImageList.h"
#include "platform/text/String.h"

class CSystemImageList
{
  public:
    CSystemImageList() = default;
    CSystemImageList(const CSystemImageList &) = delete;
    CSystemImageList &operator=(const CSystemImageList &) = delete;

    // Once: copies the shell's small and large system image lists and adds bitmap 429's images (16 pixels wide,
    // white transparent) to the small copy. Later calls do nothing. A list the shell does not give stays empty.
    void Init();
    bool IsInitialised() const
    {
        return m_initialised;
    }

    CImageList &GetSmallList()
    {
        return m_small;
    }
    CImageList &GetLargeList()
    {
        return m_large;
    }
    // The index in the small list of bitmap 429's first image; -1 when it was not added.
    int GetProgramImageBase() const
    {
        return m_programImageBase;
    }
    // The small icon index of a path (ShellIconIndexOfPath), asked once per path.
    int GetIconIndex(const CString &path);

  private:
    CImageList m_small;
    CImageList m_large;
    std::map<CString, int> m_iconIndices;
    int m_programImageBase = -1;
    bool m_initialised = false;
};

extern CSystemImageList g_systemImageList;

// The shell's own system image list (small or large icons, taken from the Desktop item), not owned: it must never
// be destroyed. Null when the shell gives none.
HIMAGELIST ShellSystemImageList(bool small);
