#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "draw/DrawEngine.h"
#include "draw/ShowHost.h"

// A show host without windows: it answers yes (or as told), remembers what it was asked and
// runs a scripted show in place of the show window.
class ScriptedHost : public ShowHost {
  public:
    std::function<void()> show;
    std::vector<Shortage> asked;
    std::vector<std::pair<int64_t, int64_t>> confirmed;  // present, everyone
    bool startWithThosePresent = true;

    bool AskToContinue(const Shortage& s) override {
        asked.push_back(s);
        return true;
    }
    bool ConfirmPresent(int64_t present, int64_t everyone) override {
        confirmed.emplace_back(present, everyone);
        return startWithThosePresent;
    }
    void RunShow() override {
        if (show) show();
    }
};

// Steps to the end (or until rounds rounds were kept), a few rolls on each rolling screen.
inline void PlayShow(DrawEngine& engine, int rounds = 1 << 30, int rollsEach = 5) {
    int kept = 0;
    while (engine.Round()->state != RoundState::kFinished) {
        if (engine.Round()->state == RoundState::kWinners && ++kept >= rounds) return;
        engine.AdvanceStep();
        if (engine.Round()->state == RoundState::kRolling)
            for (int t = 0; t < rollsEach; ++t) engine.RollSelection();
    }
}
