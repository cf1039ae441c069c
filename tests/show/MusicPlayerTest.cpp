#include <gtest/gtest.h>
#include <id3/tag.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <memory>
#include <thread>

#include "show/MusicPlayer.h"

// tone.mp3: half a second of 440 Hz, made with lame from a synthesised WAV
// (lame -b 32 --tt Tone --ta Vantoria --add-id3v2); its tag holds TSSE, TIT2, TPE1, TLEN.

namespace {

constexpr int kLoopTimeoutMs = 10000;

QString Fixture() {
    return QStringLiteral(VANTORIA_TEST_DATA "/music/tone.mp3");
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QString CopyFixture(const QString& folder, const QString& name) {
    const QString path = QDir(folder).filePath(name);
    QFile::remove(path);
    EXPECT_TRUE(QFile::copy(Fixture(), path));
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
    return path;
}

// A few KB of PNG that does not compress away.
QByteArray NoisePng(int side) {
    QImage image(side, side, QImage::Format_RGB32);
    auto* random = QRandomGenerator::global();
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) image.setPixel(x, y, random->generate() | 0xFF000000u);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// Frames are attached, not added: id3lib's frame copy deletes an iterator through a base
// without a virtual destructor.
void AddPictures(const QString& path, int count) {
    const QByteArray png = NoisePng(40);
    ID3_Tag tag(QFile::encodeName(path).constData());
    for (int i = 0; i < count; ++i) {
        auto frame = std::make_unique<ID3_Frame>(ID3FID_PICTURE);
        frame->GetField(ID3FN_MIMETYPE)->Set("image/png");
        frame->GetField(ID3FN_PICTURETYPE)->Set(i == 0 ? 3 : 4);
        frame->GetField(ID3FN_DESCRIPTION)->Set(i == 0 ? "front" : "back");
        frame->GetField(ID3FN_DATA)
            ->Set(reinterpret_cast<const uchar*>(png.constData()), static_cast<size_t>(png.size()));
        tag.AttachFrame(frame.release());  // the tag owns it from here
    }
    tag.Update(ID3TT_ID3V2);
}

// Counts by taking the frames out of a tag that is never written back (id3lib's iterator
// cannot be deleted through its public type).
int CountFrames(const QString& path, ID3_FrameID id) {
    ID3_Tag tag(QFile::encodeName(path).constData());
    int count = 0;
    while (ID3_Frame* frame = tag.Find(id)) {
        std::unique_ptr<ID3_Frame> removed(tag.RemoveFrame(frame));
        ++count;
    }
    return count;
}

bool HasPicture(const QString& path) {
    return CountFrames(path, ID3FID_PICTURE) > 0;
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

// Points the temporary folder at a test folder for the life of the guard.
class TempFolderGuard {
  public:
    explicit TempFolderGuard(const QString& folder) : old_(qgetenv("TMPDIR")) {
        qputenv("TMPDIR", QFile::encodeName(folder));
    }
    ~TempFolderGuard() {
        if (old_.isEmpty())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", old_);
    }

  private:
    QByteArray old_;
};

class GateGuard {
  public:
    explicit GateGuard(MusicPlayer::OpenGate gate) { MusicPlayer::SetOpenGate(std::move(gate)); }
    ~GateGuard() { MusicPlayer::SetOpenGate(nullptr); }
};

// Sleeps without running the event loop, so that an end of track can be queued unseen.
void SleepWithoutEvents(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

class MusicPlayerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(QDir(dir_.path()).mkpath("tmp"));
        ASSERT_TRUE(QDir(dir_.path()).mkpath("music"));
        temp_ = std::make_unique<TempFolderGuard>(TempFolder());
    }
    void TearDown() override { temp_.reset(); }

    QString TempFolder() const { return dir_.filePath("tmp"); }
    QString MusicFolder() const { return dir_.filePath("music"); }
    QString TempCopyOf(const QString& name) const { return QDir(TempFolder()).filePath(name); }

    QTemporaryDir dir_;
    std::unique_ptr<TempFolderGuard> temp_;
};

// ---- StripPictures -------------------------------------------------------------------------

TEST_F(MusicPlayerTest, StripPicturesDropsEveryPictureAndKeepsTextAndAudio) {
    const struct {
        const char* name;
        int pictures;
    } cases[] = {{"none.mp3", 0}, {"one.mp3", 1}, {"three.mp3", 3}};
    const QByteArray audio = AudioPayload(ReadAll(Fixture()));
    ASSERT_GT(audio.size(), 1000);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = CopyFixture(MusicFolder(), c.name);
        AddPictures(path, c.pictures);
        ASSERT_EQ(CountFrames(path, ID3FID_PICTURE), c.pictures);

        EXPECT_TRUE(MusicPlayer::StripPictures(path));
        EXPECT_EQ(CountFrames(path, ID3FID_PICTURE), 0);
        EXPECT_EQ(CountFrames(path, ID3FID_TITLE), 1);
        EXPECT_EQ(CountFrames(path, ID3FID_LEADARTIST), 1);
        EXPECT_EQ(CountFrames(path, ID3FID_ENCODERSETTINGS), 1);
        EXPECT_EQ(AudioPayload(ReadAll(path)), audio) << "the MPEG frames must survive intact";
    }
}

TEST_F(MusicPlayerTest, StripPicturesFailsOnWhatIsNoFile) {
    const QString folder = dir_.filePath("folder.mp3");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString paths[] = {dir_.filePath("missing.mp3"), folder, QString()};
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_FALSE(MusicPlayer::StripPictures(path));
    }
    EXPECT_FALSE(QFile::exists(dir_.filePath("missing.mp3"))) << "nothing may be created";
}

// ---- Playing and looping -------------------------------------------------------------------

TEST_F(MusicPlayerTest, PlaysTheFileAndStartsItAgainAtItsEnd) {
    const QString path = CopyFixture(MusicFolder(), "loop.mp3");
    MusicPlayer player;
    QSignalSpy looped(&player, &MusicPlayer::looped);

    ASSERT_TRUE(player.Start(path)) << player.ErrorMessage().toStdString();
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_EQ(player.ErrorCode(), 0);
    EXPECT_EQ(player.PlayingPath(), path);
    EXPECT_FALSE(QFile::exists(TempCopyOf("loop.mp3"))) << "a good file is played where it is";

    EXPECT_TRUE(QTest::qWaitFor([&] { return player.Restarts() >= 2; }, kLoopTimeoutMs));
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_EQ(looped.count(), player.Restarts());
}

TEST_F(MusicPlayerTest, StopIsImmediateAndNoRestartArrivesLater) {
    const QString path = CopyFixture(MusicFolder(), "stop.mp3");
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

TEST_F(MusicPlayerTest, EndOfTrackQueuedBeforeAStopIsDropped) {
    const QString path = CopyFixture(MusicFolder(), "stale.mp3");
    MusicPlayer player;
    ASSERT_TRUE(player.Start(path));
    SleepWithoutEvents(1200);  // the end of track is now waiting in the queue

    // A new session: the old notification must neither count nor restart anything.
    ASSERT_TRUE(player.Start(path));
    QTest::qWait(150);
    EXPECT_EQ(player.Restarts(), 0);
    player.Stop();
    QTest::qWait(50);
    EXPECT_EQ(player.Restarts(), 0);
}

TEST_F(MusicPlayerTest, DestroyingThePlayerWithAnEndOfTrackQueuedIsSafe) {
    const QString path = CopyFixture(MusicFolder(), "destroy.mp3");
    for (int round = 0; round < 2; ++round) {
        auto player = std::make_unique<MusicPlayer>();
        ASSERT_TRUE(player->Start(path));
        if (round == 1) SleepWithoutEvents(1200);
        player.reset();
        QTest::qWait(200);  // a queued call for the dead player would run here
    }
    // The mixer is still usable afterwards.
    MusicPlayer next;
    EXPECT_TRUE(next.Start(path));
}

// ---- Files the decoder refuses -------------------------------------------------------------

TEST_F(MusicPlayerTest, RefusedFileIsReportedAfterTheRetryOnACopy) {
    QByteArray noise(3000, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    const struct {
        const char* name;
        QByteArray content;
    } cases[] = {
        {"noise.mp3", noise},
        {"empty.mp3", QByteArray()},
        {"text.mp3", QByteArray("not a sound at all\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = QDir(MusicFolder()).filePath(c.name);
        WriteAll(path, c.content);
        MusicPlayer player;
        EXPECT_FALSE(player.Start(path));
        EXPECT_FALSE(player.IsPlaying());
        EXPECT_EQ(player.ErrorCode(), MusicPlayer::kInternalError);
        EXPECT_FALSE(player.ErrorText().isEmpty());
        EXPECT_TRUE(player.ErrorMessage().startsWith(QStringLiteral("打开音乐文件出错：277 ")))
            << player.ErrorMessage().toStdString();
        EXPECT_TRUE(player.ErrorMessage().endsWith(player.ErrorText()));
        EXPECT_TRUE(player.PlayingPath().isEmpty());
        EXPECT_TRUE(QFile::exists(TempCopyOf(c.name))) << "the retry copies the file first";
        EXPECT_EQ(ReadAll(path), c.content) << "the operator's file is never changed";
    }
}

TEST_F(MusicPlayerTest, MissingFileIsReportedWithoutARetry) {
    MusicPlayer player;
    EXPECT_FALSE(player.Start(QDir(MusicFolder()).filePath("gone.mp3")));
    EXPECT_EQ(player.ErrorCode(), MusicPlayer::kFileNotFound);
    EXPECT_FALSE(player.ErrorText().isEmpty());
    EXPECT_TRUE(player.ErrorMessage().startsWith(QStringLiteral("打开音乐文件出错：275 ")));
    EXPECT_FALSE(QFile::exists(TempCopyOf("gone.mp3")));
}

TEST_F(MusicPlayerTest, ErrorOfAFailedStartIsClearedByTheNextGoodOne) {
    const QString bad = QDir(MusicFolder()).filePath("bad.mp3");
    WriteAll(bad, "nothing");
    MusicPlayer player;
    ASSERT_FALSE(player.Start(bad));
    ASSERT_TRUE(player.Start(CopyFixture(MusicFolder(), "good.mp3")));
    EXPECT_EQ(player.ErrorCode(), 0);
    EXPECT_TRUE(player.ErrorText().isEmpty());
}

// SDL2_mixer itself skips any well-formed ID3 tag, pictures and all, so a decoder that chokes
// on pictures is stood in for by the gate; the copy, the strip and the second open are real.
TEST_F(MusicPlayerTest, FileRefusedForItsPicturePlaysFromAStrippedCopy) {
    GateGuard gate([](const QString& path) { return !HasPicture(path); });
    const QString path = CopyFixture(MusicFolder(), "cover.mp3");
    AddPictures(path, 2);
    const QByteArray original = ReadAll(path);
    // An older copy from an earlier show is replaced.
    WriteAll(TempCopyOf("cover.mp3"), "stale copy");

    MusicPlayer player;
    ASSERT_TRUE(player.Start(path)) << player.ErrorMessage().toStdString();
    EXPECT_EQ(player.ErrorCode(), 0);
    EXPECT_TRUE(player.ErrorText().isEmpty());
    EXPECT_EQ(QFileInfo(player.PlayingPath()), QFileInfo(TempCopyOf("cover.mp3")));
    EXPECT_EQ(CountFrames(TempCopyOf("cover.mp3"), ID3FID_PICTURE), 0);
    EXPECT_EQ(CountFrames(TempCopyOf("cover.mp3"), ID3FID_TITLE), 1);
    EXPECT_EQ(ReadAll(path), original) << "the operator's file keeps its pictures";
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.Restarts() >= 1; }, kLoopTimeoutMs));

    player.Stop();
    EXPECT_TRUE(QFile::exists(TempCopyOf("cover.mp3"))) << "the copy stays for the next show";
}

TEST_F(MusicPlayerTest, WhenTheCopyIsRefusedTooItsErrorIsReported) {
    int asked = 0;
    GateGuard gate([&](const QString&) {
        ++asked;
        return false;
    });
    const QString path = CopyFixture(MusicFolder(), "never.mp3");
    MusicPlayer player;
    EXPECT_FALSE(player.Start(path));
    EXPECT_EQ(asked, 2) << "the file, then its copy";
    EXPECT_EQ(player.ErrorCode(), MusicPlayer::kInternalError);
    EXPECT_TRUE(player.ErrorMessage().startsWith(QStringLiteral("打开音乐文件出错：277 ")));
}

TEST_F(MusicPlayerTest, FileInTheTemporaryFolderIsNeverReplacedByItsOwnCopy) {
    GateGuard gate([](const QString& path) { return !HasPicture(path); });
    const QString path = CopyFixture(TempFolder(), "here.mp3");
    AddPictures(path, 1);
    const QByteArray original = ReadAll(path);

    MusicPlayer player;
    EXPECT_FALSE(player.Start(path));
    EXPECT_EQ(player.ErrorCode(), MusicPlayer::kInternalError);
    EXPECT_EQ(ReadAll(path), original) << "the operator's file must not be stripped or removed";
}

}  // namespace
