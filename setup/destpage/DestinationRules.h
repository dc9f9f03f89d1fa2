// What the destination page decides without its window: the name it offers for a new folder and the threshold that
// the edit box's text gives, and the question for a new folder's name, which tests answer themselves.
#pragma once
#include <windows.h>

#include "platform/system/Seam.h"
#include "platform/text/String.h"

class CSyncJob;
class CWnd;

// The usage threshold's range in percent.
constexpr int kThresholdMin = 50;
constexpr int kThresholdMax = 100;

// A name under the folder at path that nothing there bears yet: base, else "base (2)", "base (3)" ... (an agent's
// place, kind 4, takes base as it is). Empty for an empty path.
CString MakeNewFolderName(const CString &path, int kind, const CString &base);

// The threshold the edit box's text gives the slider: below the range the least, above it the most; a text that is
// no number above 0 (nothing typed yet, or letters) leaves the slider where it is.
int ThresholdOfText(const CString &text, int sliderPos);

// What the job's sources take now, in bytes rounded as the size scanner rounds them, counted on the calling thread:
// a source with its filters on counts the files that the job's include and exclude sets let through, one with
// them off ("rapid" "0") counts whole, and a source that names its files counts those files alone.
ULONGLONG CountJobSourceBytes(CSyncJob &job);

// Asks for a new folder's name in the input box, owned by parent, with name as the value offered; FALSE when it
// was cancelled. The entered name is then in name.
typedef BOOL (*PFN_ASK_NEW_FOLDER_NAME)(CWnd *parent, CString &name);
extern Seam<PFN_ASK_NEW_FOLDER_NAME> g_pfnAskNewFolderName;
