// Several threads on one store document: run threads write status attributes and add sources while the
// collection saves the store. With every DOM call under the process-wide lock nothing crashes and every
// saved file is well formed.
#include "JobDefTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "engine/store/JobDef.h"
#include "engine/store/SourceList.h"
#include "support/TestSupport.h"

using namespace jobdeftest;

TEST(XmlLayerLock, WritersAndSaverShareOneDocument)
{
    CCoInitialize com(COINIT_MULTITHREADED);
    ASSERT_TRUE(com.Succeeded());
    testsupport::TempFolder folder;
    IXMLDOMDocument2Ptr document = NewStoreDocument();
    SetXmlStoreDocument(document);

    CJobDef first(nullptr), second(nullptr);
    first.CreateNew();
    second.CreateNew();
    for (CJobDef *job : {&first, &second})
    {
        IXMLDOMNodePtr appended;
        _com_util::CheckError(RootOf(document)->appendChild(job->GetElement(), &appended));
    }

    std::atomic<bool> stop{false};
    std::atomic<int> failures{0};
    auto writer = [&](CJobDef &job, int seed) {
        CCoInitialize threadCom(COINIT_MULTITHREADED);
        try
        {
            for (int i = 0; !stop; ++i)
            {
                job.SetBackupCount(seed + i);
                job.SetCompleteStatus(i % 5);
                job.SetNeverRun(CString(std::to_wstring(i).c_str()));
                XmlSetAttributeString(job.GetElement(), L"ErrorLogPath", L"C:\\Logs\\a.log");
                if (i % 50 == 0)
                {
                    job.AddSourcePath((L"C:\\Data" + std::to_wstring(i) + L"\\file.txt").c_str(), nullptr);
                    CStringArray list;
                    XmlReadSrcList(job.GetElement(), list);
                }
                if (i % 400 == 399)
                    XmlRemoveSrcList(job.GetElement());
            }
        }
        catch (const _com_error &)
        {
            ++failures;
        }
    };
    std::thread a(writer, std::ref(first), 0);
    std::thread b(writer, std::ref(second), 1000000);

    int wellFormed = 0;
    for (int round = 0; round < 100; ++round)
    {
        const std::wstring path = folder / (L"Zel" + std::to_wstring(round % 4) + L".xml");
        SaveStoreDocument(document, path);
        IXMLDOMDocument2Ptr saved = LoadStoreDocument(path);
        if (saved && ChildElements(RootOf(saved), L"jobdef").size() == 2)
            ++wellFormed;
    }
    stop = true;
    a.join();
    b.join();

    EXPECT_EQ(wellFormed, 100);
    EXPECT_EQ(failures, 0);
    SetXmlStoreDocument(nullptr);
}

TEST(XmlLayerLock, LockIsRecursiveAndSharedAcrossThreads)
{
    std::atomic<bool> entered{false};
    std::thread other;
    {
        XmlDomLock outer;
        {
            XmlDomLock inner; // the same thread enters again
        }
        other = std::thread([&] {
            XmlDomLock lock;
            entered = true;
        });
        Sleep(100);
        EXPECT_FALSE(entered);
    }
    other.join();
    EXPECT_TRUE(entered);
}
