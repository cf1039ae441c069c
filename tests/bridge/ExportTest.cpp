#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <algorithm>

#include "bridge/BridgeCalls.h"
#include "support/TestFolder.h"

namespace {

using Fields = BridgeCalls::Fields;
const auto R = BridgeCalls::Row;

CelvexLibrary::ExportOutcome ExportRows(const QString& path, const QString& title,
                                        const std::vector<Fields>& rows) {
    return BridgeCalls::Library().Export(path, BridgeCalls::ExportTitles(), title,
                                         QStringLiteral("微软雅黑"), 11, rows);
}

std::vector<Fields> ReadBack(const QString& path, const Fields& titles) {
    const auto outcome =
        BridgeCalls::Library().Import(CelvexLibrary::ImportKind::Spreadsheet, path, titles);
    EXPECT_TRUE(outcome.success) << "error " << outcome.error;
    return outcome.rows;
}

// A null winner entry cannot come through the loader (it has no null rows), so the raw
// function is called: null entries are skipped without using up a row.
bool ExportRaw(const QString& path, const char* title, std::vector<FieldRow*> rows) {
    BridgeCalls calls;
    if (!calls.exportRows) return false;
    const QByteArray file = path.toUtf8();
    const char* titles[4] = {"奖项", "奖品", "中奖者", "中奖时间"};
    ExportRequest request{};
    request.rows = rows.data();
    request.count = static_cast<int32_t>(rows.size());
    request.title = title;
    request.fontName = "微软雅黑";
    request.fontSize = 11;
    calls.exportRows(file.constData(), titles, &request);
    return request.success && request.error == 0;
}

TEST(Export, RowsReadBackInLayoutOrder) {
    TestFolder folder;
    const QString path = folder.File(QStringLiteral("中奖名单.xlsx"));
    char prize1[] = "一等奖", content1[] = "笔记本", winner1[] = "张三",
         time1[] = "2024-01-01 10:00:00";
    char prize2[] = "二等奖", winner2[] = "007", phone[] = "13800138000";
    FieldRow first{{prize1, content1, winner1, time1}};
    FieldRow empty{{nullptr, nullptr, nullptr, nullptr}};
    FieldRow second{{prize2, nullptr, winner2, phone}};
    ASSERT_TRUE(ExportRaw(path, "2024年会中奖名单", {&first, nullptr, &empty, &second}));

    // Title in B2, header in row 3, winners from row 4; the null entry used up no row, the
    // all-null row is a row of empty cells, digits stayed text.
    const std::vector<Fields> expected = {
        R("2024年会中奖名单", "", "", ""),
        R("奖项", "奖品", "中奖者", "中奖时间"),
        R("一等奖", "笔记本", "张三", "2024-01-01 10:00:00"),
        R("", "", "", ""),
        R("二等奖", "", "007", "13800138000"),
    };
    EXPECT_EQ(BridgeCalls::Describe(ReadBack(path, BridgeCalls::ImportTitles())),
              BridgeCalls::Describe(expected));
}

TEST(Export, NoWinnersGivesTitleAndHeaderOnly) {
    TestFolder folder;
    const QString path = folder.File(QStringLiteral("empty.xlsx"));
    const auto outcome = ExportRows(path, QStringLiteral("年会"), {});
    ASSERT_TRUE(outcome.loaded);
    EXPECT_TRUE(outcome.success);
    EXPECT_EQ(
        BridgeCalls::Describe(ReadBack(path, BridgeCalls::ImportTitles())),
        BridgeCalls::Describe({R("年会", "", "", ""), R("奖项", "奖品", "中奖者", "中奖时间")}));

    // With an empty title the header is the first used row; read with the export titles it is
    // a title row and nothing follows it.
    const auto untitled = ExportRows(path, QString(), {});
    EXPECT_TRUE(untitled.success);
    EXPECT_TRUE(ReadBack(path, BridgeCalls::ExportTitles()).empty());
}

TEST(Export, WriteFailuresAreReportedAndLeaveNoFile) {
    TestFolder folder;
    const std::vector<Fields> rows = {R("一等奖", "笔记本", "张三", "2024-01-01 10:00:00")};

    const QString inMissingFolder = folder.File(QStringLiteral("no/such/folder/a.xlsx"));
    const auto missing = ExportRows(inMissingFolder, QStringLiteral("t"), rows);
    EXPECT_TRUE(missing.loaded);
    EXPECT_FALSE(missing.success);
    EXPECT_EQ(missing.error, CELVEX_FAILED);

    // The target is a folder: nothing can be written there and nothing is left behind.
    QDir(folder.Path()).mkdir(QStringLiteral("taken.xlsx"));
    const auto onFolder =
        ExportRows(folder.File(QStringLiteral("taken.xlsx")), QStringLiteral("t"), rows);
    EXPECT_FALSE(onFolder.success);
    EXPECT_EQ(onFolder.error, CELVEX_FAILED);
    EXPECT_EQ(QDir(folder.Path()).entryList(QDir::Files), QStringList());

    const auto noPath = ExportRows(QString(), QStringLiteral("t"), rows);
    EXPECT_FALSE(noPath.success);
    EXPECT_EQ(noPath.error, CELVEX_INVALID_ARGUMENT);
}

TEST(Export, ReplacesAnExistingFile) {
    TestFolder folder;
    const QString path = folder.File(QStringLiteral("list.xlsx"));
    folder.Write(QStringLiteral("list.xlsx"), "old contents");
    ASSERT_TRUE(ExportRows(path, QString(), {R("a", "b", "c", "d")}).success);
    const auto rows = ReadBack(path, BridgeCalls::ExportTitles());
    EXPECT_EQ(BridgeCalls::Describe(rows), BridgeCalls::Describe({R("a", "b", "c", "d")}));
}

// Converts file with LibreOffice into format (its own profile, so the test neither needs
// nor touches a user's set-up); returns the converted file's bytes.
QByteArray ConvertWithLibreOffice(const TestFolder& folder, const QString& file,
                                  const QString& format, const QString& outputName) {
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    QProcess process;
    process.setWorkingDirectory(folder.Path());
    process.start(soffice, {QStringLiteral("-env:UserInstallation=file://") + folder.Path() +
                                QStringLiteral("profile"),
                            QStringLiteral("--headless"), QStringLiteral("--convert-to"), format,
                            QStringLiteral("--outdir"), folder.Path(), file});
    if (!process.waitForFinished(120000)) return QByteArray();
    return folder.Read(outputName);
}

bool HaveLibreOffice() {
    return !QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty();
}

// Another program reads the file the same way: LibreOffice turns it into CSV.
TEST(Export, LibreOfficeReadsTheWorkbook) {
    if (!HaveLibreOffice()) GTEST_SKIP() << "soffice is not installed; LibreOffice check skipped";
    TestFolder folder;
    const QString path = folder.File(QStringLiteral("winners.xlsx"));
    ASSERT_TRUE(
        ExportRows(path, QStringLiteral("中奖名单"),
                   {R("一等奖", "笔记本", "张三", "2024-01-01 10:00:00"),
                    R(nullptr, nullptr, nullptr, nullptr), R("二等奖", "", "007", "13800138000")})
            .success);
    const QString csv = QString::fromUtf8(ConvertWithLibreOffice(
        folder, path, QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"),
        QStringLiteral("winners.csv")));
    QStringList lines = csv.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString& line : lines) line = line.trimmed();
    EXPECT_EQ(lines,
              QStringList({QStringLiteral(",,,,"), QStringLiteral(",中奖名单,,,"),
                           QStringLiteral(",奖项,奖品,中奖者,中奖时间"),
                           QStringLiteral(",一等奖,笔记本,张三,2024-01-01 10:00:00"),
                           QStringLiteral(",,,,"), QStringLiteral(",二等奖,,007,13800138000")}))
        << csv.toStdString();
}

// What LibreOffice's flat ODF form of the sheet says about its first rows and columns.
struct SheetLayout {
    struct Cell {
        QString style, text;
        int span = 1;
    };
    struct Row {
        QString style;
        std::vector<Cell> cells;  // repeated cells expanded, up to column F
    };
    QHash<QString, QHash<QString, QString>> styles;  // style name -> property -> value
    QSet<QString> textFormats;                       // names of number:text-style
    std::vector<QString> columns;                    // column styles, A to F
    std::vector<Row> rows;                           // rows 1 to 6

    QString Property(const QString& style, const char* name) const {
        return styles.value(style).value(QString::fromLatin1(name));
    }
    // A length such as "0.4374in" or "1.2cm" in points.
    double Points(const QString& style, const char* name) const {
        QString value = Property(style, name);
        const double factor = value.endsWith(QLatin1String("in"))   ? 72.0
                              : value.endsWith(QLatin1String("cm")) ? 72.0 / 2.54
                              : value.endsWith(QLatin1String("mm")) ? 72.0 / 25.4
                                                                    : 1.0;
        value.chop(2);
        return value.toDouble() * factor;
    }

    static SheetLayout Parse(const QByteArray& fods) {
        SheetLayout layout;
        QXmlStreamReader xml(fods);
        QString style;
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement()) continue;
            const auto a = xml.attributes();
            const QString name = xml.qualifiedName().toString();
            if (name == QLatin1String("style:style")) {
                style = a.value(QLatin1String("style:name")).toString();
                for (const auto& attribute : a)
                    layout.styles[style][attribute.qualifiedName().toString()] =
                        attribute.value().toString();
            } else if (name.startsWith(QLatin1String("style:")) &&
                       name.endsWith(QLatin1String("-properties"))) {
                for (const auto& attribute : a)
                    layout.styles[style][attribute.qualifiedName().toString()] =
                        attribute.value().toString();
            } else if (name == QLatin1String("number:text-style")) {
                layout.textFormats.insert(a.value(QLatin1String("style:name")).toString());
            } else if (name == QLatin1String("table:table-column")) {
                const int repeat =
                    std::max(1, a.value(QLatin1String("table:number-columns-repeated")).toInt());
                for (int i = 0; i < repeat && layout.columns.size() < 6; ++i)
                    layout.columns.push_back(a.value(QLatin1String("table:style-name")).toString());
            } else if (name == QLatin1String("table:table-row")) {
                if (layout.rows.size() >= 6) break;
                layout.rows.push_back({a.value(QLatin1String("table:style-name")).toString(), {}});
            } else if (name == QLatin1String("table:table-cell") && !layout.rows.empty()) {
                Cell cell{
                    a.value(QLatin1String("table:style-name")).toString(), QString(),
                    std::max(1, a.value(QLatin1String("table:number-columns-spanned")).toInt())};
                const int repeat =
                    std::max(1, a.value(QLatin1String("table:number-columns-repeated")).toInt());
                if (!xml.isEndElement())
                    cell.text =
                        xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
                auto& cells = layout.rows.back().cells;
                for (int i = 0; i < repeat && cells.size() < 6; ++i) cells.push_back(cell);
            }
        }
        return layout;
    }
};

TEST(Export, LayoutAsLibreOfficeSeesIt) {
    if (!HaveLibreOffice()) GTEST_SKIP() << "soffice is not installed; LibreOffice check skipped";
    TestFolder folder;
    const QString path = folder.File(QStringLiteral("layout.xlsx"));
    ASSERT_TRUE(ExportRows(path, QStringLiteral("年会"),
                           {R("一等奖", "笔记本", "007", "13800138000"),
                            R(nullptr, nullptr, nullptr, nullptr)})
                    .success);
    const SheetLayout sheet = SheetLayout::Parse(ConvertWithLibreOffice(
        folder, path, QStringLiteral("fods"), QStringLiteral("layout.fods")));
    ASSERT_EQ(sheet.columns.size(), 6u);
    ASSERT_GE(sheet.rows.size(), 5u);

    // Widths A..F 3, 18, 25, 30, 24 and the standard 8: a character-width unit converts to a
    // length as (width + 5/7) times one constant.
    const double widths[6] = {3, 18, 25, 30, 24, 8};
    const double unit = sheet.Points(sheet.columns[1], "style:column-width") / (18 + 5.0 / 7);
    for (int c = 0; c < 6; ++c)
        EXPECT_NEAR(sheet.Points(sheet.columns[c], "style:column-width") / (widths[c] + 5.0 / 7),
                    unit, unit * 0.02)
            << "column " << c;

    EXPECT_NEAR(sheet.Points(sheet.rows[1].style, "style:row-height"), 32, 1);
    for (int r = 2; r < 5; ++r)
        EXPECT_NEAR(sheet.Points(sheet.rows[r].style, "style:row-height"), 18, 0.5)
            << "row " << r + 1;

    // Title: B2 over four columns, 14 pt, no border.
    const SheetLayout::Cell& title = sheet.rows[1].cells[1];
    EXPECT_EQ(title.text, QStringLiteral("年会"));
    EXPECT_EQ(title.span, 4);
    EXPECT_EQ(sheet.Property(title.style, "fo:font-size"), QStringLiteral("14pt"));
    EXPECT_EQ(sheet.Property(title.style, "style:font-name"), QStringLiteral("微软雅黑"));
    EXPECT_FALSE(sheet.Property(title.style, "fo:border").contains(QLatin1String("solid")));

    const QStringList header = {QStringLiteral("奖项"), QStringLiteral("奖品"),
                                QStringLiteral("中奖者"), QStringLiteral("中奖时间")};
    const QStringList body = {QStringLiteral("一等奖"), QStringLiteral("笔记本"),
                              QStringLiteral("007"), QStringLiteral("13800138000")};
    for (int c = 1; c <= 4; ++c) {
        const QString& h = sheet.rows[2].cells[c].style;
        EXPECT_EQ(sheet.rows[2].cells[c].text, header[c - 1]);
        EXPECT_EQ(sheet.Property(h, "fo:background-color").toLower(), QStringLiteral("#c0c0c0"));
        EXPECT_EQ(sheet.Property(h, "fo:font-weight"), QStringLiteral("bold"));
        EXPECT_EQ(sheet.Property(h, "fo:font-size"), QStringLiteral("11pt"));
        for (int r : {3, 4}) {
            const SheetLayout::Cell& cell = sheet.rows[r].cells[c];
            EXPECT_EQ(cell.text, r == 3 ? body[c - 1] : QString()) << "row " << r + 1;
            EXPECT_EQ(sheet.Property(cell.style, "fo:font-weight"), QStringLiteral("normal"));
            EXPECT_EQ(sheet.Property(cell.style, "fo:font-size"), QStringLiteral("11pt"));
        }
        for (int r : {2, 3, 4}) {
            const QString& s = sheet.rows[r].cells[c].style;
            EXPECT_TRUE(sheet.Property(s, "fo:border").contains(QLatin1String("solid")))
                << "row " << r + 1 << " column " << c;
        }
        for (int r : {1, 2, 3, 4}) {
            const QString& s = sheet.rows[r].cells[c].style;
            if (r == 1 && c > 1) continue;  // covered by the merge
            EXPECT_EQ(sheet.Property(s, "fo:text-align"), QStringLiteral("center"));
            EXPECT_EQ(sheet.Property(s, "style:vertical-align"), QStringLiteral("middle"));
            EXPECT_EQ(sheet.Property(s, "fo:wrap-option"), QStringLiteral("wrap"));
            EXPECT_TRUE(sheet.textFormats.contains(sheet.Property(s, "style:data-style-name")))
                << "row " << r + 1 << " column " << c << " is not text-formatted";
        }
    }
}

}  // namespace
