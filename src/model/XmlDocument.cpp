#include "model/XmlDocument.h"

#include <QFile>
#include <QFileInfo>

#include <libxml/parser.h>
#include <libxml/xmlsave.h>
#include <libxml/xpath.h>

#include <mutex>

#include "model/Gb2312Codec.h"
#include "model/Utilities.h"

namespace {

// Files bigger than this are not data files of this program.
constexpr qint64 kMaxFileSize = 512ll * 1024 * 1024;

xmlParserInputPtr RefuseExternalEntity(const char*, const char*, xmlParserCtxtPtr) {
    return nullptr;
}

// File errors never reach the operator, nor the terminal.
void IgnoreXmlError(void*, const char*, ...) {}

bool IsXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

}  // namespace

XmlDocument::~XmlDocument() {
    if (doc_) xmlFreeDoc(doc_);
}

void XmlDocument::InitLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        Gb2312Codec::RegisterWithLibxml();
        xmlSetExternalEntityLoader(RefuseExternalEntity);
        xmlSetGenericErrorFunc(nullptr, IgnoreXmlError);
    });
}

bool XmlDocument::ReadFile(const QString& path, QByteArray& bytes) {
    const QFileInfo info(path);
    if (!info.exists() || info.isDir() || info.size() > kMaxFileSize) return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

std::unique_ptr<XmlDocument> XmlDocument::Parse(const QByteArray& bytes) {
    InitLibrary();
    if (bytes.isEmpty() || bytes.size() > kMaxFileSize) return nullptr;
    // No XML_PARSE_NOENT, DTDLOAD or HUGE: entities stay unexpanded, no DTD is fetched and
    // libxml2's depth and size limits stay in force.
    const int options = XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR |
                        XML_PARSE_NOWARNING | XML_PARSE_COMPACT;
    xmlDocPtr doc =
        xmlReadMemory(bytes.constData(), static_cast<int>(bytes.size()), nullptr, nullptr, options);
    if (!doc) return nullptr;
    if (!xmlDocGetRootElement(doc)) {
        xmlFreeDoc(doc);
        return nullptr;
    }
    return std::unique_ptr<XmlDocument>(new XmlDocument(doc));
}

std::unique_ptr<XmlDocument> XmlDocument::Create(const char* rootName) {
    InitLibrary();
    xmlDocPtr doc = xmlNewDoc(BAD_CAST "1.0");
    if (!doc) return nullptr;
    std::unique_ptr<XmlDocument> result(new XmlDocument(doc));
    xmlNodePtr root = xmlNewDocNode(doc, nullptr, BAD_CAST rootName, nullptr);
    if (!root) return nullptr;
    xmlDocSetRootElement(doc, root);
    return result;
}

xmlNodePtr XmlDocument::SelectFirst(const char* xpath) const {
    xmlXPathContextPtr ctx = xmlXPathNewContext(doc_);
    if (!ctx) return nullptr;
    xmlNodePtr found = nullptr;
    xmlXPathObjectPtr result = xmlXPathEvalExpression(BAD_CAST xpath, ctx);
    if (result && result->type == XPATH_NODESET && result->nodesetval &&
        result->nodesetval->nodeNr > 0)
        found = result->nodesetval->nodeTab[0];
    if (result) xmlXPathFreeObject(result);
    xmlXPathFreeContext(ctx);
    return found;
}

QByteArray XmlDocument::Serialize() const {
    // Dumped as UTF-8 without a declaration, then encoded as the files are.
    xmlChar* mem = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(doc_, &mem, &size, "UTF-8", 0);
    if (!mem || size <= 0) {
        if (mem) xmlFree(mem);
        return QByteArray();
    }
    QByteArray utf8(reinterpret_cast<const char*>(mem), size);
    xmlFree(mem);
    if (utf8.startsWith("<?xml")) utf8.remove(0, utf8.indexOf('\n') + 1);
    QByteArray out = Declaration();
    if (!Gb2312Codec::Encode(utf8, out)) return QByteArray();
    return out;
}

QByteArray XmlDocument::Declaration() {
    return QByteArray("<?xml version=\"1.0\" encoding=\"") + kEncoding + "\"?>\n";
}

bool XmlDocument::Attribute(xmlNodePtr node, const char* name, QString& out) {
    for (xmlAttrPtr a = node->properties; a; a = a->next) {
        if (a->ns || !xmlStrEqual(a->name, BAD_CAST name)) continue;
        xmlNodePtr c = a->children;
        // The common case, a single text child, is read without a copy.
        if (c && !c->next && c->type == XML_TEXT_NODE) {
            out = QString::fromUtf8(reinterpret_cast<const char*>(c->content));
        } else {
            xmlChar* v = xmlNodeListGetString(node->doc, c, 1);
            out = QString::fromUtf8(reinterpret_cast<const char*>(v));
            if (v) xmlFree(v);
        }
        return true;
    }
    return false;
}

bool XmlDocument::Attribute(xmlNodePtr node, const char* name, int32_t& out) {
    for (xmlAttrPtr a = node->properties; a; a = a->next) {
        if (a->ns || !xmlStrEqual(a->name, BAD_CAST name)) continue;
        xmlNodePtr c = a->children;
        if (c && !c->next && c->type == XML_TEXT_NODE) {
            out = ParseInt(reinterpret_cast<const char*>(c->content));
        } else {
            xmlChar* v = xmlNodeListGetString(node->doc, c, 1);
            out = ParseInt(reinterpret_cast<const char*>(v));
            if (v) xmlFree(v);
        }
        return true;
    }
    return false;
}

QString XmlDocument::Text(xmlNodePtr node) {
    xmlChar* v = xmlNodeGetContent(node);
    QString s = QString::fromUtf8(reinterpret_cast<const char*>(v));
    if (v) xmlFree(v);
    return s;
}

xmlNodePtr XmlDocument::ChildNoCase(xmlNodePtr parent, const char* name) {
    for (xmlNodePtr c = parent->children; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE && xmlStrcasecmp(c->name, BAD_CAST name) == 0) return c;
    }
    return nullptr;
}

xmlNodePtr XmlDocument::AddTextChild(xmlNodePtr parent, const char* name, const QString& text) {
    const QByteArray utf8 = XmlSafeUtf8(text);
    return xmlNewTextChild(parent, nullptr, BAD_CAST name, BAD_CAST utf8.constData());
}

void XmlDocument::SetAttribute(xmlNodePtr node, const char* name, const QString& value) {
    const QByteArray utf8 = XmlSafeUtf8(value);
    xmlNewProp(node, BAD_CAST name, BAD_CAST utf8.constData());
}

void XmlDocument::SetAttribute(xmlNodePtr node, const char* name, int64_t value) {
    char buf[32];
    snprintf(buf, sizeof buf, "%lld", static_cast<long long>(value));
    xmlNewProp(node, BAD_CAST name, BAD_CAST buf);
}

QByteArray XmlDocument::XmlSafeUtf8(const QString& text) {
    bool clean = true;
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if ((u < 0x20 && u != 0x9 && u != 0xA && u != 0xD) || u == 0xFFFE || u == 0xFFFF) {
            clean = false;
            break;
        }
        if (ch.isSurrogate()) {
            clean = false;
            break;
        }
    }
    if (clean) return text.toUtf8();
    QString filtered;
    filtered.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            filtered += ch;
            filtered += text[++i];
            continue;
        }
        if (ch.isSurrogate()) continue;  // an unpaired half cannot be written
        if (IsXmlChar(ch.unicode())) filtered += ch;
    }
    return filtered.toUtf8();
}
