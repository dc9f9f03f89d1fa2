// Shared by the tests of the main window's face: GDI+, the English language library, the skin folder with the
// images the face loads, and jobs bound to "jobdef" elements of a store document in memory.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/job/SyncJob.h"
#include "engine/support/EngineTestSupport.h"
#include "platform/drawing/GdiPlusSession.h"
#include "platform/text/String.h"

namespace facetest
{

// The engine's fixture (COM, language library, a temporary folder for the job logs, a store document) with GDI+
// and the skin: the shared skin images and the job list's images are loaded for the test and freed after it.
class FaceTest : public enginetest::EngineTest
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // A job bound to a new "jobdef" of the store document; the fixture keeps it.
    CSyncJob *NewJob(LPCWSTR name, int syncType = 1, LPCWSTR dest = L"C:\\Backup\\");

    // Dispatches the messages waiting for this thread.
    static void Pump();
    // Pumps messages until done() holds or timeoutMs passed; done()'s last answer.
    template <typename Done> static bool PumpUntil(Done done, DWORD timeoutMs)
    {
        const DWORD start = ::GetTickCount();
        while (!done())
        {
            if (::GetTickCount() - start > timeoutMs)
                return done();
            Pump();
            ::Sleep(10);
        }
        return true;
    }

    CGdiPlusSession m_gdiplus;
    std::vector<std::unique_ptr<CSyncJob>> m_jobs;

  private:
    CString m_savedSkinFolder;
};

// The build folder's path of a picture that a person looks at.
std::wstring PicturePath(const std::wstring &name);

} // namespace facetest
