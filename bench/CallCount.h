// The benchmark's trace of system calls: once counting starts, every call the process makes through its import
// table to one of the file, resource and lock functions of the list (CallCount.cpp) is counted, and so is every
// call through the engine's seams that hold such a function. Counting costs one interlocked increment a call;
// the benchmark takes a snapshot before and after a phase and divides the difference by the phase's files.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace bench
{

// The number of calls of each counted function, in the order of CountedCallNames(), then the microseconds spent
// in each, in the same order.
using CallCounts = std::vector<long long>;

// Patches the import table and the seams; later calls do nothing. FALSE when the import table could not be
// read or changed (nothing is counted then).
BOOL StartCountingCalls();
// The counts so far.
CallCounts TakeCallCounts();
// after - before, element by element.
CallCounts CallsBetween(const CallCounts &before, const CallCounts &after);
// The counted functions' names.
const std::vector<std::string> &CountedCallNames();

} // namespace bench
