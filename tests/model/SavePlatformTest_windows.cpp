#include <gtest/gtest.h>
#include <windows.h>

#include <QDir>
#include <QFile>
#include <QThread>

#include <chrono>
#include <thread>

#include "model/AtomicFileWriter.h"
#include "support/TestFolder.h"

namespace {

// A handle another program holds on a file: an editor, Explorer's preview, a virus scanner.
class OtherProgram {
  public:
    OtherProgram(const QString& path, DWORD share) {
        const QString native = QDir::toNativeSeparators(path);
        handle_ = CreateFileW(reinterpret_cast<const wchar_t*>(native.utf16()), GENERIC_READ, share,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    ~OtherProgram() { Close(); }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Close() {
        if (IsOpen()) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

  private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

DWORD Attributes(const QString& path) {
    const QString native = QDir::toNativeSeparators(path);
    return GetFileAttributesW(reinterpret_cast<const wchar_t*>(native.utf16()));
}

}  // namespace

// A reader that lets others delete (what editors and Explorer do) does not hold up a save.
TEST(AtomicFileWriter, ReplacesAFileAnotherProgramReads) {
    TestFolder dir;
    const QString path = dir.File("data.xml");
    ASSERT_TRUE(AtomicFileWriter::Write(path, "old"));
    OtherProgram reader(path, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    ASSERT_TRUE(reader.IsOpen());
    QString reason;
    EXPECT_TRUE(AtomicFileWriter::Write(path, "new", &reason)) << reason.toStdString();
    reader.Close();
    EXPECT_EQ(dir.Read("data.xml"), QByteArray("new"));
}

// A scanner that locks the fresh file for a moment delays the save; one that keeps it locked
// fails it with the system's reason, and the old file and no temporary one remain.
TEST(AtomicFileWriter, WaitsOutABriefLockAndGivesUpOnALastingOne) {
    TestFolder dir;
    const QString path = dir.File("data.xml");
    ASSERT_TRUE(AtomicFileWriter::Write(path, "old"));
    {
        OtherProgram scanner(path, FILE_SHARE_READ);
        ASSERT_TRUE(scanner.IsOpen());
        std::thread release([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            scanner.Close();
        });
        QString reason;
        const bool saved = AtomicFileWriter::Write(path, "brief", &reason);
        release.join();
        EXPECT_TRUE(saved) << reason.toStdString();
        EXPECT_EQ(dir.Read("data.xml"), QByteArray("brief"));
    }
    OtherProgram scanner(path, FILE_SHARE_READ);
    ASSERT_TRUE(scanner.IsOpen());
    QString reason;
    EXPECT_FALSE(AtomicFileWriter::Write(path, "lasting", &reason));
    EXPECT_FALSE(reason.isEmpty());
    scanner.Close();
    EXPECT_EQ(dir.Read("data.xml"), QByteArray("brief"));
    EXPECT_FALSE(QFile::exists(AtomicFileWriter::TemporaryPath(path)));
}

// The replaced file keeps what the operator set on it in Explorer.
TEST(AtomicFileWriter, KeepsTheFilesAttributes) {
    TestFolder dir;
    const QString path = dir.File("data.xml");
    ASSERT_TRUE(AtomicFileWriter::Write(path, "old"));
    const QString native = QDir::toNativeSeparators(path);
    ASSERT_TRUE(SetFileAttributesW(reinterpret_cast<const wchar_t*>(native.utf16()),
                                   FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    ASSERT_TRUE(AtomicFileWriter::Write(path, "new"));
    EXPECT_EQ(dir.Read("data.xml"), QByteArray("new"));
    EXPECT_TRUE(Attributes(path) & FILE_ATTRIBUTE_HIDDEN);
}
