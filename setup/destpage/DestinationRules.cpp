#include "setup/destpage/DestinationRules.h"

#include <cwchar>

#include "engine/job/SyncJob.h"
#include "engine/program/FolderSizeScanner.h"
#include "engine/run/RunThread.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"
#include "setup/desttree/DesTreeNode.h"
#include "ui/boxes/InputDlg.h"

namespace
{

// Anything of that name stands in the way: a file bars a folder of its name as well.
bool IsTaken(const CString &path, const CString &name)
{
    const CString full = path.Right(1) == L"\\" ? path + name : path + L"\\" + name;
    return ::GetFileAttributesW(full) != INVALID_FILE_ATTRIBUTES;
}

BOOL AskWithInputBox(CWnd *parent, CString &name)
{
    CInputDlg box(AfxLoadText(IDS_NEW_FOLDER_PROMPT), name, AfxLoadText(IDS_NEW_FOLDER_EMPTY), parent);
    if (box.DoModal() != IDOK)
        return FALSE;
    name = box.m_strValue;
    return TRUE;
}

} // namespace

Seam<PFN_ASK_NEW_FOLDER_NAME> g_pfnAskNewFolderName{&AskWithInputBox};

CString MakeNewFolderName(const CString &path, int kind, const CString &base)
{
    if (path.IsEmpty())
        return CString();
    if (kind == DesFileTree::KIND_AGENT || !IsTaken(path, base))
        return base;
    for (int n = 2;; ++n)
    {
        CString name;
        name.Format(L"%s (%d)", base.GetString(), n);
        if (!IsTaken(path, name))
            return name;
    }
}

int ThresholdOfText(const CString &text, int sliderPos)
{
    const int value = _wtoi(text);
    if (value <= 0)
        return sliderPos;
    if (value < kThresholdMin)
        return kThresholdMin;
    if (value > kThresholdMax)
        return kThresholdMax;
    return value;
}

ULONGLONG CountJobSourceBytes(CSyncJob &job)
{
    std::vector<RunSource> sources;
    if (!ReadRunSources(job.GetElement(), sources))
        return 0;
    CJobDef *def = job.GetJobDef();
    ULONGLONG total = 0;
    for (const RunSource &source : sources)
    {
        if (!source.files.empty())
        {
            for (const CString &file : source.files)
            {
                WIN32_FILE_ATTRIBUTE_DATA data;
                if (::GetFileAttributesExW(file, GetFileExInfoStandard, &data) &&
                    !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    total += RoundedFileSize(data.nFileSizeHigh, data.nFileSizeLow);
            }
            continue;
        }
        // The scanner filters its first entry only: an empty first entry has every later one counted whole.
        CFolderSizeScanner scanner;
        scanner.SetTotalAndFilters(0, def->GetInclude(), def->GetExclude());
        if (!source.filtersActive)
            scanner.AddFolder(L"");
        scanner.AddFolder(source.path);
        total += scanner.GetTotalSize(TRUE);
    }
    return total;
}
