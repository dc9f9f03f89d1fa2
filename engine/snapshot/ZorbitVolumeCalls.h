// The device agent's calls on one protected device volume (a ZorbitRecord): whether it is open, opening it with its
// code, and its information text. The agent lies outside the system and no binding provides these calls in this
// build: every entry is empty, and each caller takes the fall-back its window describes (a volume counts as not
// open, an open fails without a record, no information is shown). Tests put calls of their own in place.
#pragma once
#include <windows.h>

#include <functional>

#include "engine/snapshot/ZorbitInfo.h"
#include "platform/system/Seam.h"

// The size of the agent's text buffers (the open call's output, the information text).
constexpr int kZorbitTextBytes = 100;

struct ZorbitVolumeCalls
{
    // Non-zero when the volume is open.
    std::function<int(const ZorbitRecord &record)> isOpen;
    // Opens the volume with the code (8-bit, zero-ended); output holds kZorbitTextBytes bytes. 0 on success, 1 to 5
    // (or any other value) on failure.
    std::function<int(const ZorbitRecord &record, const char *code, char *output)> open;
    // The volume's information: an 8-bit text of kZorbitTextBytes bytes and a 32-bit value.
    std::function<int(const ZorbitRecord &record, char *text, DWORD *value)> information;
};

extern Seam<ZorbitVolumeCalls> g_zorbitVolumeCalls;
