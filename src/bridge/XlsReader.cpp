#include "XlsReader.h"

#include <freexl.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

#include "BiffCells.h"
#include "CompoundFile.h"
#include "CompoundFileCheck.h"
#include "FileAccess.h"
#include "IsolatedRun.h"
#include "SheetData.h"

namespace {

class Workbook {
  public:
    explicit Workbook(const std::filesystem::path& path) {
        // freexl takes a narrow file name: UTF-8 here (on Windows it would need the wide form).
        const std::u8string name = path.u8string();
        if (freexl_open(reinterpret_cast<const char*>(name.c_str()), &handle_) != FREEXL_OK) {
            if (handle_) freexl_close(handle_);
            handle_ = nullptr;
            throw std::runtime_error("not a readable legacy workbook");
        }
    }
    ~Workbook() {
        if (handle_) freexl_close(handle_);
    }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;
    const void* get() const { return handle_; }

  private:
    const void* handle_ = nullptr;
};

// The cells travel from the isolated reader as records: row (4 bytes), column (2), kind (1),
// then a number (8) or a text length (4) and its bytes.
template <typename T>
void Put(std::string& out, T value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <typename T>
T Take(std::string_view& in) {
    if (in.size() < sizeof(T)) throw std::runtime_error("truncated cell records");
    T value;
    std::memcpy(&value, in.data(), sizeof value);
    in.remove_prefix(sizeof value);
    return value;
}

void PutCell(std::string& out, uint32_t row, uint16_t column, SheetCell::Kind kind) {
    Put(out, row);
    Put(out, column);
    Put(out, static_cast<uint8_t>(kind));
}

void PutText(std::string& out, const char* text) {
    const std::string_view view(text ? text : "");
    Put(out, static_cast<uint32_t>(view.size()));
    out.append(view);
}

// The boolean, error and formula cells of the first sheet, from the workbook stream itself.
BiffCells::Found CellsBeyondFreexl(std::string_view file) {
    // "Workbook" in Excel 97 and later, "Book" in Excel 5/95.
    const auto stream = CompoundFile::ReadStream(file, {"Workbook", "Book"});
    return stream ? BiffCells::Read(*stream) : BiffCells::Found{};
}

// A formula's cached result where freexl found nothing.
void PutFormula(std::string& out, uint32_t row, uint16_t column,
                const BiffCells::Formula& formula) {
    switch (formula.result) {
        case BiffCells::Formula::Result::Number:
            PutCell(out, row, column, SheetCell::Kind::Number);
            Put(out, formula.number);
            break;
        case BiffCells::Formula::Result::Text:
            PutCell(out, row, column, SheetCell::Kind::Text);
            PutText(out, formula.text.c_str());
            break;
        case BiffCells::Formula::Result::Boolean:
            PutCell(out, row, column, SheetCell::Kind::Boolean);
            break;
        case BiffCells::Formula::Result::Error:
            PutCell(out, row, column, SheetCell::Kind::Error);
            break;
        case BiffCells::Formula::Result::Empty:
            break;
    }
}

// file: the bytes of the file at path, read once by the caller.
bool ReadCells(const std::filesystem::path& path, std::string_view file, std::string& out) {
    const BiffCells::Found beyond = CellsBeyondFreexl(file);
    const auto isBoolErr = [&](unsigned int r, unsigned short c) {
        return std::binary_search(beyond.boolErr.begin(), beyond.boolErr.end(),
                                  BiffCells::Place(r, static_cast<uint16_t>(c)));
    };
    const auto formulaAt = [&](unsigned int r, unsigned short c) -> const BiffCells::Formula* {
        const BiffCells::Place place(r, static_cast<uint16_t>(c));
        const auto it = std::lower_bound(
            beyond.formulas.begin(), beyond.formulas.end(), place,
            [](const BiffCells::Formula& f, const BiffCells::Place& p) { return f.place < p; });
        return it != beyond.formulas.end() && it->place == place ? &*it : nullptr;
    };
    Workbook book(path);
    unsigned int sheets = 0;
    if (freexl_get_info(book.get(), FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK || sheets == 0)
        return false;
    if (freexl_select_active_worksheet(book.get(), 0) != FREEXL_OK) return false;
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_worksheet_dimensions(book.get(), &rows, &columns) != FREEXL_OK) return false;
    if (rows > SheetData::kMaxRows || columns > SheetData::kMaxColumns) return false;

    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue value;
            if (freexl_get_cell_value(book.get(), r, c, &value) != FREEXL_OK) return false;
            switch (value.type) {
                case FREEXL_CELL_NULL:
                    if (const BiffCells::Formula* formula = formulaAt(r, c))
                        PutFormula(out, r, c, *formula);
                    break;
                case FREEXL_CELL_INT:
                case FREEXL_CELL_DOUBLE:
                    if (isBoolErr(r, c)) {
                        PutCell(out, r, c, SheetCell::Kind::Boolean);
                        break;
                    }
                    PutCell(out, r, c, SheetCell::Kind::Number);
                    Put(out, value.type == FREEXL_CELL_INT
                                 ? static_cast<double>(value.value.int_value)
                                 : value.value.double_value);
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                    PutCell(out, r, c, SheetCell::Kind::Text);
                    PutText(out, value.value.text_value);
                    break;
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                    // freexl already gives "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS".
                    PutCell(out, r, c, SheetCell::Kind::IsoDate);
                    PutText(out, value.value.text_value);
                    break;
                case FREEXL_CELL_TIME:
                    PutCell(out, r, c, SheetCell::Kind::Time);
                    break;
                default:
                    PutCell(out, r, c, SheetCell::Kind::Error);
                    break;
            }
            if (out.size() > IsolatedRun::kMaxOutput) return false;
        }
    }
    return true;
}

// freexl 1.0.6 still overruns its buffers on some damaged record streams: it reads the file in
// a process of its own.
const IsolatedRun::Task kReadCells("legacy-cells", &ReadCells);

void AddCells(std::string_view in, SheetData& sheet) {
    while (!in.empty()) {
        const auto row = Take<uint32_t>(in);
        const auto column = Take<uint16_t>(in);
        const auto kind = static_cast<SheetCell::Kind>(Take<uint8_t>(in));
        if (row >= SheetData::kMaxRows || column >= SheetData::kMaxColumns)
            throw std::runtime_error("cell outside the sheet");
        SheetCell cell;
        switch (kind) {
            case SheetCell::Kind::Number:
                cell.number = Take<double>(in);
                break;
            case SheetCell::Kind::Text:
            case SheetCell::Kind::IsoDate: {
                const auto length = Take<uint32_t>(in);
                if (length > in.size()) throw std::runtime_error("truncated cell records");
                cell = sheet.TextCell(in.substr(0, length));
                in.remove_prefix(length);
                break;
            }
            case SheetCell::Kind::Time:
            case SheetCell::Kind::Boolean:
            case SheetCell::Kind::Error:
                break;
            default:
                throw std::runtime_error("unknown cell record");
        }
        cell.kind = kind;
        cell.row = row;
        cell.column = column;
        sheet.Add(cell);
    }
}

}  // namespace

void XlsReader::Read(const std::filesystem::path& path, SheetData& sheet) {
    std::string bytes;
    if (!FileAccess::ReadAll(path, bytes) || !CompoundFileCheck::DirectoryIsSound(bytes))
        throw std::runtime_error("damaged compound file");
    const auto cells = IsolatedRun::Run(kReadCells, path, bytes);
    if (!cells) throw std::runtime_error("legacy workbook unreadable");
    AddCells(*cells, sheet);
}
