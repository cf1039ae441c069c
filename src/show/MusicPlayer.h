#pragma once

#include <QObject>
#include <QString>

#include <functional>

// Plays one MP3 file in an endless loop while the show is open. The end of the track is
// delivered on the UI thread, where the file is started again.
class MusicPlayer : public QObject {
    Q_OBJECT
  public:
    // Decoder could not open the file: the copy-and-strip retry is made for this code.
    static constexpr int kInternalError = 277;
    // The music file could not be found or read.
    static constexpr int kFileNotFound = 275;
    // No audio device could be opened, or the device refused to play.
    static constexpr int kNoDevice = 263;

    explicit MusicPlayer(QObject* parent = nullptr);
    ~MusicPlayer() override;

    // Opens the file (retrying on a picture-free temporary copy when the decoder refuses it)
    // and starts playing. False when nothing plays; ErrorMessage() then tells why.
    bool Start(const QString& path);
    // Stops at once and closes the device.
    void Stop();

    bool IsPlaying() const;
    int ErrorCode() const { return errorCode_; }
    QString ErrorText() const { return errorText_; }
    // "打开音乐文件出错：%d %s" filled with code and text.
    QString ErrorMessage() const;
    // How many times the track reached its end and was started again.
    int Restarts() const { return restarts_; }
    // The file actually playing (the temporary copy after a retry).
    QString PlayingPath() const { return playingPath_; }

    // Removes every picture frame from the ID3 tag of the file and writes the tag back.
    static bool StripPictures(const QString& path);

    // Test seam: when set, a file the gate turns down is refused as the decoder would refuse
    // it (code kInternalError) before the decoder sees it. Pass nullptr to remove it.
    using OpenGate = std::function<bool(const QString& path)>;
    static void SetOpenGate(OpenGate gate);

  signals:
    // Emitted on the UI thread after the track was restarted.
    void looped();

  private:
    // Runs on the UI thread for the end of the track of the given session.
    void OnTrackFinished(quint64 session);
    // Opens path into the decoder; returns 0 or an error code, filling errorText_.
    int Open(const QString& path);
    // Copies path into the temporary folder; the copy's path, or empty when it failed.
    static QString CopyToTemp(const QString& path);
    // Called by the mixer on its audio thread when the track has ended.
    static void FinishedOnAudioThread();
    void Fail(int code, const QString& text);

    void* music_ = nullptr;  // Mix_Music*
    bool audioOpen_ = false;
    bool playing_ = false;
    quint64 session_ = 0;
    int errorCode_ = 0;
    QString errorText_;
    int restarts_ = 0;
    QString playingPath_;
};
