#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <memory>

#include <unordered_set>

#include "draw/DrawEngine.h"
#include "draw/PrizePools.h"
#include "draw/ShowHost.h"
#include "model/AppData.h"
#include "model/Prize.h"

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

// The pools of 20 prizes with rules over a room of 100,000 (37 departments, 50 groups, a
// thousand people left out, a thousand winners): the sets sealed at the show's start and each
// prize's starting pool, as a validation builds them.
void BM_BuildPrizePools(benchmark::State& state) {
    DrawFixture f(static_cast<int>(state.range(0)));
    for (size_t i = 0; i < f.data->Candidates().size(); ++i) {
        Candidate& c = *f.data->Candidates()[i];
        c.group = QStringLiteral("组%1").arg(i % 50);
        c.excluded = i % 100 == 0;
    }
    std::vector<Prize*> prizes;
    for (int p = 0; p < 20; ++p) {
        Prize* prize =
            f.data->FindPrize(f.data->AddPrize(QStringLiteral("奖%1").arg(p), "", 50, 1, "", p));
        QStringList values;
        for (int v = 0; v < 5; ++v)
            values << (p % 2 ? QStringLiteral("组%1").arg(p + v)
                             : QStringLiteral("第%1部").arg(p + v));
        prize->scope =
            PrizeScope{p % 2 ? "group" : "department", p % 3 ? "only" : "except", values};
        prize->repeat = p % 4 == 0 ? 1 : 0;
        prizes.push_back(prize);
    }
    for (int k = 0; k < 1000; ++k)
        f.data->AddWinner(std::make_unique<Winner>(Winner{0, k * 97, "x", "t"}));
    std::unordered_set<int32_t> winners;
    for (int k = 0; k < 1000; ++k) winners.insert(k * 97);
    const auto isWinner = [&](int32_t id) { return winners.count(id) > 0; };
    size_t total = 0;
    for (auto _ : state) {
        const PrizePools pools = PrizePools::FromModel(*f.data, prizes);
        for (const Prize* p : prizes) total += pools.PoolFor(p->id, isWinner).size();
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_BuildPrizePools)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
