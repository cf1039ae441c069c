#pragma once

#include <map>

// Tells a deliberate key press from the repeats of a held key. Qt flags a repeat only when
// the window system says so, and X11 sends a held key as release/press pairs with equal time
// stamps that Qt recognises only when the press is already queued, which under load it is
// not. So a press counts only when its key was really let go: not down already, and not
// pressed again at the very time stamp of its release.
class KeyStepFilter {
  public:
    // Repeats of the same release/press pair carry the same stamp; allow for rounding.
    static constexpr unsigned long kRepeatGapMs = 2;

    // True when this press is a new deliberate press. timestamp 0 means unknown (events made
    // by a program rather than the window system); such presses are taken at their flag.
    bool Press(int key, unsigned long timestamp, bool autoRepeat);
    void Release(int key, unsigned long timestamp, bool autoRepeat);
    // Forgets every key (the window lost the keyboard).
    void Reset() { keys_.clear(); }

  private:
    struct KeyState {
        bool down = false;
        bool released = false;
        unsigned long releasedAt = 0;
    };
    std::map<int, KeyState> keys_;
};
