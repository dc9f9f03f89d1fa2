// The compiler's COM support classes (_com_ptr_t, _bstr_t, _variant_t, _com_error) as the platform headers
// declare them. The routines those headers leave to a support library (_com_issue_errorex and the narrow
// string conversions of _bstr_t) are defined in ComGlue.cpp, so nothing more needs linking.
//
// Raising: every failure inside these classes throws _com_error with its HRESULT. Code called by COM (a
// callback or an object of ours) must catch it before it returns to COM.
//
// Narrow strings are in the system's ANSI code page.
#pragma once
#include <comdef.h>
