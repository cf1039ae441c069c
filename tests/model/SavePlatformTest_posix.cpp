#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include "model/AtomicFileWriter.h"
#include "support/TestFolder.h"

// A save keeps the file's permissions and, when the file is a symbolic link, replaces the
// file it points to rather than the link.
TEST(AtomicFileWriter, KeepsPermissionsAndWritesThroughASymbolicLink) {
    TestFolder dir;
    const QString real = dir.File("real.xml");
    const QString link = dir.File("data.xml");
    ASSERT_TRUE(AtomicFileWriter::Write(real, "old"));
    const auto ownerOnly =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    ASSERT_TRUE(QFile::setPermissions(real, ownerOnly));
    ASSERT_TRUE(QFile::link(real, link));
    ASSERT_TRUE(AtomicFileWriter::Write(link, "new"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(dir.Read("real.xml"), QByteArray("new"));
    EXPECT_EQ(QFileInfo(real).permissions(), ownerOnly);
}
