// What a WM_DEVICECHANGE tells of volumes that come and go: the main window follows its jobs' drives by it, and
// the new-job wizard refreshes its drive trees.
#pragma once
#include <windows.h>

#include <vector>

enum class VolumeEvent
{
    None,
    Arrival,
    Removal,
};

struct VolumeChange
{
    VolumeEvent event = VolumeEvent::None;
    std::vector<wchar_t> letters; // lower case, in the order of the unit mask's bits
};

// What a WM_DEVICECHANGE tells of volumes: an arrival or a complete removal of volumes, with their letters. A null
// or short header, a device that is not a volume and a network volume without media say nothing; mask bits above
// 25 name no letter.
VolumeChange DecodeVolumeChange(UINT event, DWORD_PTR data);
