#include "stage/KeyStepFilter.h"

bool KeyStepFilter::Press(int key, unsigned long timestamp, bool autoRepeat) {
    KeyState& k = keys_[key];
    const bool repeatOfRelease = k.released && timestamp != 0 && k.releasedAt != 0 &&
                                 timestamp >= k.releasedAt &&
                                 timestamp - k.releasedAt <= kRepeatGapMs;
    const bool deliberate = !autoRepeat && !k.down && !repeatOfRelease;
    k.down = true;
    k.released = false;
    return deliberate;
}

void KeyStepFilter::Release(int key, unsigned long timestamp, bool autoRepeat) {
    // A release Qt already knows to be half of a repeat pair leaves the key down.
    if (autoRepeat) return;
    KeyState& k = keys_[key];
    k.down = false;
    k.released = true;
    k.releasedAt = timestamp;
}
