// The display text of a job's sources for the job list.
#pragma once
#include <windows.h>

#include "platform/text/String.h"

class CJobDef;

// A job and the text that lists its sources.
struct JobSourceListText
{
    CJobDef *jobDef = nullptr;
    CString text;
};

// Rebuilds record.text from the job's "src" elements in document order: one line, ending in a line feed, per
// "file" child, or per "src" without "file" children. A path that does not exist (while the job has no
// source agent) is shown through string IDS_SOURCE_NOT_FOUND. No job or no element gives an empty text.
void BuildSourceListText(JobSourceListText &record);
