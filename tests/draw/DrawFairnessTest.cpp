#include <gtest/gtest.h>

#include <QDir>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <numeric>
#include <random>

#include "draw/DrawEngine.h"
#include "draw/DrawPool.h"
#include "draw/KeyedStream.h"
#include "draw/RandomSource.h"
#include "draw/ShowHost.h"
#include "draw/ShowKeys.h"
#include "model/AppData.h"
#include "support/TestFolder.h"

// Fairness is judged by statistics over simulated shows: each rolls every 20 ms for 3 to 10
// seconds and the operator stops it. Every test names its seed. The draw as it was first
// built (a 15-bit generator reseeded from the clock second on every roll, position = value
// modulo the pool) runs through the same statistics to show that they catch an unfair draw.

namespace {

ShowKeys::Key KeyFrom(std::mt19937_64& rng) {
    ShowKeys::Key key;
    for (size_t i = 0; i < key.size(); i += 8) {
        const uint64_t v = rng();
        for (size_t b = 0; b < 8; ++b) key[i + b] = static_cast<uint8_t>(v >> (8 * b));
    }
    return key;
}

class ClockSecondGenerator : public RandomSource {
  public:
    void Reseed(uint32_t seconds) { state_ = seconds; }
    uint64_t Below(uint64_t bound) override {
        state_ = state_ * 214013u + 2531011u;
        return ((state_ >> 16) & 0x7fff) % bound;
    }

  private:
    uint32_t state_ = 0;
};

struct RoomStats {
    std::vector<int32_t> winners;  // the place of each show's winner in the room
    int64_t screens = 0;           // pairs of consecutive screens
    int64_t neighbours = 0;        // of which showed neighbouring places
};

// Shows of a one-name prize over a room of people, picked through the draw's own pool.
RoomStats SimulateRoom(int people, int shows, uint64_t seed, bool clockGenerator) {
    std::mt19937_64 rng(seed);
    std::vector<int32_t> room(static_cast<size_t>(people));
    std::iota(room.begin(), room.end(), 0);
    DrawPool pool;
    ClockSecondGenerator old;
    RoomStats stats;
    for (int s = 0; s < shows; ++s) {
        pool.Reset(room);
        KeyedStream stream(KeyFrom(rng));
        RandomSource& source = clockGenerator ? static_cast<RandomSource&>(old) : stream;
        const int ticks = std::uniform_int_distribution<int>(150, 500)(rng);
        const int64_t startMs =
            std::uniform_int_distribution<int64_t>(1700000000000, 1800000000000)(rng);
        int32_t previous = -1;
        for (int t = 0; t < ticks; ++t) {
            old.Reseed(static_cast<uint32_t>((startMs + 20 * t) / 1000));
            const int32_t place = pool.Roll(1, source).at(0);
            if (previous >= 0) {
                ++stats.screens;
                if (std::abs(place - previous) == 1) ++stats.neighbours;
            }
            previous = place;
        }
        stats.winners.push_back(previous);
    }
    return stats;
}

// Win rate of the places below cut divided by the win rate of those from cut on.
double WinRateRatio(const RoomStats& stats, int people, int cut) {
    const auto below = std::count_if(stats.winners.begin(), stats.winners.end(),
                                     [cut](int32_t w) { return w < cut; });
    const double above = double(stats.winners.size()) - double(below);
    return (double(below) / cut) / (above / (people - cut));
}

double ShareFrom(const RoomStats& stats, int cut) {
    const auto beyond = std::count_if(stats.winners.begin(), stats.winners.end(),
                                      [cut](int32_t w) { return w >= cut; });
    return double(beyond) / double(stats.winners.size());
}

double NeighbourShare(const RoomStats& stats) {
    return double(stats.neighbours) / double(stats.screens);
}

class ScriptedHost : public ShowHost {
  public:
    std::function<void(DrawEngine&)> show;
    DrawEngine* engine = nullptr;
    bool AskToContinue(const Shortage&) override { return true; }
    void RunShow() override { show(*engine); }
};

}  // namespace

// Everyone in the room must have the same chance: 20,000 shows of 200 people through the
// whole engine. 266.4 is the 0.999 quantile of chi-square with 199 degrees of freedom, so a
// fair draw fails this less than once in a thousand seeds.
TEST(DrawFairness, TwoHundredPeopleWinEquallyOften) {
    TestFolder dir;
    QDir(dir.Path()).mkpath("music");
    dir.Write("music/default.mp3", "ID3");
    AppData data(dir.Path());
    data.SetReadOnly(true);
    for (int i = 0; i < 200; ++i) data.AddCandidate(QString::number(i), "", "", "", i);
    data.AddPrize("P", "", 1, 1, "", 0);
    std::mt19937_64 rng(20270120);
    DrawEngine engine(data);
    engine.SetKeyChainLength(4);
    engine.SetSecretSource([&rng] { return KeyFrom(rng); });
    ScriptedHost host;
    host.engine = &engine;
    const int shows = 20000;
    std::vector<int> counts(200, 0);
    int32_t winner = -1;
    host.show = [&](DrawEngine& e) {
        const int ticks = std::uniform_int_distribution<int>(150, 500)(rng);
        e.AdvanceStep();
        e.AdvanceStep();  // the first roll on entering the rolling screen
        for (int t = 1; t < ticks; ++t) e.RollSelection();
        winner = e.Round()->selection.at(0).candidate;
    };
    for (int s = 0; s < shows; ++s) {
        ASSERT_TRUE(engine.StartDraw(host));
        ++counts[size_t(winner)];
    }
    const double expected = shows / 200.0;
    double chi = 0;
    for (int c : counts) chi += (c - expected) * (c - expected) / expected;
    std::cout << "chi-square, 200 people, " << shows << " shows: " << chi << "\n";
    EXPECT_LT(chi, 266.4);
}

// Places below 12,768 and above it win equally often in a room of 20,000.
TEST(DrawFairness, TwentyThousandPeopleEarlyAndLatePlacesWinAlike) {
    const int people = 20000;
    const RoomStats fair = SimulateRoom(people, 4000, 20261208, false);
    const RoomStats old = SimulateRoom(people, 4000, 20261208, true);
    const double ratio = WinRateRatio(fair, people, 12768);
    const double oldRatio = WinRateRatio(old, people, 12768);
    std::cout << "20,000 people: win-rate ratio below/above place 12,768: " << ratio
              << " (clock generator: " << oldRatio << ")\n";
    EXPECT_GT(ratio, 0.85);
    EXPECT_LT(ratio, 1.15);
    EXPECT_GT(oldRatio, 1.15);
}

// In a room of 50,000 the third beyond place 33,068 wins about a third of the time, and
// consecutive screens do not count through neighbouring places.
TEST(DrawFairness, FiftyThousandPeopleTheBackOfTheRoomWinsAndScreensAreIndependent) {
    const int people = 50000;
    const RoomStats fair = SimulateRoom(people, 2000, 20261209, false);
    const RoomStats old = SimulateRoom(people, 2000, 20261209, true);
    const double share = ShareFrom(fair, 33068);
    const double oldShare = ShareFrom(old, 33068);
    std::cout << "50,000 people: winners beyond place 33,068: " << share * 100
              << "% (clock generator: " << oldShare * 100 << "%); neighbouring places on "
              << "consecutive screens: " << NeighbourShare(fair) * 100
              << "% (clock generator: " << NeighbourShare(old) * 100 << "%)\n";
    EXPECT_GT(share, 0.28);
    EXPECT_LT(share, 0.40);
    EXPECT_LT(oldShare, 0.28);
    EXPECT_LT(NeighbourShare(fair), 0.01);
    EXPECT_GT(NeighbourShare(old), 0.01);
}

// A pick over a million people is uniform: 100 equal slices of the room get their share.
TEST(DrawFairness, AMillionPlacesAreAllWithinReach) {
    std::mt19937_64 rng(20261210);
    KeyedStream stream(KeyFrom(rng));
    const int samples = 200000;
    std::vector<int> slices(100, 0);
    for (int i = 0; i < samples; ++i) ++slices[size_t(stream.Below(1000000) / 10000)];
    const double expected = samples / 100.0;
    double chi = 0;
    for (int c : slices) chi += (c - expected) * (c - expected) / expected;
    // 148.2: the 0.999 quantile of chi-square with 99 degrees of freedom.
    EXPECT_LT(chi, 148.2);
}

// Plain modulo over 64 bits would favour the low third of this bound (1/2 instead of 1/3).
TEST(DrawFairness, RangeReductionHasNoModuloBias) {
    std::mt19937_64 rng(20261211);
    KeyedStream stream(KeyFrom(rng));
    const uint64_t bound = (uint64_t(1) << 63) + (uint64_t(1) << 62);
    const int samples = 30000;
    int low = 0;
    for (int i = 0; i < samples; ++i) {
        const uint64_t v = stream.Below(bound);
        ASSERT_LT(v, bound);
        if (v < (uint64_t(1) << 62)) ++low;
    }
    EXPECT_NEAR(double(low) / samples, 1.0 / 3.0, 0.015);
}
