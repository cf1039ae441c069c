#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

#include "app/MainWindow.h"
#include "model/AppData.h"
#include "model/Winner.h"

namespace {

// From the files of a large event to a visible setup window: the model is read, then every
// page is built (the winner page lists all winners), offscreen.
void BM_StartUp(benchmark::State& state) {
    const int people = int(state.range(0));
    QTemporaryDir dir;
    const QString root = dir.path() + "/";
    {
        AppData data(root);
        data.ReserveCandidates(size_t(people));
        for (int i = 1; i <= people; ++i)
            data.AddCandidate(QString::number(100000 + i), QStringLiteral("员工%1").arg(i),
                              QStringLiteral("第%1部").arg(i % 37), QString(), i);
        // 10,000 winners over ten prizes.
        for (int p = 0; p < 10; ++p) {
            const int id = data.AddPrize(QStringLiteral("奖%1").arg(p), QStringLiteral("奖品"),
                                         1000, 10, QString(), p);
            for (int k = 0; k < 1000; ++k)
                data.AddWinner(std::make_unique<Winner>(Winner{
                    id, p * 1000 + k + 1, QStringLiteral("员工%1").arg(k), "2026-12-24 20:00:00"}));
        }
    }  // written to cd.xml and data.xml
    for (auto _ : state) {
        auto data = std::make_unique<AppData>(root);
        auto window = std::make_unique<MainWindow>(*data);
        window->show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.get());
        state.PauseTiming();
        window.reset();
        data->SetReadOnly(true);  // leaving is not part of starting
        data.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUp)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
