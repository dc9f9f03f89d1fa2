// What a device-change message tells of volumes that come and go.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <iterator>
#include <vector>

#include "engine/program/VolumeChange.h"

namespace
{

VolumeChange Decode(UINT event, DWORD size, DWORD type, DWORD mask, WORD flags)
{
    DEV_BROADCAST_VOLUME volume = {};
    volume.dbcv_size = size;
    volume.dbcv_devicetype = type;
    volume.dbcv_unitmask = mask;
    volume.dbcv_flags = flags;
    return DecodeVolumeChange(event, reinterpret_cast<DWORD_PTR>(&volume));
}

TEST(DriveArrivalMessage, OnlyVolumesWithMediaNameLetters)
{
    const DWORD size = sizeof(DEV_BROADCAST_VOLUME);
    const DWORD f = 1u << 5;
    struct Row
    {
        VolumeChange change;
        VolumeEvent event;
        std::vector<wchar_t> letters;
    } rows[] = {
        {Decode(DBT_DEVICEARRIVAL, size, DBT_DEVTYP_VOLUME, f | (1u << 26) | 1u, 0),
         VolumeEvent::Arrival,
         {L'a', L'f'}},
        {Decode(DBT_DEVICEREMOVECOMPLETE, size, DBT_DEVTYP_VOLUME, f, 0), VolumeEvent::Removal, {L'f'}},
        {Decode(DBT_DEVICEARRIVAL, size, DBT_DEVTYP_VOLUME, f, DBTF_NET | DBTF_MEDIA), VolumeEvent::Arrival, {L'f'}},
        {Decode(DBT_DEVICEARRIVAL, size, DBT_DEVTYP_VOLUME, f, DBTF_NET), VolumeEvent::None, {}},
        {Decode(DBT_DEVICEARRIVAL, sizeof(DEV_BROADCAST_HDR), DBT_DEVTYP_VOLUME, f, 0), VolumeEvent::None, {}},
        {Decode(DBT_DEVICEARRIVAL, size, DBT_DEVTYP_PORT, f, 0), VolumeEvent::None, {}},
        {Decode(DBT_DEVICEQUERYREMOVE, size, DBT_DEVTYP_VOLUME, f, 0), VolumeEvent::None, {}},
        {DecodeVolumeChange(DBT_DEVICEARRIVAL, 0), VolumeEvent::None, {}},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
    {
        EXPECT_EQ(rows[i].change.event, rows[i].event) << "row " << i;
        EXPECT_EQ(rows[i].change.letters, rows[i].letters) << "row " << i;
    }
}

} // namespace
