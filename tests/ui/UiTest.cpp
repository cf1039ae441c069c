#include <gtest/gtest.h>

#include <QDir>
#include <QStandardPaths>

#include "support/FakeUi.h"
#include "support/TestFolder.h"
#include "ui/Ui.h"

namespace {

// Qt shows a filter as given and reads its patterns from the last parentheses: a description
// that lists the patterns itself must not get a second list.
TEST(UiFilter, PatternsAreShownOnce) {
    const struct {
        const char* filter;
        const char* qt;
    } cases[] = {
        {"Excel 文件(*.xls, *.xlsx)|*.xls;*.xlsx||", "Excel 文件 (*.xls *.xlsx)"},
        {"Excel 文件(*.xlsx)|*.xls;*.xlsx||", "Excel 文件 (*.xls *.xlsx)"},
        {"文本文件(*.txt, *.csv, *.tsv)|*.txt;*.csv;*.tsv||", "文本文件 (*.txt *.csv *.tsv)"},
        {"Excel 文件(*.xls, *.xlsx)|*.xls;*.xlsx|CSV 文件(*.csv)|*.csv||",
         "Excel 文件 (*.xls *.xlsx);;CSV 文件 (*.csv)"},
        {"图片|*.png;*.jpg||", "图片 (*.png *.jpg)"},
        {"背景(推荐)|*.jpg||", "背景(推荐) (*.jpg)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Ui::QtFilter(QString::fromUtf8(c.filter)), QString::fromUtf8(c.qt)) << c.filter;
}

// File dialogs open among the operator's documents, not beside the program, and after that
// where the operator last went.
TEST(UiFolders, DialogsStartInTheDocumentsThenTheLastFolderUsed) {
    Ui::ForgetFolder();
    FakeUi fake;
    TestFolder lists;
    QDir(lists.Path()).mkpath(QStringLiteral("名单"));
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    fake.fileNames = {lists.File(QStringLiteral("名单/员工.xlsx")), QString(),
                      lists.File(QStringLiteral("导出"))};
    Ui::OpenFileName(nullptr, QStringLiteral("Excel|*.xlsx||"));
    Ui::OpenFileName(nullptr, QStringLiteral("Excel|*.xlsx||"));  // cancelled: nothing learnt
    const QString saved = Ui::SaveFileName(nullptr, QStringLiteral("Excel|*.xlsx||"),
                                           QStringLiteral("中奖名单.xlsx"), QStringLiteral("xlsx"));
    EXPECT_EQ(saved, lists.File(QStringLiteral("导出.xlsx")));
    ASSERT_EQ(fake.fileRequests.size(), 3u);
    EXPECT_EQ(fake.fileRequests[0].folder, QDir(documents).exists() ? documents : QDir::homePath());
    EXPECT_EQ(fake.fileRequests[1].folder, lists.File(QStringLiteral("名单")));
    EXPECT_EQ(fake.fileRequests[2].folder, lists.File(QStringLiteral("名单")));
    Ui::ForgetFolder();
}

}  // namespace
