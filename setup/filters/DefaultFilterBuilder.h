// CDefaultFilterBuilder: the per-computer default filter set, built at the first start from the template
// "BasicFilter.xml" of the language folder. The template's third top-level category is mail (sub-categories
// Outlook, Outlook Express, Windows Mail) and its fourth the browser (Favorites, then the browser profiles);
// their sub-categories are filled with what this computer has, and the ones for which nothing was found are
// written unselected.
#pragma once
#include <windows.h>

#include "platform/system/Seam.h"
#include "platform/text/Collections.h"

// Index of each detected value.
enum DetectedSource
{
    DETECTED_OUTLOOK = 0,          // "pst, ost"
    DETECTED_OUTLOOK_EXPRESS = 1,  // "dbx"
    DETECTED_WINDOWS_MAIL = 2,     // "eml, edb"
    DETECTED_FAVORITES = 3,        // the Favorites folder
    DETECTED_BROWSER_PROFILES = 4, // the local application data folder + "\Mozilla\Firefox\Profiles"
    DETECTED_SOURCE_COUNT = 5,
};

// Empties the array and appends the five values, an empty text for what was not found; returns 1.
typedef int (*PFN_DETECT_FILTER_SOURCES)(CStringArray &values);
extern Seam<PFN_DETECT_FILTER_SOURCES> g_pfnDetectFilterSources;

class CDefaultFilterBuilder
{
  public:
    // Builds the set from the template and saves it to outputPath: the result of the save. A template that
    // does not load, or has fewer than four top-level categories, gives false and writes nothing (logged), so
    // that the next start tries again.
    static bool Build(LPCWSTR templatePath, LPCWSTR outputPath);
    // The detector in place (g_pfnDetectFilterSources).
    static int DetectSources(CStringArray &values);
    // The detector of the program: the Outlook mail library's facade, then the mail library's tests in the
    // order Init, HasInstalledOutlookExpress, HasInstalledWindowsMail, Term, then the two folders.
    static int DetectInstalledSources(CStringArray &values);
};
