#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <climits>

#include "setup/GenerateNumbersDialog.h"
#include "support/FakeUi.h"

namespace {

TEST(GenerateNumbersTest, PadsToTheDigitsOfStartPlusTotal) {
    struct Case {
        int32_t start, total;
        QString prefix, suffix;
        QStringList expected;  // first, second and last text
        qsizetype count;
    };
    const Case cases[] = {
        {1, 100, "", "", {"001", "002", "100"}, 100},
        {1, 9, "", "", {"01", "02", "09"}, 9},
        {0, 10, "", "", {"00", "01", "09"}, 10},
        {95, 10, "", "", {"095", "096", "104"}, 10},
        {1, 99, "", "", {"001", "002", "099"}, 99},
        {1, 3, "A", "B", {"A1B", "A2B", "A3B"}, 3},
        {1, 2, "  No. ", "\t-x ", {"No.1-x", "No.2-x", "No.2-x"}, 2},
        // The minus sign counts inside the width; the width comes from |start + total|.
        {-5, 20, "", "", {"-5", "-4", "14"}, 20},
        {-30, 10, "", "", {"-30", "-29", "-21"}, 10},
        {-10, 10, "", "", {"-10", "-9", "-1"}, 10},  // sum 0: no padding
        // Past the int32 limit the run keeps counting instead of wrapping.
        {INT32_MAX, 2, "", "", {"2147483647", "2147483648", "2147483648"}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << "/" << c.total);
        const QStringList texts =
            GenerateNumbersDialog::Generate(c.start, c.total, c.prefix, c.suffix, false);
        ASSERT_EQ(texts.size(), c.count);
        EXPECT_EQ(texts.first(), c.expected[0]);
        EXPECT_EQ(texts[1], c.expected[1]);
        EXPECT_EQ(texts.last(), c.expected[2]);
    }
}

TEST(GenerateNumbersTest, PreviewStopsAtFiveAndNothingComesOfNoTotal) {
    EXPECT_EQ(GenerateNumbersDialog::Generate(1, 100, "", "", true),
              QStringList({"001", "002", "003", "004", "005"}));
    EXPECT_EQ(GenerateNumbersDialog::Generate(1, 3, "", "", true), QStringList({"1", "2", "3"}));
    for (int32_t total : {0, -1, INT32_MIN}) {
        EXPECT_TRUE(GenerateNumbersDialog::Generate(1, total, "", "", false).isEmpty()) << total;
        EXPECT_TRUE(GenerateNumbersDialog::Generate(1, total, "", "", true).isEmpty()) << total;
    }
}

class GenerateNumbersDialogTest : public ::testing::Test {
  protected:
    FakeUi fake_;
};

TEST_F(GenerateNumbersDialogTest, PreviewFollowsTypingAndOkGeneratesTheFullRun) {
    GenerateNumbersDialog dialog(GenNumberSettings{});
    EXPECT_EQ(dialog.Preview()->text(), QStringLiteral("001\n002\n003\n004\n005"));
    EXPECT_TRUE(dialog.Texts().isEmpty());  // nothing generated before OK
    dialog.TotalEdit()->setText("3");
    EXPECT_EQ(dialog.Preview()->text(), QStringLiteral("1\n2\n3"));
    dialog.TotalEdit()->setText("0");
    EXPECT_EQ(dialog.Preview()->text(), QString());
    dialog.TotalEdit()->setText("12");
    dialog.PrefixEdit()->setText("  A ");
    dialog.SuffixEdit()->setText("B  ");
    EXPECT_EQ(dialog.Preview()->text(), QStringLiteral("A01B\nA02B\nA03B\nA04B\nA05B"));

    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    ASSERT_EQ(dialog.Texts().size(), 12);
    EXPECT_EQ(dialog.Texts().last(), QStringLiteral("A12B"));
    const GenNumberSettings s = dialog.Settings();
    EXPECT_EQ(s.Total, 12);
    EXPECT_EQ(s.Prefix, QStringLiteral("A"));
    EXPECT_EQ(s.Suffix, QStringLiteral("B"));
}

TEST_F(GenerateNumbersDialogTest, NumberBoxesTakeDigitsOnlyAndEmptyReadsAsZero) {
    GenerateNumbersDialog dialog(GenNumberSettings{});
    dialog.StartEdit()->clear();
    QTest::keyClicks(dialog.StartEdit(), "1x-2 3");
    EXPECT_EQ(dialog.StartEdit()->text(), QStringLiteral("123"));
    dialog.StartEdit()->clear();
    dialog.TotalEdit()->setText("2");
    EXPECT_EQ(dialog.Settings().Start, 0);
    EXPECT_EQ(dialog.Preview()->text(), QStringLiteral("0\n1"));
}

// A total beyond the limit would build millions of texts in memory before anything is added:
// OK refuses it, names the limit, and leaves the dialog open on the total.
TEST_F(GenerateNumbersDialogTest, TotalAboveTheLimitIsRefused) {
    GenerateNumbersDialog dialog(GenNumberSettings{});
    dialog.show();
    for (const char* total : {"9999999999", "1000001"}) {
        SCOPED_TRACE(total);
        fake_.messages.clear();
        dialog.TotalEdit()->setText(QString::fromLatin1(total));
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        ASSERT_EQ(fake_.messages.size(), 1u);
        EXPECT_TRUE(fake_.messages[0].text.contains(QStringLiteral("1000000")));
        EXPECT_EQ(dialog.result(), int(QDialog::Rejected));
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(dialog.Texts().isEmpty());
    }
    fake_.messages.clear();
    dialog.TotalEdit()->setText(QStringLiteral("4"));
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_TRUE(fake_.messages.empty());
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    EXPECT_EQ(dialog.Texts().size(), 4);
}

}  // namespace
