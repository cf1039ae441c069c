#include "model/CandidateFile.h"

#include <libxml/xmlreader.h>

#include <cstring>
#include <vector>

#include "model/AppData.h"
#include "model/Gb2312Codec.h"
#include "model/Utilities.h"
#include "model/XmlDocument.h"

namespace {

// Reads one Candidate element's six attributes, and the two newer ones older files lack;
// false when one of the six is missing.
bool ReadCandidate(xmlTextReaderPtr reader, Candidate& c) {
    unsigned seen = 0;
    while (xmlTextReaderMoveToNextAttribute(reader) == 1) {
        const char* name = reinterpret_cast<const char*>(xmlTextReaderConstName(reader));
        const char* value = reinterpret_cast<const char*>(xmlTextReaderConstValue(reader));
        if (!name) continue;
        if (std::strcmp(name, "id") == 0) {
            c.id = ParseInt(value);
            seen |= 1;
        } else if (std::strcmp(name, "NO") == 0) {
            c.NO = QString::fromUtf8(value);
            seen |= 2;
        } else if (std::strcmp(name, "name") == 0) {
            c.name = QString::fromUtf8(value);
            seen |= 4;
        } else if (std::strcmp(name, "department") == 0) {
            c.department = QString::fromUtf8(value);
            seen |= 8;
        } else if (std::strcmp(name, "tel") == 0) {
            c.tel = QString::fromUtf8(value);
            seen |= 16;
        } else if (std::strcmp(name, "index") == 0) {
            c.index = ParseInt(value);
            seen |= 32;
        } else if (std::strcmp(name, "group") == 0) {
            c.group = QString::fromUtf8(value);
        } else if (std::strcmp(name, "excluded") == 0) {
            c.excluded = ParseInt(value) != 0;
        }
    }
    xmlTextReaderMoveToElement(reader);
    return seen == 63;
}

bool IsBlank(xmlTextReaderPtr reader) {
    const xmlChar* v = xmlTextReaderConstValue(reader);
    if (!v) return true;
    for (; *v; ++v) {
        if (*v != ' ' && *v != '\t' && *v != '\n' && *v != '\r') return false;
    }
    return true;
}

}  // namespace

// A streaming pass instead of a document tree: a list of 100,000 candidates would take
// several times the file's size as a tree. The selection is the same as the XPath
// "//Vantoria/CandidateList": the first CandidateList element, in document order, whose
// parent is a Vantoria element.
bool CandidateFile::Load(AppData& data, const QString& path) {
    QByteArray bytes;
    if (!XmlDocument::ReadFile(path, bytes) || bytes.isEmpty()) return false;
    XmlDocument::InitLibrary();
    const int options =
        XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    xmlTextReaderPtr reader = xmlReaderForMemory(bytes.constData(), static_cast<int>(bytes.size()),
                                                 nullptr, nullptr, options);
    if (!reader) return false;

    std::vector<std::unique_ptr<Candidate>> read;
    std::vector<QByteArray> names;  // element names by depth
    int listDepth = -1;             // depth of the chosen CandidateList, -1 before it
    bool listDone = false;
    bool walkError = false;
    int status;
    while ((status = xmlTextReaderRead(reader)) == 1) {
        const int type = xmlTextReaderNodeType(reader);
        const int depth = xmlTextReaderDepth(reader);
        if (type == XML_READER_TYPE_ELEMENT) {
            const char* name = reinterpret_cast<const char*>(xmlTextReaderConstName(reader));
            names.resize(static_cast<size_t>(depth) + 1);
            names[static_cast<size_t>(depth)] = name;
            if (listDepth < 0 && !listDone && depth >= 1 &&
                std::strcmp(name, "CandidateList") == 0 &&
                names[static_cast<size_t>(depth) - 1] == "Vantoria") {
                if (xmlTextReaderIsEmptyElement(reader)) {
                    listDone = true;
                } else {
                    listDepth = depth;
                }
                continue;
            }
            if (listDepth >= 0 && depth == listDepth + 1 && !walkError) {
                auto c = std::make_unique<Candidate>();
                if (ReadCandidate(reader, *c)) {
                    read.push_back(std::move(c));
                } else {
                    walkError = true;
                }
            }
        } else if (type == XML_READER_TYPE_END_ELEMENT) {
            if (listDepth >= 0 && depth == listDepth) {
                listDepth = -1;
                listDone = true;
            }
        } else if (listDepth >= 0 && depth == listDepth + 1) {
            // Anything but an element inside the list ends the reading, as a tree walk would.
            const bool whitespace = (type == XML_READER_TYPE_WHITESPACE ||
                                     type == XML_READER_TYPE_SIGNIFICANT_WHITESPACE ||
                                     (type == XML_READER_TYPE_TEXT && IsBlank(reader)));
            if (!whitespace) walkError = true;
        }
    }
    xmlFreeTextReader(reader);
    // A file that is not well-formed yields nothing, as a document load would.
    if (status != 0) return false;
    data.ReserveCandidates(data.Candidates().size() + read.size());
    for (auto& c : read) data.AddCandidateRecord(std::move(c));
    return !walkError;
}

namespace {

// Appends text as an escaped attribute value in UTF-8.
void AppendEscaped(QByteArray& out, const QString& text) {
    const QByteArray utf8 = XmlDocument::XmlSafeUtf8(text);
    for (char ch : utf8) {
        switch (ch) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\t':
                out += "&#9;";
                break;
            case '\n':
                out += "&#10;";
                break;
            case '\r':
                out += "&#13;";
                break;
            default:
                out += ch;
        }
    }
}

}  // namespace

// Written by hand rather than through libxml2's writer: for 100,000 candidates the
// writer's per-attribute buffering costs more than the whole save may take. The bytes are
// the same XML, and the encoding step is the shared one.
QByteArray CandidateFile::Serialize(const AppData& data) {
    QByteArray utf8;
    utf8.reserve(static_cast<qsizetype>(64 + data.Candidates().size() * 120));
    utf8 += "<Vantoria><CandidateList>";
    char number[16];
    for (const auto& c : data.Candidates()) {
        utf8 += "<Candidate id=\"";
        utf8 += QByteArray::number(c->id);
        utf8 += "\" NO=\"";
        AppendEscaped(utf8, c->NO);
        utf8 += "\" name=\"";
        AppendEscaped(utf8, c->name);
        utf8 += "\" department=\"";
        AppendEscaped(utf8, c->department);
        utf8 += "\" tel=\"";
        AppendEscaped(utf8, c->tel);
        utf8 += "\" index=\"";
        snprintf(number, sizeof number, "%d", c->index);
        utf8 += number;
        // Written only when set, so a list without them is the file it always was.
        if (!c->group.isEmpty()) {
            utf8 += "\" group=\"";
            AppendEscaped(utf8, c->group);
        }
        if (c->excluded) utf8 += "\" excluded=\"1";
        utf8 += "\"/>";
    }
    utf8 += "</CandidateList></Vantoria>\n";
    QByteArray bytes = XmlDocument::Declaration();
    if (!Gb2312Codec::Encode(utf8, bytes)) return QByteArray();
    return bytes;
}
