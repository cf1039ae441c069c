#include <gtest/gtest.h>
#include <id3/tag.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <iterator>
#include <memory>
#include <optional>
#include <thread>

#include "show/MusicPlayer.h"

namespace {

// Half a second of 440 Hz encoded by lame; its tag holds TSSE, TIT2, TPE1 and TLEN.
const QString kTone = QStringLiteral(VANTORIA_TEST_DATA "/music/tone.mp3");
constexpr int kLoopTimeoutMs = 10000;
const QString kErrorPrefix = QStringLiteral("打开音乐文件出错：");

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// Frames are attached, not added: id3lib's frame copy deletes an iterator through a base
// without a virtual destructor.
void AddPictures(const QString& path, int count) {
    QImage image(40, 40, QImage::Format_RGB32);  // noise, so the PNG stays a few KB
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, QRandomGenerator::global()->generate());
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");

    ID3_Tag tag(QFile::encodeName(path).constData());
    for (int i = 0; i < count; ++i) {
        auto frame = std::make_unique<ID3_Frame>(ID3FID_PICTURE);
        frame->GetField(ID3FN_MIMETYPE)->Set("image/png");
        frame->GetField(ID3FN_PICTURETYPE)->Set(3 + i);
        frame->GetField(ID3FN_DATA)
            ->Set(reinterpret_cast<const uchar*>(png.constData()), static_cast<size_t>(png.size()));
        tag.AttachFrame(frame.release());  // the tag owns it from here
    }
    tag.Update(ID3TT_ID3V2);
}

// Counts by taking the frames out of a tag that is never written back (id3lib's iterator
// cannot be deleted through its public type either).
int CountFrames(const QString& path, ID3_FrameID id) {
    ID3_Tag tag(QFile::encodeName(path).constData());
    int count = 0;
    while (ID3_Frame* frame = tag.Find(id)) {
        std::unique_ptr<ID3_Frame> removed(tag.RemoveFrame(frame));
        ++count;
    }
    return count;
}

// The MPEG frames of a file: what lies between the ID3v2 tag and an ID3v1 tag.
QByteArray AudioPayload(const QByteArray& file) {
    qsizetype start = 0;
    if (file.startsWith("ID3") && file.size() >= 10) {
        const auto b = [&](int i) { return static_cast<uchar>(file[i]) & 0x7F; };
        start = 10 + ((b(6) << 21) | (b(7) << 14) | (b(8) << 7) | b(9));
        if (static_cast<uchar>(file[5]) & 0x10) start += 10;
    }
    qsizetype end = file.size();
    if (end - start >= 128 && file.mid(end - 128, 3) == "TAG") end -= 128;
    return file.mid(start, end - start);
}

// Lets the audio thread queue an end of track without the event loop seeing it.
void SleepPastTheEnd() {
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
}

class MusicPlayerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(QDir(dir_.path()).mkpath("tmp") && QDir(dir_.path()).mkpath("music"));
        // The player's temporary copies land in this test's own folder (TMPDIR on POSIX,
        // TMP and TEMP on Windows).
        for (size_t i = 0; i < std::size(kTempVariables); ++i) {
            oldTemp_[i] = qgetenv(kTempVariables[i]);
            qputenv(kTempVariables[i], QFile::encodeName(dir_.filePath("tmp")));
        }
    }
    void TearDown() override {
        MusicPlayer::SetOpenGate(nullptr);
        for (size_t i = 0; i < std::size(kTempVariables); ++i) {
            if (oldTemp_[i].isEmpty())
                qunsetenv(kTempVariables[i]);
            else
                qputenv(kTempVariables[i], oldTemp_[i]);
        }
    }

    QString Music(const QString& name) const { return dir_.filePath("music/" + name); }
    QString Temp(const QString& name) const { return dir_.filePath("tmp/" + name); }
    QString CopyTone(const QString& path) const {
        EXPECT_TRUE(QFile::copy(kTone, path));
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
        return path;
    }
    // Stands in for a decoder that chokes on embedded pictures.
    static void RefusePictures() {
        MusicPlayer::SetOpenGate(
            [](const QString& path) { return CountFrames(path, ID3FID_PICTURE) == 0; });
    }

    static constexpr const char* kTempVariables[] = {"TMPDIR", "TMP", "TEMP"};
    QTemporaryDir dir_;
    QByteArray oldTemp_[std::size(kTempVariables)];
};

TEST_F(MusicPlayerTest, StripPicturesDropsEveryPictureAndKeepsTextAndAudio) {
    const QByteArray audio = AudioPayload(ReadAll(kTone));
    ASSERT_GT(audio.size(), 1000);
    for (int pictures : {0, 1, 3}) {
        SCOPED_TRACE(pictures);
        const QString path = CopyTone(Music(QString("strip%1.mp3").arg(pictures)));
        AddPictures(path, pictures);
        ASSERT_EQ(CountFrames(path, ID3FID_PICTURE), pictures);

        EXPECT_TRUE(MusicPlayer::StripPictures(path));
        EXPECT_EQ(CountFrames(path, ID3FID_PICTURE), 0);
        for (ID3_FrameID kept : {ID3FID_TITLE, ID3FID_LEADARTIST, ID3FID_ENCODERSETTINGS})
            EXPECT_EQ(CountFrames(path, kept), 1) << kept;
        EXPECT_EQ(AudioPayload(ReadAll(path)), audio) << "the MPEG frames must survive intact";
    }
    ASSERT_TRUE(QDir().mkpath(Music("folder.mp3")));
    for (const QString& path : {Music("missing.mp3"), Music("folder.mp3"), QString()})
        EXPECT_FALSE(MusicPlayer::StripPictures(path)) << path.toStdString();
    EXPECT_FALSE(QFile::exists(Music("missing.mp3"))) << "nothing may be created";
}

TEST_F(MusicPlayerTest, PlaysTheFileAndStartsItAgainAtItsEnd) {
    MusicPlayer player;
    QSignalSpy looped(&player, &MusicPlayer::looped);
    ASSERT_TRUE(WriteAll(Music("bad.mp3"), "nothing"));
    ASSERT_FALSE(player.Start(Music("bad.mp3")));

    const QString path = CopyTone(Music("背景音乐.mp3"));
    ASSERT_TRUE(player.Start(path)) << player.ErrorMessage().toStdString();
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_EQ(player.ErrorCode(), 0) << "a good start clears the last error";
    EXPECT_TRUE(player.ErrorText().isEmpty());
    EXPECT_EQ(player.PlayingPath(), path);
    EXPECT_FALSE(QFile::exists(Temp("背景音乐.mp3"))) << "a good file is played where it is";

    EXPECT_TRUE(QTest::qWaitFor([&] { return player.Restarts() >= 2; }, kLoopTimeoutMs));
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_EQ(looped.count(), player.Restarts());
}

TEST_F(MusicPlayerTest, StopIsImmediateAndNoRestartArrivesLater) {
    const QString path = CopyTone(Music("stop.mp3"));
    MusicPlayer player;
    QSignalSpy looped(&player, &MusicPlayer::looped);
    ASSERT_TRUE(player.Start(path)) << player.ErrorMessage().toStdString();

    player.Stop();
    EXPECT_FALSE(player.IsPlaying());
    QTest::qWait(1500);  // well past the end of the track
    EXPECT_EQ(player.Restarts(), 0);
    EXPECT_EQ(looped.count(), 0);

    player.Stop();  // a second stop is harmless
    ASSERT_TRUE(player.Start(path)) << "the device opens again after a stop";
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.Restarts() >= 1; }, kLoopTimeoutMs));
}

TEST_F(MusicPlayerTest, EndOfTrackQueuedBeforeANewStartIsDropped) {
    const QString path = CopyTone(Music("stale.mp3"));
    MusicPlayer player;
    ASSERT_TRUE(player.Start(path));
    SleepPastTheEnd();
    ASSERT_TRUE(player.Start(path));
    QCoreApplication::sendPostedEvents(&player);  // delivers the stale notice, nothing newer
    EXPECT_EQ(player.Restarts(), 0);
}

TEST_F(MusicPlayerTest, DestroyingThePlayerWhilePlayingIsSafe) {
    const QString path = CopyTone(Music("destroy.mp3"));
    for (bool endQueued : {false, true}) {
        auto player = std::make_unique<MusicPlayer>();
        ASSERT_TRUE(player->Start(path));
        if (endQueued) SleepPastTheEnd();
        player.reset();
        QTest::qWait(200);  // a queued call for the dead player would run here
    }
    MusicPlayer next;
    EXPECT_TRUE(next.Start(path)) << "the mixer is still usable";
}

TEST_F(MusicPlayerTest, FileThatCannotBePlayedIsReported) {
    QByteArray noise(3000, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    const struct {
        const char* name;
        std::optional<QByteArray> content;  // none: the file does not exist
        int code;
    } cases[] = {
        {"noise.mp3", noise, MusicPlayer::kInternalError},
        {"empty.mp3", QByteArray(), MusicPlayer::kInternalError},
        {"text.mp3", QByteArray("not a sound at all\n"), MusicPlayer::kInternalError},
        {"gone.mp3", std::nullopt, MusicPlayer::kFileNotFound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.content) {
            ASSERT_TRUE(WriteAll(Music(c.name), *c.content));
        }
        MusicPlayer player;
        EXPECT_FALSE(player.Start(Music(c.name)));
        EXPECT_FALSE(player.IsPlaying());
        EXPECT_TRUE(player.PlayingPath().isEmpty());
        EXPECT_EQ(player.ErrorCode(), c.code);
        EXPECT_FALSE(player.ErrorText().isEmpty());
        EXPECT_EQ(player.ErrorMessage(),
                  kErrorPrefix + QString::number(c.code) + " " + player.ErrorText());
        // Only a file the decoder refused is retried, on a copy; the original stays as it was.
        EXPECT_EQ(QFile::exists(Temp(c.name)), c.code == MusicPlayer::kInternalError);
        if (c.content) {
            EXPECT_EQ(ReadAll(Music(c.name)), *c.content);
        }
    }
}

TEST_F(MusicPlayerTest, FileRefusedForItsPicturesPlaysFromAStrippedCopy) {
    RefusePictures();
    const QString path = CopyTone(Music("封面 cover.mp3"));
    AddPictures(path, 2);
    const QByteArray original = ReadAll(path);
    ASSERT_TRUE(WriteAll(Temp("封面 cover.mp3"), "an older copy"));

    MusicPlayer player;
    ASSERT_TRUE(player.Start(path)) << player.ErrorMessage().toStdString();
    EXPECT_EQ(player.ErrorCode(), 0);
    EXPECT_TRUE(player.ErrorText().isEmpty());
    EXPECT_EQ(QFileInfo(player.PlayingPath()), QFileInfo(Temp("封面 cover.mp3")));
    EXPECT_EQ(CountFrames(Temp("封面 cover.mp3"), ID3FID_PICTURE), 0);
    EXPECT_EQ(CountFrames(Temp("封面 cover.mp3"), ID3FID_TITLE), 1);
    EXPECT_EQ(ReadAll(path), original) << "the operator's file keeps its pictures";
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.Restarts() >= 1; }, kLoopTimeoutMs));
    player.Stop();
    EXPECT_TRUE(QFile::exists(Temp("封面 cover.mp3"))) << "the copy stays for the next show";
}

TEST_F(MusicPlayerTest, FileInTheTemporaryFolderIsNeverReplacedByItsOwnCopy) {
    RefusePictures();
    const QString path = CopyTone(Temp("here.mp3"));
    AddPictures(path, 1);
    const QByteArray original = ReadAll(path);
    MusicPlayer player;
    EXPECT_FALSE(player.Start(path));
    EXPECT_EQ(player.ErrorCode(), MusicPlayer::kInternalError);
    EXPECT_EQ(ReadAll(path), original) << "the operator's file must not be stripped or removed";
}

}  // namespace
