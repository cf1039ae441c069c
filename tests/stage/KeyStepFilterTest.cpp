#include <gtest/gtest.h>

#include <vector>

#include "stage/KeyStepFilter.h"

namespace {

struct KeyEvent {
    bool press;
    unsigned long timestamp;
    bool autoRepeat;
};

// A key held from 'down' to 'up' as X11 delivers it: after the repeat delay, release/press
// pairs with one time stamp every 'every' ms. flagged says whether Qt recognised the pairs
// (it can only when the press is already queued, which under load it is not).
std::vector<KeyEvent> HeldOnX11(unsigned long down, unsigned long up, bool flagged) {
    std::vector<KeyEvent> events{{true, down, false}};
    for (unsigned long t = down + 500; t < up; t += 33) {
        events.push_back({false, t, flagged});
        events.push_back({true, t, flagged});
    }
    events.push_back({false, up, false});
    return events;
}

int Steps(const std::vector<KeyEvent>& events) {
    KeyStepFilter filter;
    int steps = 0;
    for (const KeyEvent& e : events) {
        if (e.press)
            steps += filter.Press(32, e.timestamp, e.autoRepeat) ? 1 : 0;
        else
            filter.Release(32, e.timestamp, e.autoRepeat);
    }
    return steps;
}

}  // namespace

TEST(KeyStepFilter, OneDeliberatePressIsOneStep) {
    struct Case {
        const char* what;
        std::vector<KeyEvent> events;
        int steps;
    };
    std::vector<KeyEvent> twoHolds = HeldOnX11(1000, 3000, false);
    for (const KeyEvent& e : HeldOnX11(4000, 6000, false)) twoHolds.push_back(e);
    const Case cases[] = {
        {"held two seconds, pairs not recognised (a busy machine)", HeldOnX11(1000, 3000, false),
         1},
        {"held two seconds, pairs recognised", HeldOnX11(1000, 3000, true), 1},
        {"held twice", twoHolds, 2},
        {"two quick taps",
         {{true, 1000, false}, {false, 1090, false}, {true, 1180, false}, {false, 1260, false}},
         2},
        {"repeats as presses without releases (other systems)",
         {{true, 1000, false}, {true, 1500, true}, {true, 1533, false}, {false, 1600, false}},
         1},
        {"events made by a program carry no time",
         {{true, 0, false}, {false, 0, false}, {true, 0, false}, {false, 0, false}},
         2},
    };
    for (const Case& c : cases) EXPECT_EQ(Steps(c.events), c.steps) << c.what;
}

TEST(KeyStepFilter, KeysAreTrackedApartAndAResetForgetsThem) {
    KeyStepFilter filter;
    EXPECT_TRUE(filter.Press(32, 100, false));
    EXPECT_TRUE(filter.Press(13, 150, false));  // Enter while Space is held
    EXPECT_FALSE(filter.Press(32, 200, false));
    filter.Reset();  // the release went to another window
    EXPECT_TRUE(filter.Press(32, 900, false));
}
