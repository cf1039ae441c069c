#include "bridge/BridgeCalls.h"

namespace {
// Piece by piece: "[" + s + "]" trips a false -Wrestrict of GCC 12 at -O3.
void AppendBracketed(std::string& out, const QString& field) {
    out += '[';
    out += field.toStdString();
    out += ']';
}
}  // namespace

BridgeCalls::BridgeCalls()
    : library_(QStringLiteral(VANTORIA_BUILD_DIR "/") + CelvexLibrary::LibraryFileName()) {
    if (!library_.load()) return;
    import = reinterpret_cast<ImportFunction>(library_.resolve("Import"));
    importTxt = reinterpret_cast<ImportFunction>(library_.resolve("ImportTxt"));
    exportRows = reinterpret_cast<ExportFunction>(library_.resolve("Export"));
    freeResult = reinterpret_cast<FreeImportResultFunction>(library_.resolve("FreeImportResult"));
    importTable = reinterpret_cast<ImportTableFunction>(library_.resolve("ImportTable"));
    importTxtTable = reinterpret_cast<ImportTableFunction>(library_.resolve("ImportTxtTable"));
    freeTable = reinterpret_cast<FreeTableResultFunction>(library_.resolve("FreeTableResult"));
}

CelvexLibrary BridgeCalls::Library() {
    return CelvexLibrary(QStringLiteral(VANTORIA_BUILD_DIR "/"));
}

BridgeCalls::Fields BridgeCalls::ImportTitles() {
    return {QStringLiteral("编号"), QStringLiteral("姓名"), QStringLiteral("部门"),
            QStringLiteral("手机")};
}

BridgeCalls::Fields BridgeCalls::ExportTitles() {
    return {QStringLiteral("奖项"), QStringLiteral("奖品"), QStringLiteral("中奖者"),
            QStringLiteral("中奖时间")};
}

BridgeCalls::Fields BridgeCalls::Row(const char* a, const char* b, const char* c, const char* d) {
    Fields row;
    const char* texts[4] = {a, b, c, d};
    for (int k = 0; k < 4; ++k)
        if (texts[k]) row[k] = QString::fromUtf8(texts[k]);
    return row;
}

std::string BridgeCalls::Describe(const std::vector<Fields>& rows) {
    std::string out;
    for (const Fields& row : rows) {
        for (const QString& field : row)
            if (field.isNull())
                out += "<null>";
            else
                AppendBracketed(out, field);
        out += "\n";
    }
    return out;
}

std::vector<BridgeCalls::Fields> BridgeCalls::MappedRows(const CelvexLibrary::TableOutcome& table) {
    std::vector<Fields> out;
    for (size_t r = size_t(table.headerRow + 1); r < table.rows.size(); ++r) {
        Fields fields;
        for (size_t k = 0; k < 4; ++k)
            if (table.columns[k] >= 0) fields[k] = table.Text(table.rows[r], table.columns[k]);
        out.push_back(fields);
    }
    return out;
}

std::string BridgeCalls::DescribeLoosely(const std::vector<Fields>& rows) {
    std::string out;
    for (const Fields& row : rows) {
        for (const QString& field : row) AppendBracketed(out, field);
        out += "\n";
    }
    return out;
}
