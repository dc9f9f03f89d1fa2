// Shared by the job definition, source list and XML lock tests: saved stores and element inspection.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "engine/store/XmlLayer.h"
#include "engine/support/EngineTestSupport.h"
#include "support/TestDrive.h"

namespace jobdeftest
{

using namespace enginetest;

void SaveStoreDocument(const IXMLDOMDocument2Ptr &document, const std::wstring &path);
// Names of the element's attributes in document order, namespace declarations left out.
std::vector<std::wstring> AttributeNames(IXMLDOMElement *element);
// True when the element has an attribute of that name (an empty one counts).
bool HasAttribute(IXMLDOMElement *element, LPCWSTR name);

} // namespace jobdeftest
