#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

#include "model/AppData.h"

namespace {

const QString kSurnames = QStringLiteral("王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗");
const QString kGiven = QStringLiteral("伟芳娜敏静丽强磊军洋勇艳杰娟涛明超秀霞平刚桂英华");
const QString kDepartments[] = {QStringLiteral("研发中心第三部"), QStringLiteral("市场营销部"),
                                QStringLiteral("财务部"), QStringLiteral("人力资源部")};

void FillCandidates(AppData& data, int n) {
    data.ReserveCandidates(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        QString name = kSurnames[i % kSurnames.size()];
        name += kGiven[(i / 7) % kGiven.size()];
        name += kGiven[(i / 3) % kGiven.size()];
        data.AddCandidate(QStringLiteral("%1").arg(i + 1, 6, 10, QLatin1Char('0')), name,
                          kDepartments[i % 4],
                          QStringLiteral("138%1").arg(i, 8, 10, QLatin1Char('0')), i);
    }
}

void FillPrizesAndWinners(AppData& data, int prizes, int winners) {
    for (int p = 0; p < prizes; ++p)
        data.AddPrize(QStringLiteral("奖项%1").arg(p), QStringLiteral("奖品说明%1").arg(p), winners,
                      5, QStringLiteral("/home/user/图片/prize%1.png").arg(p), p);
    for (int w = 0; w < winners; ++w)
        data.AddWinner(std::make_unique<Winner>(
            Winner{w % prizes, w, QStringLiteral("张伟%1 研发部").arg(w), "2027-01-20 19:30:00"}));
}

void BM_SaveCandidates(benchmark::State& state) {
    QTemporaryDir dir;
    AppData data(dir.path() + "/");
    FillCandidates(data, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        if (!data.Save(AppData::kSaveCandidates)) state.SkipWithError("save failed");
    }
    state.counters["file_MB"] = QFileInfo(data.CandidateFilePath()).size() / 1e6;
}
BENCHMARK(BM_SaveCandidates)->Arg(100000)->Unit(benchmark::kMillisecond);

// Loading happens in the constructor; its destructor writes both files back, which is timed
// separately, so the loop measures construction alone.
void BM_LoadCandidatesOnly(benchmark::State& state) {
    QTemporaryDir dir;
    {
        AppData data(dir.path() + "/");
        FillCandidates(data, static_cast<int>(state.range(0)));
    }
    for (auto _ : state) {
        std::unique_ptr<AppData> data = std::make_unique<AppData>(dir.path() + "/");
        benchmark::DoNotOptimize(data->Candidates().size());
        state.PauseTiming();
        data.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadCandidatesOnly)
    ->Name("BM_LoadCandidates")
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

void BM_SaveData(benchmark::State& state) {
    QTemporaryDir dir;
    AppData data(dir.path() + "/");
    FillPrizesAndWinners(data, 50, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        if (!data.Save(AppData::kSaveData)) state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveData)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_LoadData(benchmark::State& state) {
    QTemporaryDir dir;
    {
        AppData data(dir.path() + "/");
        FillPrizesAndWinners(data, 50, static_cast<int>(state.range(0)));
    }
    for (auto _ : state) {
        std::unique_ptr<AppData> data = std::make_unique<AppData>(dir.path() + "/");
        benchmark::DoNotOptimize(data->TotalWinners());
        state.PauseTiming();
        data.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadData)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
