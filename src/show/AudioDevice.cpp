#include "show/AudioDevice.h"

#include <SDL.h>
#include <SDL_mixer.h>

bool AudioDevice::Init(QString* error) {
    static bool done = false;
    static bool ok = false;
    static QString failure;
    if (!done) {
        done = true;
        // SDL would otherwise take over SIGINT and SIGTERM, and the program could no longer
        // be ended by a logout or Ctrl+C after its first show.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        ok = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
        if (ok) {
            // A missing MP3 decoder is not fatal here: opening the file reports it.
            Mix_Init(MIX_INIT_MP3);
        } else {
            failure = QString::fromUtf8(SDL_GetError());
        }
    }
    if (!ok && error) *error = failure;
    return ok;
}

QString AudioDevice::LastError(const char* fallback) {
    const QString text = QString::fromUtf8(SDL_GetError());
    return text.isEmpty() ? QString::fromLatin1(fallback) : text;
}
