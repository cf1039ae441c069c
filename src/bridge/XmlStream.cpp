#include "XmlStream.h"

#include <cstring>
#include <stdexcept>

#include "ZipEntryStream.h"

namespace {

constexpr int kChunk = 1 << 16;

}  // namespace

XmlStream::XmlStream(ZipEntryStream& source) : source_(source) {
    xmlInitParser();
    xmlSAXHandler sax;
    std::memset(&sax, 0, sizeof sax);
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = &OnStart;
    sax.endElementNs = &OnEnd;
    sax.characters = &OnText;
    sax.ignorableWhitespace = &OnText;
    sax.cdataBlock = &OnText;
    // Workbook parts never declare a document type; one that does is refused before any
    // declaration in it is read, so no entity can be defined, expanded or fetched.
    sax.internalSubset = &OnRefused;
    sax.externalSubset = &OnRefused;
    sax.entityDecl = &OnEntityDeclaration;
    sax.reference = &OnReference;
    sax.getEntity = &OnGetEntity;
    sax.serror = &OnError;
    parser_ = xmlCreatePushParserCtxt(&sax, this, nullptr, 0, nullptr);
    if (!parser_) throw std::runtime_error("xml parser");
    // No XML_PARSE_NOENT, DTDLOAD or HUGE: entities stay unexpanded, no DTD is fetched and
    // libxml2's limits on depth and sizes apply.
    xmlCtxtUseOptions(parser_, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
}

XmlStream::~XmlStream() {
    if (parser_) {
        xmlFreeDoc(parser_->myDoc);
        parser_->myDoc = nullptr;
        xmlFreeParserCtxt(parser_);
    }
}

bool XmlStream::Next() {
    while (next_ >= events_.size()) {
        if (finished_) return false;
        Fill();
    }
    ++next_;
    return true;
}

bool XmlStream::Is(const char* localName) const {
    const xmlChar* name = Current().name;
    return name && std::strcmp(reinterpret_cast<const char*>(name), localName) == 0;
}

void XmlStream::Fill() {
    events_.clear();
    attributes_.clear();
    storage_.clear();
    next_ = 0;
    char buffer[kChunk];
    const int got = source_.Read(buffer, kChunk);
    if (got < 0) throw std::runtime_error("archive entry unreadable");
    xmlParseChunk(parser_, buffer, got, got == 0);
    // wellFormed rather than the return code: namespace warnings set that code too.
    if (refused_ || !parser_->wellFormed) throw std::runtime_error("malformed xml");
    if (got == 0) finished_ = true;
}

size_t XmlStream::Store(const char* begin, size_t length) {
    const size_t offset = storage_.size();
    storage_.append(begin, length);
    return offset;
}

void XmlStream::OnStart(void* self, const xmlChar* localName, const xmlChar*, const xmlChar*, int,
                        const xmlChar**, int attributeCount, int, const xmlChar** attributes) {
    auto& stream = *static_cast<XmlStream*>(self);
    if (++stream.depth_ > kMaxDepth) return stream.Refuse();
    Event event{Type::Start, localName};
    event.firstAttribute = static_cast<uint32_t>(stream.attributes_.size());
    event.attributeCount = static_cast<uint32_t>(attributeCount);
    // Five pointers per attribute: local name, prefix, namespace, value start, value end.
    for (int i = 0; i < attributeCount; ++i) {
        const xmlChar** a = attributes + 5 * i;
        const auto* begin = reinterpret_cast<const char*>(a[3]);
        const auto length = static_cast<size_t>(a[4] - a[3]);
        stream.attributes_.push_back({a[0], a[2] != nullptr, stream.Store(begin, length), length});
    }
    stream.events_.push_back(event);
}

void XmlStream::OnEnd(void* self, const xmlChar* localName, const xmlChar*, const xmlChar*) {
    auto& stream = *static_cast<XmlStream*>(self);
    --stream.depth_;
    stream.events_.push_back(Event{Type::End, localName});
}

void XmlStream::OnText(void* self, const xmlChar* text, int length) {
    auto& stream = *static_cast<XmlStream*>(self);
    const auto* begin = reinterpret_cast<const char*>(text);
    // The parser hands text over in pieces; pieces in a row make one event.
    if (!stream.events_.empty() && stream.events_.back().type == Type::Text) {
        stream.Store(begin, static_cast<size_t>(length));
        stream.events_.back().length += static_cast<size_t>(length);
        return;
    }
    Event event{Type::Text, nullptr};
    event.text = stream.Store(begin, static_cast<size_t>(length));
    event.length = static_cast<size_t>(length);
    stream.events_.push_back(event);
}

void XmlStream::Refuse() {
    refused_ = true;
    xmlStopParser(parser_);
}

void XmlStream::OnRefused(void* self, const xmlChar*, const xmlChar*, const xmlChar*) {
    static_cast<XmlStream*>(self)->Refuse();
}

void XmlStream::OnReference(void* self, const xmlChar*) {
    static_cast<XmlStream*>(self)->Refuse();
}

void XmlStream::OnEntityDeclaration(void* self, const xmlChar*, int, const xmlChar*, const xmlChar*,
                                    xmlChar*) {
    static_cast<XmlStream*>(self)->Refuse();
}

xmlEntityPtr XmlStream::OnGetEntity(void* self, const xmlChar*) {
    // Only the five predefined entities exist; libxml2 resolves those itself.
    static_cast<XmlStream*>(self)->Refuse();
    return nullptr;
}

void XmlStream::OnError(void* self, xmlErrorPtr error) {
    if (error && error->level >= XML_ERR_ERROR) static_cast<XmlStream*>(self)->Refuse();
}
