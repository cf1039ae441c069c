#include "XmlStream.h"

#include <cstring>
#include <stdexcept>

#include "ZipEntryStream.h"

namespace {

int ReadSource(void* context, char* buffer, int size) {
    return static_cast<ZipEntryStream*>(context)->Read(buffer, size);
}

void IgnoreError(void*, xmlErrorPtr) {}

}  // namespace

XmlStream::XmlStream(ZipEntryStream& source) : source_(source) {
    xmlInitParser();
    // No XML_PARSE_NOENT, DTDLOAD or HUGE: entities stay unexpanded, no DTD is fetched and
    // libxml2's default size limits apply.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                        XML_PARSE_NOCDATA | XML_PARSE_COMPACT;
    reader_ = xmlReaderForIO(&ReadSource, nullptr, &source_, nullptr, nullptr, options);
    if (!reader_) throw std::runtime_error("xml reader");
    xmlTextReaderSetStructuredErrorHandler(reader_, &IgnoreError, nullptr);
}

XmlStream::~XmlStream() {
    if (reader_) xmlFreeTextReader(reader_);
}

bool XmlStream::Next() {
    const int rc = xmlTextReaderRead(reader_);
    if (rc < 0 || source_.Failed()) throw std::runtime_error("malformed xml");
    if (rc == 0) {
        type_ = XML_READER_TYPE_NONE;
        return false;
    }
    type_ = xmlTextReaderNodeType(reader_);
    if (type_ == XML_READER_TYPE_DOCUMENT_TYPE || type_ == XML_READER_TYPE_ENTITY_REFERENCE)
        throw std::runtime_error("document type declarations are not accepted");
    return true;
}

bool XmlStream::IsText() const {
    return type_ == XML_READER_TYPE_TEXT || type_ == XML_READER_TYPE_CDATA ||
           type_ == XML_READER_TYPE_WHITESPACE || type_ == XML_READER_TYPE_SIGNIFICANT_WHITESPACE;
}

bool XmlStream::Is(const char* localName) const {
    const xmlChar* name = xmlTextReaderConstLocalName(reader_);
    return name && std::strcmp(reinterpret_cast<const char*>(name), localName) == 0;
}

std::string_view XmlStream::Value() const {
    return View(xmlTextReaderConstValue(reader_));
}
