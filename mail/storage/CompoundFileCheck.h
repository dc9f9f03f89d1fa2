// A look at the structure of a compound file before the platform opens it. The platform's reader trusts the
// file: a damaged one whose sector chains or directory links run in a circle can keep it busy for ever. A
// backup that fails this check is reported as damaged and left alone.
#pragma once
#include <windows.h>

// S_OK for a sound file; STG_E_DOCFILECORRUPT (damaged or truncated), STG_E_FILEALREADYEXISTS (not a
// compound file) or the error of reading it.
HRESULT CheckCompoundFile(LPCWSTR pszPath);
