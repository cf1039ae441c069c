#pragma once

#include <QObject>
#include <QString>

// Plays one MP3 file in an endless loop while the show is open. The end of the track is
// delivered on the UI thread, where the file is started again.
class MusicPlayer : public QObject {
    Q_OBJECT
public:
    // Decoder could not open the file: the copy-and-strip retry is made for this code.
    static constexpr int kInternalError = 277;

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

signals:
    // Emitted on the UI thread after the track was restarted.
    void looped();

private:
    void OnTrackFinished();
    // Opens path into the decoder; returns 0 or an error code, filling errorText_.
    int Open(const QString& path);

    void* music_ = nullptr;  // Mix_Music*
    bool audioOpen_ = false;
    int errorCode_ = 0;
    QString errorText_;
    int restarts_ = 0;
    QString playingPath_;
};
