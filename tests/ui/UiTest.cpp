#include <gtest/gtest.h>

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

}  // namespace
