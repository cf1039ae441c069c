#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <memory>

#include "draw/DrawEngine.h"
#include "draw/ShowHost.h"
#include "model/AppData.h"

namespace {

class BenchHost : public ShowHost {
  public:
    std::function<void()> show;
    bool AskToContinue(const Shortage&) override { return true; }
    void RunShow() override {
        if (show) show();
    }
};

// A program folder with music and n candidates with distinct names.
struct DrawFixture {
    explicit DrawFixture(int n) {
        QDir(dir.path()).mkpath("music");
        QFile f(dir.path() + "/music/default.mp3");
        if (f.open(QIODevice::WriteOnly)) f.write("ID3");
        f.close();
        data = std::make_unique<AppData>(dir.path() + "/");
        data->ReserveCandidates(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            data->AddCandidate(QString::number(100000 + i), QStringLiteral("员工%1号").arg(i),
                               QStringLiteral("第%1部").arg(i % 37), QString(), i);
        data->SetFieldType(1, true);
        engine = std::make_unique<DrawEngine>(*data);
    }
    QTemporaryDir dir;
    std::unique_ptr<AppData> data;
    std::unique_ptr<DrawEngine> engine;
};

void BM_RollSelection(benchmark::State& state) {
    DrawFixture f(static_cast<int>(state.range(0)));
    f.data->AddPrize("P", "", static_cast<int>(state.range(1)), 1, "", 0);
    BenchHost host;
    std::time_t now = 1767225600;
    f.engine->SetClock([&] { return now; });
    host.show = [&] {
        DrawEngine& engine = *f.engine;
        engine.AdvanceStep();
        engine.AdvanceStep();
        int tick = 0;
        for (auto _ : state) {
            if (++tick % 50 == 0) ++now;
            engine.RollSelection();
            benchmark::DoNotOptimize(engine.Round()->selection.back().text.size());
        }
    };
    f.engine->StartDraw(host);
    state.SetItemsProcessed(state.iterations() * state.range(1));
}
BENCHMARK(BM_RollSelection)->Args({100000, 50})->Unit(benchmark::kMicrosecond);

void BM_ValidateDraw(benchmark::State& state) {
    DrawFixture f(static_cast<int>(state.range(0)));
    f.data->AddPrize("P", "", 10, 1, "", 0);
    BenchHost host;
    for (auto _ : state) {
        if (!f.engine->ValidateDraw(host)) state.SkipWithError("validation failed");
    }
}
BENCHMARK(BM_ValidateDraw)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
