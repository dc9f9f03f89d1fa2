// The backup benchmark's tree, timing and process helpers.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace bench
{

// One generated file: its path below the tree root and its size.
struct TreeFile
{
    std::wstring relative;
    ULONGLONG size;
};

// Writes n files from a fixed seed under root (ending in a backslash): about 20 per folder, folders up to 6
// levels deep. Sizes: 80 % 1-16 KB, 18 % 16 KB-1 MB, 2 % 1-8 MB; with small every file is 1-16 KB.
// Returns false when a file could not be written.
bool GenerateTree(const std::wstring &root, int n, bool small, std::vector<TreeFile> &files);

// Every file below root (relative paths and sizes), by listing.
void ListTree(const std::wstring &root, std::vector<TreeFile> &files);
// Reads every byte of every file once (to warm the caches); returns the bytes read.
ULONGLONG ReadTree(const std::wstring &root);
// Copies the tree with the project's copy routine, one file after another; false at the first failure.
bool CopyTreePlain(const std::wstring &from, const std::wstring &to);
// The floor of a safe copy: the same loop, each file copied to a temporary name beside its target (the copy
// routine stamps the source's times) and then renamed over the target; false at the first failure.
bool CopyTreeSafe(const std::wstring &from, const std::wstring &to);
// The same for the files at the relative paths below from, into the folder to as 0.dat, 1.dat ...
bool CopyFilesSafe(const std::wstring &from, const std::vector<std::wstring> &relatives, const std::wstring &to);
// Removes the folder and everything below it.
void RemoveTree(std::wstring folder);

// Compares two trees: the same files with the same sizes and last-write times; every step-th file's bytes
// as well. The first difference goes into problem.
bool SameTree(const std::wstring &a, const std::wstring &b, int step, std::wstring &problem);
// Paths below root whose names hold ".~#T".
int CountTemporaries(const std::wstring &root);

// Waits until the system has written to disk what the phases before left in memory, so that no phase pays for
// the writes of another. Under Wine the Linux root is drive Z:, and the kernel tells how much waits to be written
// in Z:\proc\meminfo; without that file nothing is waited for. The wait ends after 15 s: a kernel with much free
// memory holds writes for half a minute before it starts them, and a machine shared with other work may never
// get below the mark.
void SettleWrites();

// Runs a command line, waits, and returns its exit code (-1 when it could not start).
int RunProcess(const std::wstring &commandLine);

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to);
LARGE_INTEGER Now();
// The process's peak working set in MB.
double PeakWorkingSetMB();

} // namespace bench
