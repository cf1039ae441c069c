#pragma once

#include <QString>

// SDL's audio subsystem and the mixer's decoders, set up once for the whole process and
// shared by the music and the sound effects.
class AudioDevice {
  public:
    // True when audio can be used; otherwise error (when given) says why.
    static bool Init(QString* error);
    // SDL's last error, or the fallback when it has none.
    static QString LastError(const char* fallback);
};
