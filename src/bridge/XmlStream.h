#pragma once

#include <libxml/xmlreader.h>

#include <string_view>

class ZipEntryStream;

// A streaming XML reader over one archive entry (libxml2's xmlTextReader). It never loads a
// DTD or an external entity, never substitutes entities and never touches the network; a
// document type declaration, malformed XML or a failing source ends the read with an
// exception.
class XmlStream {
  public:
    explicit XmlStream(ZipEntryStream& source);
    ~XmlStream();
    XmlStream(const XmlStream&) = delete;
    XmlStream& operator=(const XmlStream&) = delete;

    // Moves to the next node; false at the end of the document.
    bool Next();

    bool IsStart() const { return type_ == XML_READER_TYPE_ELEMENT; }
    bool IsEnd() const { return type_ == XML_READER_TYPE_END_ELEMENT; }
    bool IsText() const;
    // An element written as <x/>: no end node follows.
    bool IsEmptyElement() const { return xmlTextReaderIsEmptyElement(reader_) == 1; }
    bool Is(const char* localName) const;
    std::string_view Value() const;

    // Calls f(localName, namespaced, value) for every attribute of the current element; the
    // views are valid only during the call.
    template <typename F>
    void ForEachAttribute(F&& f) {
        if (xmlTextReaderMoveToFirstAttribute(reader_) != 1) return;
        do {
            const xmlChar* ns = xmlTextReaderConstNamespaceUri(reader_);
            f(View(xmlTextReaderConstLocalName(reader_)), ns != nullptr && *ns != 0,
              View(xmlTextReaderConstValue(reader_)));
        } while (xmlTextReaderMoveToNextAttribute(reader_) == 1);
        xmlTextReaderMoveToElement(reader_);
    }

  private:
    static std::string_view View(const xmlChar* text) {
        return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
    }

    xmlTextReaderPtr reader_ = nullptr;
    ZipEntryStream& source_;
    int type_ = XML_READER_TYPE_NONE;
};
