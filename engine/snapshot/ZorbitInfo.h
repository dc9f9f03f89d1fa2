// The snapshot agent binding ("ZorbitInfo" in log locations): the outside library "Quessel.dll", loaded by its
// bare name at run time, whose three entry points make a volume snapshot, name each source's copy in it and
// end it (VssCopy.h uses them).
//
// The same binding stands for the device agent's queries about protected device volumes ("Zorbit" volumes).
// No such entry point exists in this system: each query gives its fixed answer.
#pragma once
#include <windows.h>

#include <vector>

#include "platform/system/Handles.h"

// One protected device volume as the device agent describes it; copied whole.
struct ZorbitRecord
{
    DWORD identifier;
    char name[21];
    char description[151];
    char details[5][101];
    BYTE flag;
    DWORD value;
    ULONGLONG value64;
};
static_assert(sizeof(ZorbitRecord) == 696, "the device agent's record is 696 bytes");

// The snapshot agent's entry points.
// sources: count source paths; outputs: count buffers of kSnapshotPathChars characters that receive the path of
// each source's copy in the snapshot. 0 on success.
using PFN_VSS_START_BACKUP2 = int (*)(const wchar_t **sources, wchar_t **outputs, int count);
// settings: three 32-bit values.
using PFN_VSS_SETTING = int (*)(int *settings);
// Ends the snapshot; called with 0.
using PFN_VSS_BACKUP_COMPLETE = int (*)(int value);

constexpr int kSnapshotPathChars = 520;

// The bound entry points, null while unbound. They change only while CopyLock is held (by the binding's load
// and release) and are called only while it is held (by a snapshot batch), so a batch never sees them change.
extern PFN_VSS_START_BACKUP2 g_pfnVssStartBackup2;
extern PFN_VSS_SETTING g_pfnVssSetting;
extern PFN_VSS_BACKUP_COMPLETE g_pfnVssBackupComplete;

class CZorbitInfo
{
  public:
    CZorbitInfo() = default;
    // Unbinds and frees the library, under CopyLock.
    ~CZorbitInfo();
    CZorbitInfo(const CZorbitInfo &) = delete;
    CZorbitInfo &operator=(const CZorbitInfo &) = delete;

    // Under CopyLock: lets go of the library held so far, loads "Quessel.dll" by its bare name (the system's
    // search order) and binds VssStartBackup2, VssSetting and VssBackupComplete in that order. A missing library
    // or entry point is an LM_ERROR entry in the program's log; the entry points after a missing one stay null
    // and the library stays loaded. Nonzero when all three were bound.
    BOOL Load();
    // True while no library is loaded.
    bool IsMissing() const
    {
        return !m_module.IsValid();
    }
    // True while all three entry points are bound.
    static bool IsBound();

    // The device agent's window: none here, 0; the caller takes its own way.
    int RunAgentUi();
    // The device agent's volumes: none here; empties the list and returns 0.
    int LoadItems(std::vector<ZorbitRecord> &list);
    // Whether the device agent reports the volume open: with no agent to ask, 1 when the record is in the list,
    // else 0.
    int QueryItemState(const std::vector<ZorbitRecord> &list, const ZorbitRecord &record);

  private:
    void Unbind();

    CModuleOwner m_module;
};

// The program's binding, made on the first call and released at process exit. Every call loads the library
// again while it is not bound whole (missing, or an entry point absent), so a library put in place later is
// found; the load runs under CopyLock.
CZorbitInfo &GetZorbitInfo();

// Equal identifier, flag, value and value64, and the seven texts equal without regard to case.
bool ZorbitItemEquals(const ZorbitRecord &a, const ZorbitRecord &b);
// The first record of [first, last) equal to record, or last.
const ZorbitRecord *FindZorbitItem(const ZorbitRecord *first, const ZorbitRecord *last, const ZorbitRecord &record);
