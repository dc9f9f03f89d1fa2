// What every filter page shares: the filter files' names, the display tree built over a loaded filter set, and
// the walk that turns the chosen entries into source paths and an extension list.
#pragma once
#include <windows.h>

#include "platform/system/Seam.h"
#include "platform/text/Collections.h"
#include "platform/text/String.h"
#include "setup/filters/FilterNode.h"
#include "setup/filters/FiltersMedia.h"

// The default filter file's name, in the data folder and (as the template) in the language folder.
extern const wchar_t kBasicFilterFileName[];

// The job's own filter file: the filter folder (g_strFilterFolder, which ends in a backslash), the job's
// "JobUUID" and "_1.xml".
CString JobFilterFilePath(const CString &jobUuid);
// The per-computer default filter file: the filter folder and "BasicFilter.xml".
CString DefaultFilterFilePath();

// Puts the per-computer default filter file in place when it is missing. The main program installs its own
// (CQordelApp::LoadBasicFilter); until then nothing is done.
typedef void (*PFN_ENSURE_DEFAULT_FILTER_FILE)();
extern Seam<PFN_ENSURE_DEFAULT_FILTER_FILE> g_pfnEnsureDefaultFilterFile;
void EnsureDefaultFilterFile();

// Loads the file into media and builds the display tree under root (whose old children are destroyed first):
// the top-level categories as kind 1, their sub-categories as kind 2 and those sub-categories' configurations
// as leaves, all bound, nothing added to the model. Configurations of top-level categories and categories
// nested deeper are kept in the model but not shown. Returns the result of FiltersMedia::Load.
bool LoadFilterTree(FilterNode *root, FiltersMedia &media, LPCWSTR path);

// Appends what the tree chooses: the selected leaves under selected kind-2 nodes under selected kind-1 nodes.
// A folder leaf adds its path, ending in one backslash, to paths; an extension leaf's list is split at ";", ","
// and blanks, and each piece (without a leading "." or "*.") adds "." + piece + ";" to extensions.
void CollectTreeSelection(const FilterNode *root, CStringArray &paths, CString &extensions);
