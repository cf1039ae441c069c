#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

#include "celvex.h"
#include "model/AppData.h"
#include "setup/CelvexLibrary.h"
#include "setup/ImportPreview.h"

namespace {

const char* const kImportTitles[4] = {"编号", "姓名", "部门", "手机"};
const char* const kExportTitles[4] = {"奖项", "奖品", "中奖者", "中奖时间"};

// The bridge beside the benchmark program, loaded once for all runs.
struct Bridge {
    Bridge()
        : library(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                  CelvexLibrary::LibraryFileName()) {
        library.load();
        import = reinterpret_cast<ImportFunction>(library.resolve("Import"));
        importTxt = reinterpret_cast<ImportFunction>(library.resolve("ImportTxt"));
        importTable = reinterpret_cast<ImportTableFunction>(library.resolve("ImportTable"));
        exportRows = reinterpret_cast<ExportFunction>(library.resolve("Export"));
        freeResult =
            reinterpret_cast<FreeImportResultFunction>(library.resolve("FreeImportResult"));
    }
    bool Ready() const { return import && importTxt && exportRows && freeResult && importTable; }

    QLibrary library;
    ImportFunction import = nullptr;
    ImportFunction importTxt = nullptr;
    ImportTableFunction importTable = nullptr;
    ExportFunction exportRows = nullptr;
    FreeImportResultFunction freeResult = nullptr;
};

Bridge& TheBridge() {
    static Bridge bridge;
    return bridge;
}

QTemporaryDir& Folder() {
    static QTemporaryDir dir;
    return dir;
}

std::string Prefixed(const char* prefix, long long number) {
    std::string text(prefix);
    text += std::to_string(number);
    return text;
}

// Winner-like rows: prize, content, an eleven-digit number, a time stamp.
struct Table {
    explicit Table(int count) {
        texts.reserve(static_cast<size_t>(count) * 4);
        blocks.resize(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            texts.push_back(Prefixed("A", 100000 + i));
            texts.push_back(Prefixed("候选人", i));
            texts.push_back(Prefixed("部门", i % 37));
            texts.push_back(Prefixed("", 13800000000LL + i));
            for (int k = 0; k < 4; ++k)
                blocks[static_cast<size_t>(i)].fields[k] = texts[texts.size() - 4 + k].data();
        }
        for (FieldRow& block : blocks) pointers.push_back(&block);
    }
    std::vector<std::string> texts;
    std::vector<FieldRow> blocks;
    std::vector<FieldRow*> pointers;
};

bool WriteWorkbook(const std::string& path, Table& table, const char* const* titles) {
    ExportRequest request{};
    request.rows = table.pointers.data();
    request.count = static_cast<int32_t>(table.pointers.size());
    request.title = "";
    request.fontName = "微软雅黑";
    request.fontSize = 11;
    TheBridge().exportRows(path.c_str(), titles, &request);
    return request.success;
}

bool WriteText(const QString& path, const std::string& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(text.data(), static_cast<qint64>(text.size())) ==
               static_cast<qint64>(text.size());
}

// Times one bridge import of the file and checks every row arrived.
void TimeImport(benchmark::State& state, ImportFunction import, const std::string& path, int rows) {
    for (auto _ : state) {
        ImportResult result{};
        import(path.c_str(), kImportTitles, &result);
        if (result.count != rows) state.SkipWithError("wrong row count");
        TheBridge().freeResult(&result);
    }
    state.SetItemsProcessed(state.iterations() * rows);
}

void BM_ImportXlsx(benchmark::State& state) {
    if (!TheBridge().Ready()) return state.SkipWithError("libcelvex not found");
    const int rows = static_cast<int>(state.range(0));
    const std::string path = Folder().filePath(QStringLiteral("import.xlsx")).toStdString();
    {
        // Written once with the bridge's own export (libxlsxwriter); the header row carries
        // the import titles, so the import maps by title.
        Table table(rows);
        if (!WriteWorkbook(path, table, kImportTitles))
            return state.SkipWithError("fixture not written");
    }
    TimeImport(state, TheBridge().import, path, rows);
}
BENCHMARK(BM_ImportXlsx)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ImportTxt(benchmark::State& state) {
    if (!TheBridge().Ready()) return state.SkipWithError("libcelvex not found");
    const int lines = static_cast<int>(state.range(0));
    const QString path = Folder().filePath(QStringLiteral("import.txt"));
    std::string text = "编号,姓名,部门,手机\n";
    for (int i = 0; i < lines; ++i) {
        text += Prefixed("A", 100000 + i);
        text += Prefixed(",候选人", i);
        text += Prefixed("，部门", i % 37);
        text += Prefixed(",", 13800000000LL + i);
        text += '\n';
    }
    if (!WriteText(path, text)) return state.SkipWithError("fixture not written");
    TimeImport(state, TheBridge().importTxt, path.toStdString(), lines);
}
BENCHMARK(BM_ImportTxt)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A list as spreadsheet programs export it: a banner line, the header, then every field in
// quotes, with separators, doubled quotes and now and then a line break inside them.
bool WriteQuotedCsv(const QString& path, int lines) {
    std::string text =
        "\"2026 年会抽奖名单\",,,,\n\"工号\",\"员工姓名\",\"所属部门\",\"手机号码\",\"备注\"\n";
    for (int i = 0; i < lines; ++i) {
        text += Prefixed("\"A", 100000 + i);
        text += Prefixed("\",\"候选人\"\"", i);
        text += Prefixed("\"\"\",\"研发部,", i % 37);
        text += Prefixed("组\",", 13800000000LL + i);
        text += i % 10 == 0 ? ",\"第一行\n第二行\"\n" : ",\"\"\n";
    }
    return WriteText(path, text);
}

void BM_ImportCsvQuoted(benchmark::State& state) {
    if (!TheBridge().Ready()) return state.SkipWithError("libcelvex not found");
    const int lines = static_cast<int>(state.range(0));
    const QString path = Folder().filePath(QStringLiteral("quoted.csv"));
    if (!WriteQuotedCsv(path, lines)) return state.SkipWithError("fixture not written");
    TimeImport(state, TheBridge().importTxt, path.toStdString(), lines);
}
BENCHMARK(BM_ImportCsvQuoted)->Arg(1000000)->Unit(benchmark::kMillisecond);

// From the chosen file to everything the preview shows, without the window: the bridge's
// table call, the rows on the program side, the column map and the draw-key check.
void RunPreview(benchmark::State& state, CelvexLibrary::ImportKind kind, const QString& path,
                int rows) {
    QTemporaryDir programDir;
    AppData data(programDir.path() + QLatin1Char('/'));
    data.ClearCandidates();
    const CelvexLibrary library(QCoreApplication::applicationDirPath() + QLatin1Char('/'));
    const CelvexLibrary::Fields titles = {QStringLiteral("编号"), QStringLiteral("姓名"),
                                          QStringLiteral("部门"), QStringLiteral("手机")};
    for (auto _ : state) {
        ImportPreview preview(library.ImportTable(kind, path, titles), data);
        if (preview.Rows().size() != static_cast<size_t>(rows))
            state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(preview.Flags().size());
    }
    state.SetItemsProcessed(state.iterations() * rows);
}

// The workbook of BM_ImportXlsx.
void BM_ImportPreview(benchmark::State& state) {
    if (!TheBridge().Ready()) return state.SkipWithError("libcelvex not found");
    const int rows = static_cast<int>(state.range(0));
    const QString path = Folder().filePath(QStringLiteral("preview.xlsx"));
    Table table(rows);
    if (!WriteWorkbook(path.toStdString(), table, kImportTitles))
        return state.SkipWithError("fixture not written");
    RunPreview(state, CelvexLibrary::ImportKind::Spreadsheet, path, rows);
}
BENCHMARK(BM_ImportPreview)->Arg(100000)->Unit(benchmark::kMillisecond);

// The quoted CSV of BM_ImportCsvQuoted.
void BM_ImportPreviewCsv(benchmark::State& state) {
    if (!TheBridge().Ready()) return state.SkipWithError("libcelvex not found");
    const int rows = static_cast<int>(state.range(0));
    const QString path = Folder().filePath(QStringLiteral("preview.csv"));
    if (!WriteQuotedCsv(path, rows)) return state.SkipWithError("fixture not written");
    RunPreview(state, CelvexLibrary::ImportKind::Text, path, rows);
}
BENCHMARK(BM_ImportPreviewCsv)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_Export(benchmark::State& state) {
    if (!TheBridge().Ready()) return state.SkipWithError("libcelvex not found");
    const int rows = static_cast<int>(state.range(0));
    Table table(rows);
    const std::string path = Folder().filePath(QStringLiteral("export.xlsx")).toStdString();
    for (auto _ : state)
        if (!WriteWorkbook(path, table, kExportTitles)) state.SkipWithError("export failed");
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_Export)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
