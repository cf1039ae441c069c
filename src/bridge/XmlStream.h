#pragma once

#include <libxml/parser.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class ZipEntryStream;

// A pull-style reader over one archive entry, fed by libxml2's SAX2 push parser: the source is
// parsed in chunks and the events of each chunk are queued, so nothing like a tree is ever
// built (the xmlTextReader did the same job at a third of the speed). The parser never loads
// a DTD or an external entity, never substitutes entities and never touches the network; a
// document type declaration, an entity reference, malformed XML or a failing source ends the
// read with an exception, and so does nesting deeper than kMaxDepth. Every element, also <x/>,
// gives a start and an end event.
class XmlStream {
  public:
    // Workbook parts nest a handful of levels; libxml2's own depth limit does not hold for
    // the push parser.
    static constexpr int kMaxDepth = 256;

    explicit XmlStream(ZipEntryStream& source);
    ~XmlStream();
    XmlStream(const XmlStream&) = delete;
    XmlStream& operator=(const XmlStream&) = delete;

    // Moves to the next event; false at the end of the document.
    bool Next();

    bool IsStart() const { return Current().type == Type::Start; }
    bool IsEnd() const { return Current().type == Type::End; }
    bool IsText() const { return Current().type == Type::Text; }
    bool Is(const char* localName) const;
    // The text of a text event.
    std::string_view Value() const { return Slice(Current().text, Current().length); }

    // Calls f(localName, namespaced, value) for every attribute of a start event; the views
    // are valid until the next call of Next.
    template <typename F>
    void ForEachAttribute(F&& f) const {
        const Event& event = Current();
        for (uint32_t i = 0; i < event.attributeCount; ++i) {
            const Attribute& a = attributes_[event.firstAttribute + i];
            f(std::string_view(reinterpret_cast<const char*>(a.localName)), a.namespaced,
              Slice(a.value, a.length));
        }
    }

  private:
    enum class Type : uint8_t { Start, End, Text };
    struct Event {
        Type type;
        const xmlChar* name;  // interned by the parser's dictionary
        uint32_t firstAttribute = 0, attributeCount = 0;
        size_t text = 0, length = 0;  // in storage_
    };
    struct Attribute {
        const xmlChar* localName;
        bool namespaced;
        size_t value, length;
    };

    const Event& Current() const { return events_[next_ - 1]; }
    std::string_view Slice(size_t offset, size_t length) const {
        return std::string_view(storage_).substr(offset, length);
    }
    size_t Store(const char* begin, size_t length);
    void Fill();

    static void OnStart(void* self, const xmlChar* localName, const xmlChar* prefix,
                        const xmlChar* uri, int namespaceCount, const xmlChar** namespaces,
                        int attributeCount, int defaultedCount, const xmlChar** attributes);
    static void OnEnd(void* self, const xmlChar* localName, const xmlChar* prefix,
                      const xmlChar* uri);
    static void OnText(void* self, const xmlChar* text, int length);
    static void OnRefused(void* self, const xmlChar*, const xmlChar*, const xmlChar*);
    static void OnReference(void* self, const xmlChar*);
    static void OnEntityDeclaration(void* self, const xmlChar*, int, const xmlChar*, const xmlChar*,
                                    xmlChar*);
    static xmlEntityPtr OnGetEntity(void* self, const xmlChar*);
    static void OnError(void* self, xmlErrorPtr error);
    void Refuse();

    ZipEntryStream& source_;
    xmlParserCtxtPtr parser_ = nullptr;
    std::vector<Event> events_;
    std::vector<Attribute> attributes_;
    std::string storage_;
    size_t next_ = 0;
    int depth_ = 0;
    bool finished_ = false;
    bool refused_ = false;
};
