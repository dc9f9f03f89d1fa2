#include "engine/program/VolumeChange.h"

#include <dbt.h>

namespace
{

const int kLastDriveBit = 25;

} // namespace

VolumeChange DecodeVolumeChange(UINT event, DWORD_PTR data)
{
    VolumeChange change;
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE)
        return change;
    const DEV_BROADCAST_HDR *header = reinterpret_cast<const DEV_BROADCAST_HDR *>(data);
    if (header == nullptr || header->dbch_size < sizeof(DEV_BROADCAST_VOLUME) ||
        header->dbch_devicetype != DBT_DEVTYP_VOLUME)
        return change;
    const DEV_BROADCAST_VOLUME *volume = reinterpret_cast<const DEV_BROADCAST_VOLUME *>(header);
    if ((volume->dbcv_flags & DBTF_NET) != 0 && (volume->dbcv_flags & DBTF_MEDIA) == 0)
        return change;
    change.event = event == DBT_DEVICEARRIVAL ? VolumeEvent::Arrival : VolumeEvent::Removal;
    for (int bit = 0; bit <= kLastDriveBit; ++bit)
    {
        if ((volume->dbcv_unitmask & (1UL << bit)) != 0)
            change.letters.push_back(static_cast<wchar_t>(L'a' + bit));
    }
    return change;
}
