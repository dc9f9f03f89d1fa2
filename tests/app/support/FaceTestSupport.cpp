#include "app/support/FaceTestSupport.h"

#include "app/joblist/JobListView.h"
#include "engine/job/SyncJob.h"
#include "engine/store/XmlLayer.h"
#include "support/TestSupport.h"
#include "ui/skin/SkinGlobals.h"

namespace facetest
{

void FaceTest::SetUp()
{
    ASSERT_NO_FATAL_FAILURE(EngineTest::SetUp());
    ASSERT_TRUE(m_gdiplus.IsStarted());
    m_savedSkinFolder = g_strSkinFolder;
    g_strSkinFolder = testsupport::SkinFolder().c_str();
    LoadSharedSkinImages(g_strSkinFolder);
    LoadMainSkinImages(g_strSkinFolder);
    CJobListView::LoadImages(g_strSkinFolder);
}

void FaceTest::TearDown()
{
    m_jobs.clear();
    CJobListView::FreeImages();
    FreeMainSkinImages();
    FreeSharedSkinImages();
    g_strSkinFolder = m_savedSkinFolder;
    EngineTest::TearDown();
}

CSyncJob *FaceTest::NewJob(LPCWSTR name, int syncType, LPCWSTR dest)
{
    IXMLDOMElementPtr element = enginetest::NewJobElement(m_document, name, dest);
    XmlSetAttributeInt(element, L"sync_type", syncType);
    m_jobs.push_back(std::make_unique<CSyncJob>());
    m_jobs.back()->Attach(element);
    return m_jobs.back().get();
}

void FaceTest::Pump()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

std::wstring PicturePath(const std::wstring &name)
{
    return testsupport::BuildFolder() + name;
}

} // namespace facetest
