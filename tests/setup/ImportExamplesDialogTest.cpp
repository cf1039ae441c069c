#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTest>

#include <vector>

#include "setup/ImportExamplesDialog.h"
#include "support/FakeUi.h"
#include "support/TestFolder.h"

namespace {

const QString kBuildFolder = QStringLiteral(VANTORIA_BUILD_DIR "/");

TEST(ImportExamplesFitTest, NeverEnlargesShrinksProportionallyAndCentres) {
    const QRect area(100, 80, 300, 200);
    struct Case {
        QSize picture;
        QRect expected;
    };
    const Case cases[] = {
        {{100, 50}, QRect(200, 155, 100, 50)},    // smaller: own size, centred
        {{300, 200}, QRect(100, 80, 300, 200)},   // exactly fits
        {{600, 200}, QRect(100, 130, 300, 100)},  // too wide
        {{100, 400}, QRect(225, 80, 50, 200)},    // too tall
        {{900, 900}, QRect(150, 80, 200, 200)},   // both
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.picture.width() << "x" << c.picture.height());
        EXPECT_EQ(ImportExamplesDialog::FitPicture(area, c.picture), c.expected);
    }
}

class ImportExamplesDialogTest : public ::testing::Test {
  protected:
    FakeUi fake_;
};

TEST_F(ImportExamplesDialogTest, StartsOnTheFirstExampleAndItsPicture) {
    ImportExamplesDialog dialog(kBuildFolder);
    ASSERT_EQ(dialog.Examples()->count(), 4);
    EXPECT_EQ(dialog.Examples()->geometry().left(), 100);
    EXPECT_EQ(dialog.Examples()->geometry().right(), dialog.width() - 101);
    EXPECT_EQ(dialog.Position(), 1);
    EXPECT_EQ(dialog.PicturePath(1), kBuildFolder + "example/import_1.png");
    EXPECT_FALSE(dialog.Picture().isNull());
    EXPECT_TRUE(dialog.Cycling());

    QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), int(QDialog::Rejected));
}

TEST_F(ImportExamplesDialogTest, CyclesWhileVisibleAndStopsForGoodAtThePick) {
    TestFolder empty;  // no pictures: the slideshow runs all the same
    ImportExamplesDialog dialog(empty.Path());
    EXPECT_TRUE(dialog.Picture().isNull());
    std::vector<int> seen;
    QObject::connect(dialog.Examples(), &QComboBox::currentIndexChanged, &dialog,
                     [&seen](int i) { seen.push_back(i + 1); });
    dialog.SetCycleInterval(15);
    QTest::qWait(80);  // hidden: no steps
    EXPECT_TRUE(seen.empty());

    dialog.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.size() >= 5; }, 3000));
    EXPECT_EQ(std::vector<int>(seen.begin(), seen.begin() + 5), std::vector<int>({2, 3, 4, 1, 2}));

    // The operator steps to the next entry with the keyboard.
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.Position() == 2; }, 3000));
    dialog.Examples()->setFocus();
    QTest::keyClick(dialog.Examples(), Qt::Key_Down);
    EXPECT_FALSE(dialog.Cycling());
    EXPECT_EQ(dialog.Position(), 3);
    QTest::qWait(100);
    EXPECT_EQ(dialog.Position(), 3);
}

TEST_F(ImportExamplesDialogTest, PaintsBandPictureAndSeparator) {
    TestFolder folder;
    QImage red(40, 30, QImage::Format_ARGB32);
    red.fill(Qt::red);
    QDir().mkpath(folder.File("example"));
    ASSERT_TRUE(red.save(folder.File("example/import_1.png")));
    ImportExamplesDialog dialog(folder.Path());
    ASSERT_EQ(dialog.Picture().size(), QSize(40, 30));
    const QImage shot = dialog.grab().toImage();
    const int w = dialog.width();
    const int h = dialog.height();
    EXPECT_EQ(shot.pixel(3, 3) | 0xFF000000u, qRgb(223, 223, 223));
    EXPECT_EQ(shot.pixel(3, 60) | 0xFF000000u, qRgb(245, 245, 245));
    EXPECT_EQ(shot.pixel(3, h - 42) | 0xFF000000u, qRgb(223, 223, 223));
    const QRect at = ImportExamplesDialog::FitPicture(dialog.PictureArea(), QSize(40, 30));
    EXPECT_EQ(at.size(), QSize(40, 30));
    EXPECT_EQ(shot.pixel(at.center()) | 0xFF000000u, qRgb(255, 0, 0));
    EXPECT_EQ(shot.pixel(at.left() - 2, at.center().y()) | 0xFF000000u, qRgb(245, 245, 245));
    EXPECT_NEAR(at.center().x(), w / 2, 1);
}

}  // namespace
