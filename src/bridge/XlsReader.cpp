#include "XlsReader.h"

#include <freexl.h>

#include <stdexcept>
#include <string>
#include <string_view>

#include "CompoundFileCheck.h"
#include "FileAccess.h"
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

}  // namespace

void XlsReader::Read(const std::filesystem::path& path, SheetData& sheet) {
    std::string bytes;
    if (!FileAccess::ReadAll(path, bytes) || !CompoundFileCheck::DirectoryIsSound(bytes))
        throw std::runtime_error("damaged compound file");
    bytes = std::string();
    Workbook book(path);
    unsigned int sheets = 0;
    if (freexl_get_info(book.get(), FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK || sheets == 0)
        throw std::runtime_error("workbook without a worksheet");
    if (freexl_select_active_worksheet(book.get(), 0) != FREEXL_OK)
        throw std::runtime_error("first worksheet unreadable");
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_worksheet_dimensions(book.get(), &rows, &columns) != FREEXL_OK)
        throw std::runtime_error("worksheet dimensions unreadable");
    if (rows > SheetData::kMaxRows || columns > SheetData::kMaxColumns)
        throw std::runtime_error("worksheet too large");

    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue value;
            if (freexl_get_cell_value(book.get(), r, c, &value) != FREEXL_OK)
                throw std::runtime_error("cell unreadable");
            SheetCell cell;
            switch (value.type) {
                case FREEXL_CELL_NULL:
                    continue;
                case FREEXL_CELL_INT:
                    cell.number = value.value.int_value;
                    break;
                case FREEXL_CELL_DOUBLE:
                    cell.number = value.value.double_value;
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                    cell = sheet.TextCell(value.value.text_value ? value.value.text_value : "");
                    break;
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                    // freexl already gives "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS".
                    cell = sheet.TextCell(value.value.text_value ? value.value.text_value : "");
                    cell.kind = SheetCell::Kind::IsoDate;
                    break;
                case FREEXL_CELL_TIME:
                    cell.kind = SheetCell::Kind::Time;
                    break;
                default:
                    cell.kind = SheetCell::Kind::Error;
                    break;
            }
            cell.row = r;
            cell.column = c;
            sheet.Add(cell);
        }
    }
}
