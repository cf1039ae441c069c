#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTreeView>

#include <memory>
#include <vector>

#include "model/AppData.h"
#include "setup/CandidateListTab.h"
#include "setup/CelvexLibrary.h"

namespace {

std::vector<CelvexLibrary::Fields> ImportedRows(int n) {
    std::vector<CelvexLibrary::Fields> rows;
    rows.reserve(size_t(n));
    for (int i = 0; i < n; ++i)
        rows.push_back({QString::number(100000 + i), QStringLiteral("姓名%1").arg(i),
                        QStringLiteral("部门%1").arg(i % 40),
                        QStringLiteral("138%1").arg(i, 8, 10, QLatin1Char('0'))});
    return rows;
}

// Rows handed back by an import until the page shows them.
void BM_AddImportedRows(benchmark::State& state) {
    const std::vector<CelvexLibrary::Fields> rows = ImportedRows(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        auto data = std::make_unique<AppData>(dir.path() + "/");
        auto tab = std::make_unique<CandidateListTab>(*data);
        tab->resize(800, 500);
        tab->show();
        QApplication::processEvents();
        state.ResumeTiming();

        benchmark::DoNotOptimize(tab->AddImportedRows(rows));
        QApplication::processEvents();

        state.PauseTiming();
        if (tab->List()->model()->rowCount() != int(rows.size()))
            state.SkipWithError("rows missing from the list");
        tab.reset();
        data.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AddImportedRows)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
