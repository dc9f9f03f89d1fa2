// A job's sources in the store: under its "jobdef" element one "src" element per source folder (or mail
// store), and under a "src" one "file" element per single file chosen in that folder.
//
// Lookups walk the children and compare node names and "path" texts exactly; they never use XPath, since a
// "src" saved without a namespace declaration lands in the root's namespace when the store is read back.
// The operations that add sources are members of CJobDef (JobDef.h).
#pragma once
#include "engine/store/XmlLayer.h"

// The element's "path" attribute; empty when absent.
CString GetXmlPathAttribute(IXMLDOMElement *element);
// Appends the "path" of every child named exactly "file", in document order. A null element raises E_POINTER.
void XmlReadFileList(IXMLDOMElement *element, CStringArray &list);
// Appends the job's sources in document order: for each "src" child the paths of its "file" children, or its
// own "path" when it has none. A null element raises E_POINTER.
void XmlReadSrcList(IXMLDOMElement *jobElement, CStringArray &list);
// Removes every child named exactly "src" and keeps the others. A null element raises E_POINTER.
void XmlRemoveSrcList(IXMLDOMElement *jobElement);
