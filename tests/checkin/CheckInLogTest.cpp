#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>
#include <random>
#include <set>

#include "model/CheckInLog.h"
#include "support/TestFolder.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

QByteArray InLine(int id) {
    return "{\"type\":\"in\",\"id\":" + QByteArray::number(id) +
           ",\"name\":\"x\",\"by\":\"phone\",\"time\":1700000000}\n";
}

}  // namespace

// A child adds check-ins and reports each one Add returned; it is killed at a random moment.
// Every reported check-in must be in the file, and the file must take more after the kill.
TEST(CheckInLogDurability, EveryReportedCheckInSurvivesSigkill) {
#ifdef _WIN32
    GTEST_SKIP() << "needs fork() and SIGKILL, which Windows does not have";
#else
    TestFolder folder;
    const QString path = folder.File(CheckInLog::FileName());
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 random(seed);
    std::set<int32_t> reported;
    int32_t next = 1;
    for (int round = 0; round < 6; ++round) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(fds[0]);
            CheckInLog log(path);
            for (int32_t id = next;; ++id) {
                if (log.Add(id, QStringLiteral("客人"), CheckInLog::Source::Phone) !=
                    CheckInLog::Result::Added)
                    _exit(3);
                if (write(fds[1], &id, sizeof(id)) != sizeof(id)) _exit(4);
            }
        }
        close(fds[1]);
        // Wait until the child has written something, then a random while longer.
        int32_t id = 0;
        ASSERT_EQ(read(fds[0], &id, sizeof(id)), ssize_t(sizeof(id)));
        reported.insert(id);
        usleep(std::uniform_int_distribution<useconds_t>(0, 150'000)(random));
        kill(child, SIGKILL);
        while (read(fds[0], &id, sizeof(id)) == ssize_t(sizeof(id))) reported.insert(id);
        close(fds[0]);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the child ended by itself, status " << status;

        const CheckInLog reread(path);
        for (int32_t want : reported) ASSERT_TRUE(reread.Contains(want)) << "lost " << want;
        const std::vector<int32_t> ids = reread.Ids();
        next = *std::max_element(ids.begin(), ids.end()) + 1;
    }
    CheckInLog log(path);
    EXPECT_EQ(log.Add(next, QStringLiteral("最后"), CheckInLog::Source::Hand),
              CheckInLog::Result::Added);
    const CheckInLog reread(path);
    EXPECT_TRUE(reread.Contains(next));
    EXPECT_GE(reread.Count(), reported.size() + 1);
#endif
}

// A line torn by a kill is skipped, and the next check-in is not glued to it.
TEST(CheckInLogFile, TornLastLineIsSkippedAndTheNextAddWorks) {
    TestFolder folder;
    folder.Write(CheckInLog::FileName(), InLine(1) + "{\"type\":\"in\",\"id\":2,\"na");
    const QString path = folder.File(CheckInLog::FileName());
    {
        CheckInLog log(path);
        EXPECT_TRUE(log.Contains(1));
        EXPECT_FALSE(log.Contains(2));
        EXPECT_EQ(log.Add(3, QStringLiteral("王五"), CheckInLog::Source::Phone),
                  CheckInLog::Result::Added);
    }
    const CheckInLog reread(path);
    EXPECT_TRUE(reread.Contains(1));
    EXPECT_FALSE(reread.Contains(2));
    EXPECT_TRUE(reread.Contains(3));
    EXPECT_EQ(reread.Count(), 2u);
}

// What the file may hold after damage or by hand: each line stands or falls alone.
TEST(CheckInLogFile, DamagedLinesAreSkippedOneByOne) {
    const struct {
        const char* what;
        QByteArray lines;
        std::vector<int32_t> ids;
    } cases[] = {
        {"garbage between", InLine(1) + "\x01\xff garbage\n" + InLine(2), {1, 2}},
        {"negative id", InLine(-5) + InLine(2), {2}},
        {"fractional id", "{\"type\":\"in\",\"id\":1.5}\n" + InLine(2), {2}},
        {"id past int32", "{\"type\":\"in\",\"id\":2147483648}\n" + InLine(2), {2}},
        {"id as text", "{\"type\":\"in\",\"id\":\"7\"}\n" + InLine(2), {2}},
        {"unknown type", "{\"type\":\"win\",\"id\":7}\n" + InLine(2), {2}},
        {"out undoes", InLine(1) + InLine(2) + "{\"type\":\"out\",\"id\":1}\n", {2}},
        {"clear, then one more", InLine(1) + InLine(2) + "{\"type\":\"clear\"}\n" + InLine(3), {3}},
        {"CRLF lines", InLine(1).replace("\n", "\r\n") + InLine(2), {1, 2}},
        {"a line far too long",
         "{\"type\":\"in\",\"id\":9,\"name\":\"" + QByteArray(9000, 'a') + "\"}\n" + InLine(2),
         {2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestFolder folder;
        folder.Write(CheckInLog::FileName(), c.lines);
        const CheckInLog log(folder.File(CheckInLog::FileName()));
        std::vector<int32_t> ids = log.Ids();
        std::sort(ids.begin(), ids.end());
        EXPECT_EQ(ids, c.ids);
    }
}

// Whatever name the list gives a guest, the check-in written for them is read back.
TEST(CheckInLogFile, AnyNameIsReadBack) {
    const QChar highSurrogate(0xD83D);
    const QString emoji = QString::fromUtf8("\xF0\x9F\x8E\x89");
    const struct {
        const char* what;
        QString name;
    } cases[] = {
        {"2000 Chinese characters", QString(2000, QChar(0x5F20))},
        {"control characters and quotes", QString(1500, QChar(0x01)) + "\"\n\\"},
        {"a lone surrogate", QStringLiteral("王") + highSurrogate + QStringLiteral("五")},
        {"emoji cut anywhere", emoji.repeated(1100) + QChar(0x41)},
        {"empty", QString()},
    };
    TestFolder folder;
    const QString path = folder.File(CheckInLog::FileName());
    {
        CheckInLog log(path);
        for (const auto& c : cases)
            ASSERT_EQ(log.Add(int32_t(&c - cases), c.name, CheckInLog::Source::Phone),
                      CheckInLog::Result::Added)
                << c.what;
    }
    const CheckInLog reread(path);
    for (const auto& c : cases) EXPECT_TRUE(reread.Contains(int32_t(&c - cases))) << c.what;
}
