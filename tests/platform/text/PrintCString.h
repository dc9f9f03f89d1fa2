// Lets GoogleTest show a CString in a failure message.
#pragma once
#include "platform/text/String.h"
#include <ostream>

inline void PrintTo(const CString &s, std::ostream *os)
{
    *os << '"' << CStringA(s).GetString() << '"';
}
