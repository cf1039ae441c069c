#include "setup/CelvexLibrary.h"

#include <QApplication>
#include <QByteArray>
#include <QLibrary>

#include <utility>

#include "celvex.h"

namespace {

// The wait cursor for the whole operation, restored on every way out.
class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Loads the library for one call and unloads it when the call is over.
class LoadedLibrary {
  public:
    explicit LoadedLibrary(const QString& file) : library_(file) { library_.load(); }
    ~LoadedLibrary() {
        if (library_.isLoaded()) library_.unload();
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    template <typename Function>
    Function Resolve(const char* name) {
        return library_.isLoaded() ? reinterpret_cast<Function>(library_.resolve(name)) : nullptr;
    }

  private:
    QLibrary library_;
};

// UTF-8 forms of the four titles, kept alive for the call.
struct NarrowTitles {
    explicit NarrowTitles(const CelvexLibrary::Fields& titles) {
        for (size_t i = 0; i < titles.size(); ++i) {
            bytes[i] = titles[i].toUtf8();
            pointers[i] = titles[i].isNull() ? nullptr : bytes[i].constData();
        }
    }
    std::array<QByteArray, 4> bytes;
    std::array<const char*, 4> pointers{};
};

// A path that is empty reaches the library as null, which it reports as an invalid argument.
const char* PathOrNull(const QByteArray& path) {
    return path.isEmpty() ? nullptr : path.constData();
}

QString FromSlot(const char* text) {
    if (!text) return QString();
    QString converted = QString::fromUtf8(text);
    if (converted.isNull()) converted = QStringLiteral("");  // an empty slot stays non-null
    return converted;
}

}  // namespace

CelvexLibrary::CelvexLibrary(QString programDir) : programDir_(std::move(programDir)) {}

QString CelvexLibrary::LibraryFileName() {
    // The build names the file: libcelvex.so here, celvex.dll on Windows.
    return QStringLiteral(CELVEX_FILE_NAME);
}

CelvexLibrary::ImportOutcome CelvexLibrary::Import(ImportKind kind, const QString& path,
                                                   const Fields& titles) const {
    WaitCursor wait;
    ImportOutcome outcome;
    LoadedLibrary library(programDir_ + LibraryFileName());
    const auto import =
        library.Resolve<ImportFunction>(kind == ImportKind::Text ? "ImportTxt" : "Import");
    const auto release = library.Resolve<FreeImportResultFunction>("FreeImportResult");
    if (!import || !release) return outcome;
    outcome.loaded = true;

    const QByteArray narrowPath = path.toUtf8();
    const NarrowTitles narrowTitles(titles);
    ImportResult result{};
    import(PathOrNull(narrowPath), narrowTitles.pointers.data(), &result);

    outcome.success = result.success != 0;
    outcome.error = result.error;
    if (outcome.success && result.rows) {
        outcome.rows.reserve(static_cast<size_t>(result.count));
        for (int32_t i = 0; i < result.count; ++i) {
            Fields fields;
            if (const FieldRow* row = result.rows[i])
                for (size_t k = 0; k < fields.size(); ++k) fields[k] = FromSlot(row->fields[k]);
            outcome.rows.push_back(std::move(fields));
        }
    }
    // The rows belong to the library's allocator: freed before it is unloaded.
    release(&result);
    return outcome;
}

QString CelvexLibrary::TableOutcome::Text(const Row& row, int column) const {
    for (size_t i = row.firstCell; i < row.firstCell + row.cellCount; ++i) {
        if (cells[i].column == column) return cells[i].text;
        if (cells[i].column > column) break;
    }
    return QString();
}

CelvexLibrary::TableOutcome CelvexLibrary::ImportTable(ImportKind kind, const QString& path,
                                                       const Fields& titles) const {
    WaitCursor wait;
    TableOutcome outcome;
    LoadedLibrary library(programDir_ + LibraryFileName());
    const auto import = library.Resolve<ImportTableFunction>(
        kind == ImportKind::Text ? "ImportTxtTable" : "ImportTable");
    const auto release = library.Resolve<FreeTableResultFunction>("FreeTableResult");
    if (!import || !release) return outcome;
    outcome.loaded = true;

    const QByteArray narrowPath = path.toUtf8();
    const NarrowTitles narrowTitles(titles);
    TableResult result{};
    import(PathOrNull(narrowPath), narrowTitles.pointers.data(), &result);

    outcome.success = result.success != 0;
    outcome.error = result.error;
    if (outcome.success) {
        outcome.headerRow = result.headerRow;
        for (size_t k = 0; k < 4; ++k) outcome.columns[k] = result.columns[k];
        outcome.groupColumn = result.groupColumn;
        outcome.excludedColumn = result.excludedColumn;
        outcome.takesPartColumn = result.takesPartColumn;
        outcome.replaced = result.replaced;
        outcome.encoding = result.encoding;
        size_t cellCount = 0;
        for (int32_t i = 0; i < result.count; ++i) cellCount += size_t(result.rows[i].count);
        outcome.rows.reserve(size_t(result.count));
        outcome.cells.reserve(cellCount);
        for (int32_t i = 0; i < result.count; ++i) {
            const TableRow& row = result.rows[i];
            outcome.rows.push_back({row.line, outcome.cells.size(), size_t(row.count)});
            for (int32_t c = 0; c < row.count; ++c)
                outcome.cells.push_back(
                    {row.cells[c].column, QString::fromUtf8(row.cells[c].text)});
        }
    }
    // The rows belong to the library's allocator: freed before it is unloaded.
    release(&result);
    return outcome;
}

CelvexLibrary::ExportOutcome CelvexLibrary::Export(const QString& path, const Fields& titles,
                                                   const QString& title, const QString& fontName,
                                                   int fontSize, const std::vector<Fields>& rows,
                                                   const Detail* detail) const {
    WaitCursor wait;
    ExportOutcome outcome;
    LoadedLibrary library(programDir_ + LibraryFileName());
    const auto exportRows = library.Resolve<ExportFunction>("Export");
    const auto exportDetailed = library.Resolve<ExportDetailedFunction>("ExportDetailed");
    if (!exportRows || (detail && !exportDetailed)) return outcome;
    outcome.loaded = true;

    // The row blocks belong to this side; the vectors free them when the call is over.
    std::vector<std::array<QByteArray, 4>> texts(rows.size());
    std::vector<FieldRow> blocks(rows.size());
    std::vector<FieldRow*> pointers(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        for (size_t k = 0; k < 4; ++k) {
            texts[i][k] = rows[i][k].toUtf8();
            blocks[i].fields[k] = rows[i][k].isNull() ? nullptr : texts[i][k].data();
        }
        pointers[i] = &blocks[i];
    }
    const QByteArray narrowPath = path.toUtf8();
    const QByteArray narrowTitle = title.toUtf8();
    const QByteArray narrowFont = fontName.toUtf8();
    const NarrowTitles narrowTitles(titles);

    ExportRequest request{};
    request.rows = pointers.empty() ? nullptr : pointers.data();
    request.count = static_cast<int32_t>(pointers.size());
    request.title = narrowTitle.constData();
    request.fontName = narrowFont.constData();
    request.fontSize = fontSize;
    if (!detail) {
        exportRows(PathOrNull(narrowPath), narrowTitles.pointers.data(), &request);
    } else {
        const QByteArray sheetName = detail->name.toUtf8();
        std::vector<QByteArray> detailTitles;
        std::vector<const char*> titlePointers;
        for (const QString& t : detail->titles) detailTitles.push_back(t.toUtf8());
        for (const QByteArray& t : detailTitles) titlePointers.push_back(t.constData());
        const size_t columns = titlePointers.size();
        std::vector<QByteArray> cellTexts;
        cellTexts.reserve(detail->rows.size() * columns);
        for (const QStringList& row : detail->rows)
            for (size_t c = 0; c < columns; ++c)
                cellTexts.push_back(qsizetype(c) < row.size() ? row[qsizetype(c)].toUtf8()
                                                              : QByteArray());
        std::vector<const char*> cellPointers;
        cellPointers.reserve(cellTexts.size());
        for (const QByteArray& t : cellTexts) cellPointers.push_back(t.constData());
        DetailSheet sheet{};
        sheet.name = sheetName.constData();
        sheet.columnCount = int32_t(columns);
        sheet.titles = titlePointers.data();
        sheet.timeColumn = detail->timeColumn;
        sheet.rowCount = int32_t(detail->rows.size());
        sheet.cells = cellPointers.empty() ? nullptr : cellPointers.data();
        exportDetailed(PathOrNull(narrowPath), narrowTitles.pointers.data(), &request, &sheet);
    }

    outcome.success = request.success != 0;
    outcome.error = request.error;
    return outcome;
}
