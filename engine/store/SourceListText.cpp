#include "engine/store/SourceListText.h"

#include "engine/store/JobDef.h"
#include "engine/store/PathMatch.h"
#include "engine/store/SourceList.h"
#include "engine/store/XmlLayer.h"
#include "outside/Phrasel/PhraselIds.h"

namespace
{

bool PathExists(const CString &path)
{
    // A mail store is named with a trailing backslash, which the file system refuses on a file.
    const CString onDisk = IsMailStoreSourcePath(path) ? CutTrailingBackslashes(path) : path;
    return GetFileAttributesW(onDisk) != INVALID_FILE_ATTRIBUTES;
}

CString SourceLine(const CString &path, bool checkExists)
{
    CString line = path;
    if (checkExists && !PathExists(path))
    {
        CString format;
        if (format.LoadString(IDS_SOURCE_NOT_FOUND) && !format.IsEmpty())
            line.Format(format.GetString(), path.GetString());
    }
    return line + L"\n";
}

} // namespace

void BuildSourceListText(JobSourceListText &record)
{
    record.text.Empty();
    if (record.jobDef == nullptr)
        return;
    IXMLDOMElementPtr jobElement = record.jobDef->GetElement();
    if (!jobElement)
        return;
    const bool checkExists = record.jobDef->GetSourceAgent() == 0;
    XmlDomLock lock;
    XmlElementIterator sources(jobElement);
    while (sources.Next())
    {
        if (sources.GetName() != L"src")
            continue;
        bool hasFiles = false;
        XmlElementIterator files(sources.GetElement());
        while (files.Next())
        {
            if (files.GetName() != L"file")
                continue;
            hasFiles = true;
            record.text += SourceLine(GetXmlPathAttribute(files.GetElement()), checkExists);
        }
        if (!hasFiles)
            record.text += SourceLine(GetXmlPathAttribute(sources.GetElement()), checkExists);
    }
}
