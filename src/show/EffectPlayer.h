#pragma once

#include <QString>

// Plays a short sound once, over the music, on a mixer channel of its own. The file is loaded
// when the show opens, so a sound that cannot play is known (and told) before the room hears
// anything, and playing it at the stop costs nothing.
class EffectPlayer {
  public:
    EffectPlayer() = default;
    ~EffectPlayer();
    EffectPlayer(const EffectPlayer&) = delete;
    EffectPlayer& operator=(const EffectPlayer&) = delete;

    // Opens the device and decodes the file; false with ErrorText() when it cannot.
    bool Load(const QString& path);
    bool IsLoaded() const { return chunk_ != nullptr; }
    // Starts the loaded sound from its beginning; false when nothing is loaded or it fails.
    bool Play();
    // Whether the sound is sounding now.
    bool IsPlaying() const;
    // Lets the sound go and closes this player's use of the device.
    void Unload();
    const QString& ErrorText() const { return errorText_; }

  private:
    void* chunk_ = nullptr;  // Mix_Chunk*
    bool audioOpen_ = false;
    int channel_ = -1;
    QString errorText_;
};
