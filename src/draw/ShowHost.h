#pragma once

#include <QString>

#include <cstdint>

// What the draw engine needs from the windows: the question when there are fewer people than
// places, and running the show window modally. The program supplies the real one; tests
// supply their own.
class ShowHost {
  public:
    // Without repeats, fewer candidates are left than winners still to be drawn.
    struct Shortage {
        int64_t slotsLeft = 0;
        int64_t candidates = 0;
        QString prize;  // the one prize short of people; empty when the show as a whole is
    };

    virtual ~ShowHost() = default;
    // True only when the operator answered Yes.
    virtual bool AskToContinue(const Shortage& shortage) = 0;
    // Only those checked in take part: present of everyone who could; true to start.
    virtual bool ConfirmPresent(int64_t present, int64_t everyone) {
        (void)present;
        (void)everyone;
        return true;
    }
    // Runs the show until the operator leaves it.
    virtual void RunShow() = 0;
};
