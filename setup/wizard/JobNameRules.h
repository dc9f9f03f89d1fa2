// The rules of a job's name as the wizard's name edit takes it. The name becomes file names in the data folder
// (the job's log "<name>.log" and its restore list "<name>.restore"), where letter case does not tell files apart.
#pragma once
#include <windows.h>

#include "platform/text/String.h"

class CSyncJob;
class CSyncJobList;

constexpr int kJobNameMaxLength = 50;

// The edit's text as it may stand: every character that cannot stand in a file name (\ / : * ? " < > | and
// control characters) dropped, then cut to its first 50 characters. TRUE when that changed the text.
BOOL FilterJobNameText(CString &text);

// TRUE when Windows takes the name for a device, which a file of that name (the job's log, its restore list) would
// open instead: CON, PRN, AUX, NUL, COM1-COM9 and LPT1-LPT9 (also with a superscript 1, 2 or 3), in any letter case,
// alone or before an extension, with trailing dots or blanks.
BOOL IsReservedDeviceName(const CString &name);

// TRUE when a job of the collection other than except is called name, letter case ignored. A null collection
// holds no job.
BOOL IsJobNameTaken(const CSyncJobList *jobs, const CString &name, const CSyncJob *except);
