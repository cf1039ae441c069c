#include "show/EffectPlayer.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include "show/AudioDevice.h"

EffectPlayer::~EffectPlayer() {
    Unload();
}

bool EffectPlayer::Load(const QString& path) {
    Unload();
    errorText_.clear();
    if (!AudioDevice::Init(&errorText_)) return false;
    // The mixer counts its openings, so this shares the device with the music.
    if (Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, MIX_DEFAULT_CHANNELS, 2048) < 0) {
        errorText_ = AudioDevice::LastError("no audio device");
        return false;
    }
    audioOpen_ = true;
    SDL_ClearError();
    const QByteArray name = path.toUtf8();  // SDL takes UTF-8 file names on every platform
    Mix_Chunk* chunk = Mix_LoadWAV(name.constData());
    if (!chunk) {
        errorText_ = AudioDevice::LastError("the sound could not be decoded");
        Unload();
        return false;
    }
    chunk_ = chunk;
    return true;
}

bool EffectPlayer::Play() {
    if (!chunk_) return false;
    // The same channel each time: a quick second stop restarts the sound rather than piling
    // copies on top of each other.
    if (channel_ >= 0) Mix_HaltChannel(channel_);
    channel_ = Mix_PlayChannel(channel_, static_cast<Mix_Chunk*>(chunk_), 0);
    if (channel_ < 0) {
        errorText_ = AudioDevice::LastError("the audio device refused to play");
        return false;
    }
    return true;
}

bool EffectPlayer::IsPlaying() const {
    return chunk_ && channel_ >= 0 && Mix_Playing(channel_) != 0;
}

void EffectPlayer::Unload() {
    if (chunk_) {
        if (channel_ >= 0) Mix_HaltChannel(channel_);
        Mix_FreeChunk(static_cast<Mix_Chunk*>(chunk_));
        chunk_ = nullptr;
    }
    channel_ = -1;
    if (audioOpen_) {
        Mix_CloseAudio();
        audioOpen_ = false;
    }
}
