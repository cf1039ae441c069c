#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QToolTip>

#include <functional>
#include <memory>
#include <vector>

#include "controls/ColorButton.h"
#include "controls/ColorPalettePopup.h"
#include "controls/PaletteColors.h"
#include "support/FakeUi.h"

namespace {

using Popup = ColorPalettePopup;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kBlue = 0xFF0000;
constexpr uint32_t kOdd = 0x123456;  // in no cell of the table

struct Note {
    int code;
    uint32_t color;
    bool valid;
    bool operator==(const Note&) const = default;
};

void PrintTo(const Note& n, std::ostream* os) {
    *os << std::hex << "{" << n.code << ", " << n.color << ", " << n.valid << "}";
}

// QTest turns a move without buttons into a cursor move, which the offscreen platform does not
// deliver; send the event itself.
void MoveMouse(QWidget* w, QPoint pos) {
    QMouseEvent e(QEvent::MouseMove, pos, w->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Showing a popup on the offscreen platform warns about raising and keyboard grabs it cannot do.
QtMessageHandler previousHandler = nullptr;
void DropPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith("This plugin does not support")) return;
    if (previousHandler) previousHandler(type, context, text);
}

QPoint Centre(Popup* p, int cell) {
    return p->CellRect(cell).center();
}

class ColorButtonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previousHandler = qInstallMessageHandler(DropPlatformNotes);
        host_ = std::make_unique<QWidget>();
        host_->resize(300, 200);
        button = new ColorButton(host_.get());  // owned by the host
        button->setGeometry(10, 10, 60, 24);
        QObject::connect(button, &ColorButton::notify, [this](int c, uint32_t color, bool v) {
            notes.push_back({c, color, v});
        });
        host_->show();
    }
    void TearDown() override {
        host_.reset();
        qInstallMessageHandler(previousHandler);
    }

    Popup* Open() {
        QTest::mouseClick(button, Qt::LeftButton);
        return button->Palette();
    }

    std::vector<int> Codes() const {
        std::vector<int> out;
        for (const Note& n : notes) out.push_back(n.code);
        return out;
    }

    QImage Render(QWidget* w) {
        QImage image(w->size(), QImage::Format_ARGB32);
        image.fill(Qt::magenta);
        w->render(&image);
        return image;
    }

    FakeUi fake;
    std::unique_ptr<QWidget> host_;
    ColorButton* button = nullptr;
    std::vector<Note> notes;
};

TEST(ColorRefTest, ConvertsWithRedInTheLowByte) {
    EXPECT_EQ(ColorButton::ToQColor(kRed), QColor(255, 0, 0));
    EXPECT_EQ(ColorButton::ToQColor(kBlue), QColor(0, 0, 255));
    EXPECT_EQ(ColorButton::FromQColor(QColor(0x12, 0x34, 0x56)), 0x563412u);
    EXPECT_FALSE(ColorButton::ToQColor(ColorButton::kAutomatic).isValid());
    EXPECT_EQ(ColorButton::FromQColor(QColor()), ColorButton::kAutomatic);
    EXPECT_EQ(PaletteColors::Color(16), kRed);
    EXPECT_EQ(PaletteColors::Color(9), 0x2068FFu);  // Orange 255,104,32
    EXPECT_EQ(PaletteColors::Name(35), "Pale green ");
    EXPECT_EQ(PaletteColors::IndexOf(0xFFFFFF), 39);
    EXPECT_EQ(PaletteColors::IndexOf(kOdd), -1);
    EXPECT_TRUE(PaletteColors::Name(40).isEmpty());
}

TEST_F(ColorButtonTest, LayoutFollowsTheTexts) {
    struct Case {
        QString defaultText, customText;
    } cases[] = {{"Automatic", "More Colors..."},
                 {"", "More Colors..."},
                 {"Automatic", ""},
                 {"", ""},
                 {"A default colour text far wider than the grid of colours", "x"}};
    for (const Case& c : cases) {
        SCOPED_TRACE((c.defaultText + "|" + c.customText).toStdString());
        button->SetDefaultText(c.defaultText);
        button->SetCustomText(c.customText);
        Popup popup(*button);
        const QRect d = popup.DefaultBoxRect(), g = popup.GridRect(), k = popup.CustomBoxRect();
        const int e = Popup::kEdge;
        EXPECT_EQ(g.size(), QSize(144, 90));
        EXPECT_EQ(d.isEmpty(), c.defaultText.isEmpty());
        EXPECT_EQ(k.isEmpty(), c.customText.isEmpty());
        EXPECT_EQ(d.top(), e);
        EXPECT_EQ(g.top(), e + d.height());
        EXPECT_EQ(k.top(), g.top() + 90);
        EXPECT_EQ(g.left() - e, (d.width() - 144) / 2);
        EXPECT_GE(d.width(), 144);
        EXPECT_EQ(popup.size(), QSize(d.width() + 2 * e, d.height() + 90 + k.height() + 2 * e));
        if (!c.defaultText.isEmpty() && !c.customText.isEmpty()) {
            EXPECT_EQ(d.height(), k.height());
        }
    }
    EXPECT_GT(Popup(*button).DefaultBoxRect().width(), 144);  // the wide text above
}

TEST_F(ColorButtonTest, HitTestAtCellBorders) {
    Popup popup(*button);
    const QPoint g = popup.GridRect().topLeft();
    struct Case {
        int x, y, cell;
    } cases[] = {{0, 0, 0},     {17, 17, 0},   {18, 0, 1},    {17, 18, 8}, {143, 0, 7},
                 {143, 89, 39}, {126, 89, 39}, {125, 89, 38}, {0, -1, -3}, {143, -1, -3},
                 {0, 90, -2},   {143, 90, -2}, {144, 0, -1},  {-1, 0, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(popup.HitTest(g + QPoint(c.x, c.y)), c.cell);
    }
    EXPECT_EQ(popup.HitTest(QPoint(-5, -5)), -1);
    EXPECT_EQ(popup.HitTest(QPoint(0, 0)), -1);  // on the edge
    button->SetDefaultText("");
    Popup without(*button);
    EXPECT_EQ(without.HitTest(without.GridRect().topLeft() - QPoint(0, 1)), -1);
}

TEST_F(ColorButtonTest, CurrentCellFromTheColour) {
    struct Case {
        uint32_t color;
        bool defaultText, customText;
        int current;
    } cases[] = {{ColorButton::kAutomatic, true, true, -3},
                 {ColorButton::kAutomatic, false, true, -2},
                 {ColorButton::kAutomatic, false, false, -1},
                 {kRed, true, true, 16},
                 {0, true, true, 0},
                 {kOdd, true, true, -2},
                 {kOdd, true, false, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.color << c.defaultText << c.customText);
        button->SetColor(c.color);
        button->SetDefaultText(c.defaultText ? "Automatic" : "");
        button->SetCustomText(c.customText ? "More" : "");
        Popup popup(*button);
        EXPECT_EQ(popup.CurrentCell(), c.current);
        EXPECT_EQ(popup.SelectedCell(), -1);
    }
}

TEST_F(ColorButtonTest, ArrowWalkSkipsMissingBoxes) {
    struct Case {
        const char* name;
        bool defaultText, customText;
        int start;  // selected by the mouse first; -1 leaves nothing selected
        Qt::Key key;
        std::vector<int> walk;
    } cases[] = {
        {"right from White", true, true, 39, Qt::Key_Right, {-2, -3, 0, 1}},
        {"right without custom", true, false, 39, Qt::Key_Right, {-3, 0}},
        {"right without default", false, true, 39, Qt::Key_Right, {-2, 0}},
        {"right without boxes", false, false, 39, Qt::Key_Right, {0}},
        {"left from Black", true, true, 0, Qt::Key_Left, {-3, -2, 39, 38}},
        {"left without default", false, true, 0, Qt::Key_Left, {-2, 39}},
        {"left without custom", true, false, 0, Qt::Key_Left, {-3, 39}},
        {"down past the last row", true, true, 35, Qt::Key_Down, {-2, -3, 0, 8}},
        {"up past the first row", true, true, 3, Qt::Key_Up, {-3, -2, 39, 31}},
        {"right from nothing", true, true, -1, Qt::Key_Right, {-3, 0}},
        {"left from nothing", true, true, -1, Qt::Key_Left, {-2, 39}},
        {"left from nothing without custom", true, false, -1, Qt::Key_Left, {39}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        button->SetDefaultText(c.defaultText ? "Automatic" : "");
        button->SetCustomText(c.customText ? "More" : "");
        Popup* popup = Open();
        ASSERT_NE(popup, nullptr);
        if (c.start >= 0) MoveMouse(popup, Centre(popup, c.start));
        ASSERT_EQ(popup->SelectedCell(), c.start);
        for (int expected : c.walk) {
            QTest::keyClick(popup, c.key);
            EXPECT_EQ(popup->SelectedCell(), expected);
        }
        QTest::keyClick(popup, Qt::Key_Escape);
        EXPECT_EQ(button->Palette(), nullptr);
    }
}

TEST_F(ColorButtonTest, HoverThenEscapeRestoresTheOldColour) {
    button->SetTrackSelection(true);
    button->SetColor(kBlue);
    Popup* popup = Open();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(button->IsPaletteOpen());
    EXPECT_EQ(popup->CurrentCell(), 13);
    MoveMouse(popup, Centre(popup, 16));
    EXPECT_EQ(button->Color(), kRed);
    MoveMouse(popup, QPoint(-3, -3));  // off every cell: reported as not valid
    EXPECT_EQ(button->Color(), kRed);
    QTest::keyClick(popup, Qt::Key_Escape);
    const std::vector<Note> expected = {{ColorButton::kDropDown, kBlue, true},
                                        {ColorButton::kSelectionChanged, kRed, true},
                                        {ColorButton::kSelectionChanged, kRed, false},
                                        {ColorButton::kSelectionChanged, kBlue, true},
                                        {ColorButton::kCloseUp, kBlue, true},
                                        {ColorButton::kEndedCancelled, kBlue, true}};
    EXPECT_EQ(notes, expected);
    EXPECT_EQ(button->Color(), kBlue);
    EXPECT_FALSE(button->IsPaletteOpen());
    EXPECT_EQ(button->Palette(), nullptr);
}

TEST_F(ColorButtonTest, WaysToCloseThePalette) {
    using Script = std::function<void(Popup*)>;
    const int sel = ColorButton::kSelectionChanged, up = ColorButton::kCloseUp;
    const int ok = ColorButton::kEndedAccepted, no = ColorButton::kEndedCancelled;
    const int drop = ColorButton::kDropDown;
    struct Case {
        const char* name;
        bool track;
        Script script;
        uint32_t color;
        std::vector<int> codes;
    } cases[] = {
        {"release on the default box",
         false,
         [](Popup* p) { QTest::mouseClick(p, Qt::LeftButton, {}, Centre(p, -3)); },
         0,
         {drop, sel, up, ok}},
        {"release on Red",
         false,
         [](Popup* p) { QTest::mouseClick(p, Qt::LeftButton, {}, Centre(p, 16)); },
         kRed,
         {drop, sel, up, ok}},
        {"release on the old colour",
         false,
         [](Popup* p) { QTest::mouseClick(p, Qt::LeftButton, {}, Centre(p, 13)); },
         kBlue,
         {drop, up, ok}},
        {"release outside",
         true,
         [](Popup* p) { QTest::mouseRelease(p, Qt::LeftButton, {}, QPoint(-10, 5)); },
         kBlue,
         {drop, up, no}},
        {"press outside decides nothing",
         false,
         [](Popup* p) {
             QTest::mousePress(p, Qt::LeftButton, {}, QPoint(-10, 5));
             EXPECT_NE(p->isVisible(), false);
             QTest::mouseRelease(p, Qt::LeftButton, {}, Centre(p, 16));
         },
         kRed,
         {drop, sel, up, ok}},
        {"right button after a hover",
         true,
         [](Popup* p) {
             MoveMouse(p, Centre(p, 16));
             QTest::mousePress(p, Qt::RightButton, {}, Centre(p, 16));
         },
         kBlue,
         {drop, sel, sel, up, no}},
        {"Enter with nothing selected",
         false,
         [](Popup* p) { QTest::keyClick(p, Qt::Key_Return); },
         kBlue,
         {drop, up, no}},
        {"keys to Black then Space",
         true,
         [](Popup* p) {
             QTest::keyClick(p, Qt::Key_Right);
             QTest::keyClick(p, Qt::Key_Right);
             QTest::keyClick(p, Qt::Key_Space);
         },
         0,
         {drop, sel, sel, sel, up, ok}},
        {"hidden by the window system", false, [](Popup* p) { p->close(); }, kBlue, {drop, up, no}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        notes.clear();
        button->SetTrackSelection(c.track);
        button->SetDefaultColor(0);
        button->SetColor(kBlue);
        QPointer<Popup> popup = Open();
        ASSERT_TRUE(popup);
        c.script(popup);
        EXPECT_EQ(Codes(), c.codes);
        EXPECT_EQ(button->Color(), c.color);
        EXPECT_FALSE(button->IsPaletteOpen());
        ASSERT_FALSE(notes.empty());
        EXPECT_EQ(notes.back().color, c.color);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(popup);
    }
}

TEST_F(ColorButtonTest, CustomBoxAsksForAColour) {
    const int sel = ColorButton::kSelectionChanged, up = ColorButton::kCloseUp;
    struct Case {
        std::optional<QColor> answer;
        uint32_t color;
        std::vector<int> codes;
    } cases[] = {
        {QColor(10, 20, 30),
         0x1E140Au,
         {ColorButton::kDropDown, sel, sel, up, ColorButton::kEndedAccepted}},
        {std::nullopt, kBlue, {ColorButton::kDropDown, sel, sel, up, ColorButton::kEndedCancelled}},
    };
    for (const Case& c : cases) {
        notes.clear();
        button->SetTrackSelection(true);
        button->SetDefaultColor(kRed);
        button->SetColor(kBlue);
        fake.colors = {c.answer};
        Popup* popup = Open();
        ASSERT_NE(popup, nullptr);
        QTest::mouseClick(popup, Qt::LeftButton, {}, Centre(popup, -2));
        EXPECT_TRUE(fake.colors.empty());  // the dialog was asked
        EXPECT_EQ(Codes(), c.codes);
        ASSERT_GE(notes.size(), 2u);
        EXPECT_EQ(notes[1].color, kRed);  // hovering the box shows the default colour
        EXPECT_EQ(button->Color(), c.color);
    }
}

TEST_F(ColorButtonTest, OpensInsideTheScreen) {
    const QRect area(0, 0, 800, 600);
    const QSize size(150, 130);
    struct Case {
        QRect button;
        QPoint at;
    } cases[] = {{{10, 10, 60, 24}, {10, 34}},     {{780, 10, 60, 24}, {650, 34}},
                 {{-20, 10, 60, 24}, {0, 34}},     {{10, 550, 60, 24}, {10, 420}},
                 {{780, 550, 60, 24}, {650, 420}}, {{10, 446, 60, 24}, {10, 470}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.button.x() << "," << c.button.y());
        EXPECT_EQ(Popup::Placement(c.button, size, area), c.at);
    }
    EXPECT_EQ(Popup::Placement({790, 590, 60, 24}, size, QRect()), QPoint(790, 614));

    // On the real (offscreen) screen, near its bottom.
    const QRect screen = button->screen()->availableGeometry();
    host_->move(screen.left() + 20, screen.bottom() - host_->height() + 1);
    button->move(10, host_->height() - 30);
    Popup* popup = Open();
    ASSERT_NE(popup, nullptr);
    const QPoint buttonTop = button->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(popup->geometry().bottom() + 1, buttonTop.y());
    EXPECT_EQ(popup->x(), buttonTop.x());
    EXPECT_EQ(popup->objectName(), "ColorPicker");
    QTest::keyClick(popup, Qt::Key_Escape);
}

TEST_F(ColorButtonTest, PaintsCellsAndTooltips) {
    button->SetColor(kRed);
    Popup* popup = Open();
    ASSERT_NE(popup, nullptr);
    MoveMouse(popup, Centre(popup, 13));  // Blue selected, Red current
    const QPalette pal = popup->palette();
    const QColor menu = pal.color(QPalette::Window), hi = pal.color(QPalette::Highlight);
    const QColor blend((hi.red() * 48 + menu.red() * 207) / 256,
                       (hi.green() * 48 + menu.green() * 207) / 256,
                       (hi.blue() * 48 + menu.blue() * 207) / 256);
    const QImage image = Render(popup);
    auto at = [&](int cell, int dx, int dy) {
        return image.pixelColor(popup->CellRect(cell).topLeft() + QPoint(dx, dy)).rgb();
    };
    struct Case {
        int cell, dx, dy;
        QColor color;
    } cases[] = {{13, 0, 0, hi},       {13, 1, 1, hi},   {13, 2, 2, pal.color(QPalette::Dark)},
                 {13, 9, 9, Qt::blue}, {16, 0, 0, hi},   {16, 1, 1, blend},
                 {16, 9, 9, Qt::red},  {0, 1, 1, menu},  {0, 2, 2, pal.color(QPalette::Dark)},
                 {-3, 1, 1, menu},     {-3, 4, 4, menu}, {-2, 1, 1, menu}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cell << " +" << c.dx);
        EXPECT_EQ(at(c.cell, c.dx, c.dy), c.color.rgb());
    }

    EXPECT_EQ(popup->ToolTipAt(Centre(popup, 16)), "Red");
    EXPECT_EQ(popup->ToolTipAt(Centre(popup, 35)), "Pale green ");
    EXPECT_TRUE(popup->ToolTipAt(Centre(popup, -3)).isEmpty());
    QHelpEvent help(QEvent::ToolTip, Centre(popup, 39), popup->mapToGlobal(Centre(popup, 39)));
    QApplication::sendEvent(popup, &help);
    EXPECT_EQ(QToolTip::text(), "White");
    QToolTip::hideText();
    QTest::keyClick(popup, Qt::Key_Escape);
}

TEST_F(ColorButtonTest, PaintsTheSwatch) {
    const QColor face(225, 225, 225);
    struct Case {
        bool enabled;
        uint32_t color;
        QColor swatch, arrow;
    } cases[] = {{true, kRed, Qt::red, Qt::black},
                 {true, ColorButton::kAutomatic, Qt::green, Qt::black},
                 {false, kRed, face, button->palette().color(QPalette::Disabled, QPalette::Text)}};
    button->SetDefaultColor(0x00FF00);
    for (const Case& c : cases) {
        button->setEnabled(c.enabled);
        button->SetColor(c.color);
        const QImage image = Render(button);
        EXPECT_EQ(image.pixelColor(1, 20).rgb(), face.rgb());
        EXPECT_EQ(image.pixelColor(24, 12).rgb(), c.swatch.rgb());
        EXPECT_EQ(image.pixelColor(3, 12).rgb(), c.enabled ? QColor(Qt::black).rgb() : face.rgb());
        EXPECT_EQ(image.pixelColor(53, 11).rgb(), c.arrow.rgb());  // arrow, top row
        EXPECT_EQ(image.pixelColor(53, 12).rgb(), face.rgb());     // narrower below
        EXPECT_EQ(image.pixelColor(54, 12).rgb(), c.arrow.rgb());
    }
    button->setEnabled(true);
    Popup* popup = Open();
    ASSERT_NE(popup, nullptr);
    const QImage open = Render(button);  // content moved one pixel right and down
    EXPECT_EQ(open.pixelColor(4, 13).rgb(), QColor(Qt::black).rgb());
    EXPECT_EQ(open.pixelColor(3, 13).rgb(), face.rgb());
    QTest::keyClick(popup, Qt::Key_Escape);
}

TEST_F(ColorButtonTest, OpenOnceAndSurviveTheButton) {
    button->SetTrackSelection(true);
    Popup* popup = Open();
    ASSERT_NE(popup, nullptr);
    button->OpenPalette();
    EXPECT_EQ(button->Palette(), popup);
    EXPECT_EQ(Codes(), std::vector<int>{ColorButton::kDropDown});
    MoveMouse(popup, Centre(popup, 16));
    notes.clear();
    host_.reset();  // the button and its open palette go with the dialog
    EXPECT_TRUE(notes.empty());
}

}  // namespace
