// FiltersMedia: reads and writes one filter file, a small UTF-8 XML document:
//
//     <?xml version='1.0' encoding='utf-8'?>
//     <filters>
//       <filter name="Mail" selected="-1">
//         <filter name="Outlook" selected="0"><configuration val="pst, ost" type="0" description="" selected="-1"/>
//
// The file's top-level categories are the children of the object's root category (empty name, never written
// itself). Booleans are written "-1" and "0"; "true" and "false" in any case and decimal numbers (non-zero true)
// read as well. Callers run COM on their thread. Failures are logged in the program's log and reported by the
// result; no exception leaves Load or Save.
#pragma once
#include <windows.h>

#include "platform/system/XmlDom.h"
#include "platform/text/String.h"
#include "setup/filters/FilterModel.h"

class FiltersMedia
{
  public:
    FiltersMedia();
    virtual ~FiltersMedia();
    FiltersMedia(const FiltersMedia &) = delete;
    FiltersMedia &operator=(const FiltersMedia &) = delete;

    // Empties the root, then reads the file into it. False when the file is missing, is not XML or has no
    // "filters" root (the root stays empty), or when an element could not be read: that element is skipped, its
    // siblings are read.
    bool Load(LPCWSTR path);
    // Reads the "filter" elements right under the document's "filters" element into the root; false when the
    // document has no such root or an element could not be read (the others are still added).
    bool ParseFilters(IXMLDOMDocument2 *document);
    // Writes the root's categories to "<path>.tmp" and puts that file in the place of path. False when anything
    // failed; the file at path is then as it was.
    bool Save(LPCWSTR path);

    FilterCategory *GetRoot()
    {
        return &m_root;
    }
    const FilterCategory *GetRoot() const
    {
        return &m_root;
    }

  private:
    FilterCategory *ReadCategory(IXMLDOMElement *element, bool &complete);
    FilterConfiguration *ReadConfiguration(IXMLDOMElement *element, bool &complete);
    void ReportBadEntry(LPCWSTR what);

    FilterCategory m_root;
    // The file of the load under way, for the log.
    CString m_path;
};

// The text of a boolean attribute as read: "true"/"false" in any case, or a decimal integer (non-zero true).
// False when the text is neither.
bool ParseFilterBool(const CString &text, bool &value);
