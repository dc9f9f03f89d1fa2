// What the source pages share: the view they take from the main window and the painting of their background.
//
// A source page serves the new-job wizard and the main window's backup and restore pages. In the main window the
// view follows the window's view state: 1 and 2 the backup page (and a backup running), 3 and 4 the restore page
// (and a restore running). A wizard page always takes the backup view.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <functional>
#include <vector>

#include "platform/text/Geometry.h"
#include "platform/text/String.h"
#include "setup/sourcepage/RestoreSave.h"

class CDC;
class CSyncJob;
class CWnd;
class FilterNode;
class FiltersMedia;
struct IXMLDOMElement;

// The main window's view state; 0 without a main window.
int MainWindowViewState();
// True when a page of the main window (not a wizard page) takes the restore view now.
bool IsRestoreViewFor(int wizardFlag);

// Paints a page's background in one step through an off-screen surface: the main window's page picture of the
// view (the restore picture in the restore view) over area (in the page's client coordinates: the host's client
// area as the page lies in it), then what draw adds. A picture that is not loaded leaves the page's grey.
void PaintSourcePageBackground(CWnd &page, CDC &dc, bool restoreView, const CRect &area,
                               const std::function<void(Gdiplus::Graphics &graphics)> &draw);
// The area of the host's client rectangle in the page's client coordinates: the host's whole client area for the
// host itself, shifted by where a sub-page lies in it.
CRect SourceHostArea(CWnd &page, bool isHost);

// A skin picture of the skin folder, or null when it cannot be loaded.
Gdiplus::Image *LoadSourcePageImage(LPCWSTR fileName);

// The job element's "src" children as stored ("destination" read as empty when missing, whole for "rapid" "0"),
// ordered by path; of two with one path the first.
std::vector<StoredSource> ReadStoredSources(IXMLDOMElement *jobElement);
// How the job's backup lays its places out, from its definition.
BackupLayout ReadBackupLayout(CSyncJob &job);
// The path with exactly one trailing backslash.
CString WithOneTrailingBackslash(CString path);
// Loads the filter file at path under root, or, when it is missing or cannot be read (the filter files log why), the
// default filter file, put in place first. The file loaded (path, or the default one) in loaded; FALSE when not
// even the default one loaded.
BOOL LoadFilterFileOrDefault(FilterNode *root, FiltersMedia &media, const CString &path, CString &loaded);
