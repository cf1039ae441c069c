#include "XlsxReader.h"

#include <charconv>
#include <memory>
#include <stdexcept>
#include <string_view>

#include "AppendUtf8.h"
#include "SheetData.h"
#include "XmlStream.h"

namespace {

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};

bool IsAsciiSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsAsciiSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsAsciiSpace(text.back())) text.remove_suffix(1);
    return text;
}

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
    text = Trim(text);
    if (text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

// Joins a relationship target to the folder of its source part; an absolute target starts
// at the package root. "." and ".." segments are folded.
std::string ResolvePart(std::string_view folder, std::string_view target) {
    std::string joined = target.starts_with('/') ? std::string(target.substr(1))
                                                 : std::string(folder) + std::string(target);
    std::vector<std::string_view> segments;
    std::string_view rest(joined);
    while (!rest.empty()) {
        const size_t slash = rest.find('/');
        const std::string_view segment = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (segment.empty() || segment == ".") continue;
        if (segment == "..") {
            if (!segments.empty()) segments.pop_back();
            continue;
        }
        segments.push_back(segment);
    }
    std::string part;
    for (std::string_view s : segments) {
        if (!part.empty()) part += '/';
        part += s;
    }
    return part;
}

std::string FolderOf(std::string_view part) {
    const size_t slash = part.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(part.substr(0, slash + 1));
}

// The relationships of "xl/workbook.xml" live in "xl/_rels/workbook.xml.rels".
std::string RelationshipsPartOf(std::string_view part) {
    const size_t slash = part.rfind('/');
    if (slash == std::string_view::npos) return "_rels/" + std::string(part) + ".rels";
    return std::string(part.substr(0, slash + 1)) + "_rels/" + std::string(part.substr(slash + 1)) +
           ".rels";
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Workbook text escapes characters XML cannot hold as "_xHHHH_" (Excel writes a carriage
// return as "_x000D_" and a literal "_x" as "_x005F_x").
std::string DecodeEscapes(std::string_view text) {
    if (text.find("_x") == std::string_view::npos) return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '_' && i + 6 < text.size() && text[i + 1] == 'x' && text[i + 6] == '_') {
            unsigned code = 0;
            bool hex = true;
            for (size_t k = 2; k < 6 && hex; ++k) {
                const int d = HexDigit(text[i + k]);
                hex = d >= 0;
                code = code * 16 + static_cast<unsigned>(d);
            }
            if (hex && (code < 0xD800 || code > 0xDFFF)) {
                AppendUtf8(out, code);
                i += 7;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

// "B12" -> column 1, row 11. Throws on a reference outside the sheet.
void ParseReference(std::string_view ref, uint32_t& row, uint32_t& column) {
    size_t i = 0;
    uint32_t col = 0;
    while (i < ref.size() && i < 4) {
        char c = ref[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c < 'A' || c > 'Z') break;
        col = col * 26 + static_cast<uint32_t>(c - 'A' + 1);
        ++i;
    }
    uint32_t r = 0;
    if (i == 0 || col > SheetData::kMaxColumns || !ParseNumber(ref.substr(i), r) || r == 0 ||
        r > SheetData::kMaxRows)
        throw std::runtime_error("bad cell reference");
    row = r - 1;
    column = col - 1;
}

// Collects the text of <t> elements of a string item (<si> or <is>), leaving out the
// phonetic guides (<rPh>) that only annotate it.
class StringItem {
  public:
    // Feeds one node; returns true once the item's end element was seen.
    bool Feed(XmlStream& xml, const char* itemName) {
        if (xml.IsStart()) {
            if (xml.Is("rPh")) inPhonetic_ = true;
            if (xml.Is("t") && !inPhonetic_) inText_ = true;
        } else if (xml.IsEnd()) {
            if (xml.Is("t")) inText_ = false;
            if (xml.Is("rPh")) inPhonetic_ = false;
            if (xml.Is(itemName)) return true;
        } else if (inText_ && xml.IsText()) {
            text_.append(xml.Value());
        }
        return false;
    }
    std::string Take() {
        std::string text = DecodeEscapes(text_);
        text_.clear();
        inText_ = inPhonetic_ = false;
        return text;
    }

  private:
    std::string text_;
    bool inText_ = false;
    bool inPhonetic_ = false;
};

}  // namespace

void XlsxReader::Read(const std::filesystem::path& path, SheetData& sheet) {
    int error = 0;
    std::unique_ptr<zip_t, ArchiveCloser> archive(
        zip_open(reinterpret_cast<const char*>(path.u8string().c_str()), ZIP_RDONLY, &error));
    if (!archive) throw std::runtime_error("not a readable archive");
    XlsxReader reader(archive.get(), sheet);
    reader.ReadWorkbook();
}

void XlsxReader::ReadWorkbook() {
    const std::string workbook = WorkbookPart();
    const std::vector<std::string> sheetIds = ReadSheetIds(workbook);
    const Relationships relationships = ReadRelationships(workbook);

    std::string worksheet, sharedStrings, styles;
    for (const auto& [id, relationship] : relationships) {
        if (relationship.type.ends_with("/sharedStrings")) sharedStrings = relationship.target;
        if (relationship.type.ends_with("/styles")) styles = relationship.target;
    }
    // The first sheet of the workbook that is a worksheet (chart sheets hold no cells).
    for (const std::string& id : sheetIds) {
        const auto it = relationships.find(id);
        if (it != relationships.end() && it->second.type.ends_with("/worksheet")) {
            worksheet = it->second.target;
            break;
        }
    }
    if (worksheet.empty()) throw std::runtime_error("workbook without a worksheet");
    if (!styles.empty()) ReadStyles(styles);
    if (!sharedStrings.empty()) ReadSharedStrings(sharedStrings);
    ReadWorksheet(worksheet);
}

bool XlsxReader::Locate(const std::string& name, zip_uint64_t& index) const {
    // Part names are case-insensitive.
    const zip_int64_t found = zip_name_locate(archive_, name.c_str(), ZIP_FL_NOCASE);
    if (found < 0) return false;
    index = static_cast<zip_uint64_t>(found);
    return true;
}

XlsxReader::Relationships XlsxReader::ReadRelationships(const std::string& partName) {
    Relationships relationships;
    zip_uint64_t index = 0;
    if (!Locate(RelationshipsPartOf(partName), index)) return relationships;
    const std::string folder = FolderOf(partName);
    ZipEntryStream entry(archive_, index, budget_);
    XmlStream xml(entry);
    while (xml.Next()) {
        if (!xml.IsStart() || !xml.Is("Relationship")) continue;
        std::string id, type, target;
        bool external = false;
        xml.ForEachAttribute([&](std::string_view name, bool, std::string_view value) {
            if (name == "Id") id = value;
            if (name == "Type") type = value;
            if (name == "Target") target = value;
            if (name == "TargetMode") external = value == "External";
        });
        if (external || id.empty() || target.empty()) continue;
        relationships[id] = Relationship{type, ResolvePart(folder, target)};
    }
    return relationships;
}

std::string XlsxReader::WorkbookPart() {
    const Relationships package = ReadRelationships("");
    for (const auto& [id, relationship] : package)
        if (relationship.type.ends_with("/officeDocument")) return relationship.target;
    return "xl/workbook.xml";  // packages without relationships put it here
}

std::vector<std::string> XlsxReader::ReadSheetIds(const std::string& workbookPart) {
    zip_uint64_t index = 0;
    if (!Locate(workbookPart, index)) throw std::runtime_error("no workbook part");
    std::vector<std::string> ids;
    ZipEntryStream entry(archive_, index, budget_);
    XmlStream xml(entry);
    while (xml.Next()) {
        if (!xml.IsStart()) continue;
        if (xml.Is("workbookPr")) {
            xml.ForEachAttribute([&](std::string_view name, bool, std::string_view value) {
                if (name == "date1904") sheet_.date1904 = value == "1" || value == "true";
            });
        } else if (xml.Is("sheet")) {
            std::string id;
            xml.ForEachAttribute(
                [&](std::string_view name, bool namespaced, std::string_view value) {
                    if (name == "id" && namespaced) id = value;
                });
            ids.push_back(id);
        }
    }
    return ids;
}

void XlsxReader::ReadSharedStrings(const std::string& part) {
    zip_uint64_t index = 0;
    if (!Locate(part, index)) return;
    ZipEntryStream entry(archive_, index, budget_);
    XmlStream xml(entry);
    StringItem item;
    bool inItem = false;
    while (xml.Next()) {
        if (!inItem) {
            if (xml.IsStart() && xml.Is("si")) inItem = true;
            continue;
        }
        if (item.Feed(xml, "si")) {
            shared_.push_back(sheet_.TextCell(item.Take()));
            inItem = false;
        }
    }
}

void XlsxReader::ReadStyles(const std::string& part) {
    zip_uint64_t index = 0;
    if (!Locate(part, index)) return;
    ZipEntryStream entry(archive_, index, budget_);
    XmlStream xml(entry);
    bool inCellXfs = false;
    while (xml.Next()) {
        if (xml.IsEnd() && xml.Is("cellXfs")) inCellXfs = false;
        if (!xml.IsStart()) continue;
        if (xml.Is("cellXfs")) {
            inCellXfs = true;
        } else if (xml.Is("numFmt")) {
            int id = -1;
            std::string code;
            xml.ForEachAttribute([&](std::string_view name, bool, std::string_view value) {
                if (name == "numFmtId") ParseNumber(value, id);
                if (name == "formatCode") code = value;
            });
            if (id >= 0) formats_.AddCustom(id, code);
        } else if (inCellXfs && xml.Is("xf")) {
            int id = 0;
            xml.ForEachAttribute([&](std::string_view name, bool, std::string_view value) {
                if (name == "numFmtId") ParseNumber(value, id);
            });
            formats_.AddCellStyle(id);
        }
    }
}

void XlsxReader::ReadWorksheet(const std::string& part) {
    zip_uint64_t index = 0;
    if (!Locate(part, index)) throw std::runtime_error("no worksheet part");
    ZipEntryStream entry(archive_, index, budget_);
    XmlStream xml(entry);

    bool inSheetData = false;
    uint32_t row = 0;         // current row, 0-based
    int64_t lastRow = -1;     // for rows without a reference
    int64_t lastColumn = -1;  // for cells without a reference

    // The cell being read.
    bool inCell = false, inValue = false, inInline = false, haveInline = false, hasValue = false;
    uint32_t cellRow = 0, cellColumn = 0;
    long style = -1;
    std::string type, value, inlineValue;
    StringItem inlineText;

    const auto finishCell = [&] {
        inCell = false;
        if (!hasValue) return;
        SheetCell cell;
        if (type == "s") {
            if (Trim(value).empty()) return;  // <v/>: no value
            size_t i = 0;
            if (!ParseNumber(value, i) || i >= shared_.size())
                throw std::runtime_error("bad shared string index");
            cell = shared_[i];
        } else if (type == "inlineStr" || (haveInline && value.empty())) {
            cell = sheet_.TextCell(haveInline ? inlineValue : DecodeEscapes(value));
        } else if (type == "str") {
            cell = sheet_.TextCell(DecodeEscapes(value));
        } else if (type == "b") {
            cell.kind = SheetCell::Kind::Boolean;
        } else if (type == "e") {
            cell.kind = SheetCell::Kind::Error;
        } else if (type == "d") {
            cell = sheet_.TextCell(value);
            cell.kind = SheetCell::Kind::IsoDate;
        } else if (ParseNumber(value, cell.number)) {
            switch (formats_.OfStyle(style)) {
                case NumberFormats::Kind::Date:
                    cell.kind = SheetCell::Kind::Date;
                    break;
                case NumberFormats::Kind::Time:
                    cell.kind = SheetCell::Kind::Time;
                    break;
                case NumberFormats::Kind::Other:
                    cell.kind = SheetCell::Kind::Number;
                    break;
            }
        } else {
            if (Trim(value).empty()) return;
            cell = sheet_.TextCell(value);  // a number cell holding text: keep the text
        }
        cell.row = cellRow;
        cell.column = static_cast<uint16_t>(cellColumn);
        sheet_.Add(cell);
    };

    while (xml.Next()) {
        if (!inSheetData) {
            if (xml.IsStart() && xml.Is("sheetData")) inSheetData = true;
            continue;
        }
        if (inCell) {
            if (inInline) {
                if (inlineText.Feed(xml, "is")) {
                    inInline = false;
                    haveInline = hasValue = true;
                    inlineValue = inlineText.Take();
                }
                continue;
            }
            if (xml.IsStart()) {
                if (xml.Is("v")) {
                    inValue = true;
                    hasValue = true;
                } else if (xml.Is("is")) {
                    inInline = true;
                }
            } else if (xml.IsEnd()) {
                if (xml.Is("v")) inValue = false;
                if (xml.Is("c")) finishCell();
            } else if (inValue && xml.IsText()) {
                value.append(xml.Value());
            }
            continue;
        }
        if (xml.IsEnd() && xml.Is("sheetData")) break;
        if (!xml.IsStart()) continue;
        if (xml.Is("row")) {
            int64_t r = lastRow + 1;
            xml.ForEachAttribute([&](std::string_view name, bool, std::string_view text) {
                uint32_t number = 0;
                if (name != "r") return;
                if (!ParseNumber(text, number) || number == 0 || number > SheetData::kMaxRows)
                    throw std::runtime_error("bad row number");
                r = number - 1;
            });
            if (r >= SheetData::kMaxRows) throw std::runtime_error("too many rows");
            row = static_cast<uint32_t>(r);
            lastRow = r;
            lastColumn = -1;
        } else if (xml.Is("c")) {
            cellRow = row;
            cellColumn = static_cast<uint32_t>(lastColumn + 1);
            style = -1;
            type.clear();
            value.clear();
            hasValue = inValue = inInline = haveInline = false;
            xml.ForEachAttribute([&](std::string_view name, bool, std::string_view text) {
                if (name == "r") ParseReference(text, cellRow, cellColumn);
                if (name == "t") type = text;
                if (name == "s") ParseNumber(text, style);
            });
            if (cellColumn >= SheetData::kMaxColumns) throw std::runtime_error("too many columns");
            lastColumn = cellColumn;
            inCell = true;
        }
    }
}
