#include "engine/changes/ChangeWatch.h"

CChangeWatch::CChangeWatch() : m_watcher(TRUE, kFilterNameOnly), m_monitor(new CFileMonOperation())
{
}

CChangeWatch::~CChangeWatch()
{
    Stop();
}

void CChangeWatch::Stop()
{
    m_watcher.RemoveAllWatches();
    if (m_monitor == nullptr)
        return;
    m_monitor->Stop();
    // The watches held references of their own; this one was the monitor's first.
    m_monitor->Release();
    m_monitor = nullptr;
}
