#include "show/MusicPlayer.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <id3/misc_support.h>
#include <id3/tag.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>

#include <mutex>
#include <utility>

#include "show/AudioDevice.h"

namespace {

Mix_Music* AsMusic(void* music) {
    return static_cast<Mix_Music*>(music);
}

// The mixer has one music stream and one global end-of-track hook, so the player that
// currently owns the stream is kept here. The hook runs on the audio thread while the
// player may be stopped or destroyed on the UI thread: both sides take the mutex.
std::mutex g_ownerMutex;
MusicPlayer* g_owner = nullptr;
quint64 g_ownerSession = 0;
quint64 g_lastSession = 0;  // UI thread only

MusicPlayer::OpenGate& Gate() {
    static MusicPlayer::OpenGate gate;
    return gate;
}

QString SdlErrorOr(const char* fallback) {
    return AudioDevice::LastError(fallback);
}

}  // namespace

MusicPlayer::MusicPlayer(QObject* parent) : QObject(parent) {}

MusicPlayer::~MusicPlayer() {
    Stop();
}

void MusicPlayer::SetOpenGate(OpenGate gate) {
    Gate() = std::move(gate);
}

bool MusicPlayer::IsPlaying() const {
    return playing_;
}

QString MusicPlayer::ErrorMessage() const {
    // Without a sound device the file is not to blame.
    if (errorCode_ == kNoDevice) return QStringLiteral("没有可用的音频设备，本场将无声进行");
    return QStringLiteral("打开音乐文件出错：%1 %2").arg(errorCode_).arg(errorText_);
}

void MusicPlayer::Fail(int code, const QString& text) {
    errorCode_ = code;
    errorText_ = text;
}

bool MusicPlayer::Start(const QString& path) {
    Stop();
    errorCode_ = 0;
    errorText_.clear();
    restarts_ = 0;
    playingPath_.clear();

    QString initError;
    if (!AudioDevice::Init(&initError)) {
        Fail(kNoDevice, initError);
        return false;
    }
    // The decoder needs the device's format, so the device is opened before the file.
    if (Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, MIX_DEFAULT_CHANNELS, 2048) < 0) {
        Fail(kNoDevice, SdlErrorOr("no audio device"));
        return false;
    }
    audioOpen_ = true;

    int code = Open(path);
    QString openedPath = path;
    if (code == kInternalError) {
        const QString copy = CopyToTemp(path);
        if (!copy.isEmpty()) {
            StripPictures(copy);
            // The second attempt's result, good or bad, replaces the first one.
            code = Open(copy);
            openedPath = copy;
        }
    }
    if (code != 0) {
        errorCode_ = code;
        Stop();
        return false;
    }

    const quint64 session = ++g_lastSession;
    {
        std::lock_guard<std::mutex> lock(g_ownerMutex);
        g_owner = this;
        g_ownerSession = session;
    }
    session_ = session;
    Mix_HookMusicFinished(&MusicPlayer::FinishedOnAudioThread);
    // One pass only: the loop is driven from the UI thread so each pass is counted.
    if (Mix_PlayMusic(AsMusic(music_), 1) < 0) {
        const QString text = SdlErrorOr("the audio device refused to play");
        Stop();
        Fail(kNoDevice, text);
        return false;
    }
    playing_ = true;
    playingPath_ = openedPath;
    return true;
}

int MusicPlayer::Open(const QString& path) {
    if (music_) {
        Mix_FreeMusic(AsMusic(music_));
        music_ = nullptr;
    }
    const QByteArray name = path.toUtf8();  // SDL takes UTF-8 file names on every platform
    SDL_RWops* probe = SDL_RWFromFile(name.constData(), "rb");
    if (!probe) {
        errorText_ = SdlErrorOr("file not found");
        return kFileNotFound;
    }
    SDL_RWclose(probe);

    if (Gate() && !Gate()(path)) {
        errorText_ = QStringLiteral("the decoder refused the file");
        return kInternalError;
    }
    SDL_ClearError();
    Mix_Music* music = Mix_LoadMUS(name.constData());
    if (!music) {
        errorText_ = SdlErrorOr("the decoder could not open the file");
        return kInternalError;
    }
    music_ = music;
    errorText_.clear();
    return 0;
}

QString MusicPlayer::CopyToTemp(const QString& path) {
    const QFileInfo source(path);
    const QString target = QDir(QDir::tempPath()).filePath(source.fileName());
    const QFileInfo targetInfo(target);
    // A file that already lives where its copy would go is the operator's own: replacing
    // it would delete it, and stripping it would change it.
    if (targetInfo.exists() && targetInfo.canonicalFilePath() == source.canonicalFilePath()) {
        return QString();
    }
    if (targetInfo.exists()) {
        QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
        if (!QFile::remove(target)) return QString();
    }
    if (!QFile::copy(path, target)) return QString();
    // The copy keeps the source's permissions; the tag must be writable to be stripped.
    QFile::setPermissions(
        target, QFile::permissions(target) | QFileDevice::WriteOwner | QFileDevice::ReadOwner);
    return target;
}

void MusicPlayer::Stop() {
    bool owner = false;
    {
        std::lock_guard<std::mutex> lock(g_ownerMutex);
        if (g_owner == this) {
            g_owner = nullptr;
            owner = true;
        }
    }
    // A queued end of track from this session is dropped when it arrives.
    session_ = 0;
    playing_ = false;
    if (owner) {
        // Unhook first: halting calls the hook, which would restart the track.
        Mix_HookMusicFinished(nullptr);
        Mix_HaltMusic();
    }
    if (music_) {
        Mix_FreeMusic(AsMusic(music_));
        music_ = nullptr;
    }
    if (audioOpen_) {
        Mix_CloseAudio();
        audioOpen_ = false;
    }
}

void MusicPlayer::FinishedOnAudioThread() {
    std::lock_guard<std::mutex> lock(g_ownerMutex);
    MusicPlayer* player = g_owner;
    if (!player) return;
    const quint64 session = g_ownerSession;
    // Posted to the player's own thread; Qt drops the call if the player is destroyed first.
    QMetaObject::invokeMethod(
        player, [player, session] { player->OnTrackFinished(session); }, Qt::QueuedConnection);
}

void MusicPlayer::OnTrackFinished(quint64 session) {
    if (session == 0 || session != session_ || !music_) return;
    // Playing a stopped stream starts it from its beginning: this is the seek and the play.
    if (Mix_PlayMusic(AsMusic(music_), 1) < 0) {
        const QString text = SdlErrorOr("the audio device refused to play");
        Stop();
        Fail(kNoDevice, text);
        return;
    }
    ++restarts_;
    emit looped();
}

bool MusicPlayer::StripPictures(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile()) return false;
    {
        // id3lib reports neither a missing file nor a read-only one: check first.
        QFile file(path);
        if (!file.open(QIODevice::ReadWrite)) return false;
    }
    const QByteArray name = QFile::encodeName(path);
    try {
        {
            ID3_Tag tag(name.constData());
            ID3_RemovePictures(&tag);
            tag.Update(ID3TT_ALL);
        }
        // Update reports nothing useful when the tag ends up empty; read it back instead.
        ID3_Tag check(name.constData());
        return check.Find(ID3FID_PICTURE) == nullptr;
    } catch (...) {
        // id3lib's own errors must not escape into the show.
        return false;
    }
}
