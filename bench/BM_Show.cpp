#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <tuple>

#include "draw/DrawEngine.h"
#include "draw/RoundState.h"
#include "draw/ShowHost.h"
#include "model/AppData.h"
#include "show/ShowRenderer.h"

namespace {

// Runs the measured body inside a real show, so the engine's round state is the live one.
class BenchHost : public ShowHost {
  public:
    explicit BenchHost(std::function<void()> body) : body_(std::move(body)) {}
    bool AskToContinue(const Shortage&) override { return true; }
    void RunShow() override { body_(); }

  private:
    std::function<void()> body_;
};

// A program folder with candidates, one prize and the files a show start asks for.
struct ShowFixture {
    QTemporaryDir dir;
    std::unique_ptr<AppData> data;
    std::unique_ptr<DrawEngine> engine;

    ShowFixture(int candidates, int winners, bool withPicture) {
        const QString root = dir.path() + "/";
        QDir().mkpath(root + "music");
        QFile music(root + "music/default.mp3");
        if (music.open(QIODevice::WriteOnly)) music.write("x");
        music.close();
        // The build folder holds the shipped media beside the program.
        const QString builtIn = QCoreApplication::applicationDirPath() + "/image/default.jpg";
        if (QFile::exists(builtIn)) {
            QDir().mkpath(root + "image");
            QFile::copy(builtIn, root + "image/default.jpg");
        }
        QString picture;
        if (withPicture) {
            picture = root + "prize.png";
            QImage img(1200, 900, QImage::Format_ARGB32);
            img.fill(0xFF3060A0);
            img.save(picture, "PNG");
        }
        data = std::make_unique<AppData>(root);
        data->SetPrizeUIType(1);
        data->SetTitle(QStringLiteral("Vantoria 2026 年度盛典"));
        for (int i = 1; i <= candidates; ++i)
            data->AddCandidate(QString::number(100000 + i), QStringLiteral("员工%1").arg(i),
                               QString(), QString(), i);
        data->AddPrize(QStringLiteral("一等奖"), QStringLiteral("笔记本电脑"), winners, 1, picture,
                       0);
    }

    void RunShow(const std::function<void()>& body) {
        BenchHost host(body);
        engine = std::make_unique<DrawEngine>(*data);
        engine->StartDraw(host);
    }
};

// paced: ticks 20 ms apart, as the show runs them (the wait itself not timed). On a shared
// machine a tick after a pause costs several times one straight after another, the caches
// having gone to other work in between; that is what the show pays.
void BM_RollTick(benchmark::State& state, int w, int h, int names, bool paced) {
    ShowFixture f(2000, names, true);
    f.RunShow([&] {
        DrawEngine& engine = *f.engine;
        engine.AdvanceStep();  // prize screen
        engine.AdvanceStep();  // rolling
        RoundState& round = *engine.Round();
        ShowRenderer renderer(*f.data);
        renderer.Layout(QRect(0, 0, w, h));
        // As the show does when the roll starts: the grid and one size for every name of the
        // pool.
        renderer.PlanNames(round, engine.EligibleKeyTexts());
        QImage buffer(w, h, QImage::Format_RGB32);  // as the show window paints
        renderer.Paint(buffer, round);
        double pixels = 0;
        for (auto _ : state) {
            if (paced) {
                state.PauseTiming();
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                state.ResumeTiming();
            }
            engine.RollSelection();
            for (const QRect& r : renderer.PaintNames(buffer, round))
                pixels += double(r.width()) * r.height();
            benchmark::DoNotOptimize(buffer.constBits());
        }
        // What a tick sends to the screen, in pixels.
        state.counters["sent"] = benchmark::Counter(pixels, benchmark::Counter::kAvgIterations);
    });
}

// The start of a roll over a whole room: every draw-key text ("name department") gathered from
// the pool and the one font size fitted to the widest.
void BM_FitNamesFont(benchmark::State& state) {
    const int people = int(state.range(0));
    ShowFixture f(0, 50, false);
    static const char16_t* const kDepartments[] = {u"研发部", u"市场营销中心华东大区", u"财务部",
                                                   u"人力资源与行政管理部", u"国际业务部"};
    for (int i = 1; i <= people; ++i)
        f.data->AddCandidate(QString::number(100000 + i), QStringLiteral("员工%1").arg(i),
                             QString::fromUtf16(kDepartments[i % 5]), QString(), i);
    f.data->SetFieldType(2, true);
    f.RunShow([&] {
        DrawEngine& engine = *f.engine;
        engine.AdvanceStep();
        engine.AdvanceStep();
        ShowRenderer renderer(*f.data);
        renderer.Layout(QRect(0, 0, 1920, 1080));
        for (auto _ : state) {
            const int size =
                renderer.FitNamesFont(engine.EligibleKeyTexts(), engine.Round()->batchSize);
            benchmark::DoNotOptimize(size);
        }
    });
}

void BM_FullPaint(benchmark::State& state, int w, int h) {
    ShowFixture f(200, 12, true);
    f.RunShow([&] {
        DrawEngine& engine = *f.engine;
        for (int i = 0; i < 3; ++i) engine.AdvanceStep();  // winners screen
        RoundState& round = *engine.Round();
        ShowRenderer renderer(*f.data);
        renderer.Layout(QRect(0, 0, w, h));
        QImage buffer(w, h, QImage::Format_ARGB32_Premultiplied);
        renderer.Paint(buffer, round);  // fills the caches, as the first paint of a screen does
        for (auto _ : state) {
            renderer.Paint(buffer, round);
            benchmark::DoNotOptimize(buffer.constBits());
        }
    });
}

void BM_ScrollTick(benchmark::State& state, int w, int h, int lines) {
    ShowFixture f(10, 1, false);
    RoundState round;
    round.state = RoundState::kFinished;
    ShowRenderer renderer(*f.data);
    renderer.Layout(QRect(0, 0, w, h));
    renderer.Lines().append(QStringLiteral("祝 贺"));
    renderer.Lines().append(QString());
    for (int i = 0; i < lines - 2; ++i)
        renderer.Lines().append(i % 40 == 0 ? QStringLiteral("一等奖 笔记本电脑")
                                            : QStringLiteral("员工%1").arg(i));
    renderer.StartScroll();
    QImage buffer(w, h, QImage::Format_ARGB32_Premultiplied);
    renderer.Paint(buffer, round);
    for (auto _ : state) {
        renderer.ScrollStep();
        renderer.Paint(buffer, round);
        benchmark::DoNotOptimize(buffer.constBits());
    }
}

const int kRegistered = [] {
    for (const bool paced : {false, true})
        for (const auto& [w, h, names] : {std::tuple(1920, 1080, 12), std::tuple(3840, 2160, 12),
                                          std::tuple(1920, 1080, 500)}) {
            const std::string name = std::string(paced ? "BM_RollTickPaced/" : "BM_RollTick/") +
                                     std::to_string(w) + "x" + std::to_string(h) + "/" +
                                     std::to_string(names);
            auto* b = benchmark::RegisterBenchmark(name.c_str(), BM_RollTick, w, h, names, paced);
            b->Unit(benchmark::kMillisecond);
            if (paced) b->Iterations(250);  // five seconds of ticks
        }
    benchmark::RegisterBenchmark("BM_FullPaint/1920x1080", BM_FullPaint, 1920, 1080)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_FullPaint/3840x2160", BM_FullPaint, 3840, 2160)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ScrollTick/1920x1080/300", BM_ScrollTick, 1920, 1080, 300)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_FitNamesFont", BM_FitNamesFont)
        ->Arg(100000)
        ->Unit(benchmark::kMillisecond);
    return 0;
}();

}  // namespace
