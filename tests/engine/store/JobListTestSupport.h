// Shared by the job collection tests: a store folder with the program's paths pointed into it, store files
// written from XML text, and readers of a saved store.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/store/SyncJobList.h"
#include "engine/store/XmlLayer.h"
#include "engine/support/EngineTestSupport.h"
#include "platform/system/Handles.h"
#include "platform/text/String.h"
#include "support/TestSupport.h"

class CSyncJob;

namespace joblisttest
{

// A "jobdef" element as store text: name, JobUUID and further attributes ("key=\"value\" ..."), children.
std::wstring JobXml(const std::wstring &name, const std::wstring &uuid, const std::wstring &attributes = L"",
                    const std::wstring &children = L"");
// A whole store: the root with the given jobs.
std::wstring StoreXml(const std::wstring &jobs);

// A temporary data folder holding "Zel.xml" and "Zel.ini"; the program's paths point there while the test
// runs and are put back afterwards.
class StoreTest : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    std::wstring StorePath() const
    {
        return m_folder / L"Zel.xml";
    }
    std::wstring IniPath() const
    {
        return m_folder / L"Zel.ini";
    }
    void WriteStore(const std::wstring &xml);
    // The "name" of each "jobdef" of the saved store, in file order; empty when it cannot be read.
    std::vector<std::wstring> StoredNames() const;
    // One attribute of the saved job with that name.
    CString StoredAttribute(const std::wstring &job, LPCWSTR attribute) const;
    // The saved job's sources as XmlReadSrcList lists them.
    std::vector<std::wstring> StoredSources(const std::wstring &job) const;

    // The job of the collection with that name, or null.
    static CSyncJob *JobNamed(const CSyncJobList &list, const std::wstring &name);
    // The job's sources as XmlReadSrcList lists them.
    static std::vector<std::wstring> Sources(CSyncJob *job);

    CCoInitialize m_com{COINIT_APARTMENTTHREADED};
    testsupport::TempFolder m_folder;

  private:
    IXMLDOMElementPtr StoredJob(const std::wstring &job) const;

    CString m_previousStore;
    CString m_previousIni;
    CString m_previousLog;
    CString m_previousData;
};

} // namespace joblisttest
