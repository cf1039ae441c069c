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
using Script = std::function<void(Popup*)>;
constexpr uint32_t kRed = 0x0000FF, kBlue = 0xFF0000, kOdd = 0x123456;  // kOdd: in no cell
constexpr int kSel = ColorButton::kSelectionChanged, kDrop = ColorButton::kDropDown;
constexpr int kUp = ColorButton::kCloseUp, kOk = ColorButton::kEndedAccepted;
constexpr int kNo = ColorButton::kEndedCancelled;

struct Note {
    int code;
    uint32_t color;
    bool valid;
    bool operator==(const Note&) const = default;
};

// Showing a popup on the offscreen platform warns about raising and keyboard grabs it cannot do.
QtMessageHandler previousHandler = nullptr;
void DropPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith("This plugin does not support")) return;
    if (previousHandler) previousHandler(type, context, text);
}

// QTest turns a move without buttons into a cursor move, which the offscreen platform does not
// deliver; send the event itself.
void MoveMouse(QWidget* w, QPoint pos) {
    QMouseEvent e(QEvent::MouseMove, pos, w->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

QPoint Centre(Popup* p, int cell) {
    return p->CellRect(cell).center();
}

QImage Render(QWidget* w) {
    QImage image(w->size(), QImage::Format_ARGB32);
    w->render(&image);
    return image;
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

    void SetTexts(bool withDefault, bool withCustom) {
        button->SetDefaultText(withDefault ? "Automatic" : "");
        button->SetCustomText(withCustom ? "More Colors..." : "");
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

    FakeUi fake;
    std::unique_ptr<QWidget> host_;
    ColorButton* button = nullptr;
    std::vector<Note> notes;
};

TEST_F(ColorButtonTest, TableAndColourReferences) {
    EXPECT_EQ(ColorButton::ToQColor(kRed), QColor(255, 0, 0));
    EXPECT_EQ(ColorButton::FromQColor(QColor(0x12, 0x34, 0x56)), 0x563412u);
    EXPECT_FALSE(ColorButton::ToQColor(ColorButton::kAutomatic).isValid());
    EXPECT_EQ(ColorButton::FromQColor(QColor()), ColorButton::kAutomatic);
    EXPECT_EQ(PaletteColors::Color(9), 0x2068FFu);  // Orange 255,104,32
    EXPECT_EQ(PaletteColors::Name(35), "Pale green ");
    EXPECT_EQ(PaletteColors::IndexOf(0xFFFFFF), 39);
    EXPECT_EQ(button->DefaultText(), "Automatic");
    EXPECT_EQ(button->CustomText(), "More Colors...");
}

// Boxes and the current cell follow the texts and the colour.
TEST_F(ColorButtonTest, LayoutAndCurrentCell) {
    struct Case {
        bool withDefault, withCustom;
        uint32_t color;
        int current;
    } cases[] = {{true, true, ColorButton::kAutomatic, -3},
                 {false, true, ColorButton::kAutomatic, -2},
                 {false, false, ColorButton::kAutomatic, -1},
                 {true, true, kRed, 16},
                 {true, true, 0, 0},
                 {true, true, kOdd, -2},
                 {true, false, kOdd, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.withDefault << c.withCustom << " " << c.color);
        SetTexts(c.withDefault, c.withCustom);
        button->SetColor(c.color);
        Popup popup(*button);
        const QRect d = popup.DefaultBoxRect(), g = popup.GridRect(), k = popup.CustomBoxRect();
        const int e = Popup::kEdge;
        EXPECT_EQ(popup.CurrentCell(), c.current);
        EXPECT_EQ(popup.SelectedCell(), -1);
        EXPECT_EQ(d.isEmpty(), !c.withDefault);
        EXPECT_EQ(k.isEmpty(), !c.withCustom);
        EXPECT_EQ(QRect(e, e + d.height(), 144, 90), g);
        EXPECT_EQ(k.top(), g.top() + 90);
        EXPECT_EQ(popup.size(), QSize(144 + 2 * e, d.height() + 90 + k.height() + 2 * e));
    }
    button->SetDefaultText("A default colour text far wider than the grid of colours");
    Popup wide(*button);
    EXPECT_GT(wide.width(), 144 + 2 * Popup::kEdge);
    EXPECT_EQ(wide.GridRect().left() - Popup::kEdge, (wide.DefaultBoxRect().width() - 144) / 2);
    EXPECT_EQ(wide.CustomBoxRect().width(), wide.DefaultBoxRect().width());
}

TEST_F(ColorButtonTest, HitTestAtCellBorders) {
    Popup popup(*button);
    const QPoint g = popup.GridRect().topLeft();
    const int cases[][3] = {{0, 0, 0},     {17, 17, 0},   {18, 0, 1},   {17, 18, 8},
                            {143, 89, 39}, {125, 89, 38}, {0, -1, -3},  {143, 90, -2},
                            {144, 0, -1},  {-1, 0, -1},   {-2, -2, -1}, {0, 90 + 40, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c[0] << "," << c[1]);
        EXPECT_EQ(popup.HitTest(g + QPoint(c[0], c[1])), c[2]);
    }
}

TEST_F(ColorButtonTest, ArrowWalkSkipsMissingBoxes) {
    struct Case {
        bool withDefault, withCustom;
        int start;  // selected with the mouse first; -1 leaves nothing selected
        Qt::Key key;
        std::vector<int> walk;
    } cases[] = {
        {true, true, 39, Qt::Key_Right, {-2, -3, 0, 1}},
        {true, false, 39, Qt::Key_Right, {-3, 0}},
        {false, true, 39, Qt::Key_Right, {-2, 0}},
        {false, false, 39, Qt::Key_Right, {0}},
        {true, true, 0, Qt::Key_Left, {-3, -2, 39, 38}},
        {false, true, 0, Qt::Key_Left, {-2, 39}},
        {true, false, 0, Qt::Key_Left, {-3, 39}},
        {true, true, 35, Qt::Key_Down, {-2, -3, 0, 8}},
        {true, true, 3, Qt::Key_Up, {-3, -2, 39, 31}},
        {true, true, -1, Qt::Key_Right, {-3, 0}},
        {true, true, -1, Qt::Key_Left, {-2, 39}},
        {true, false, -1, Qt::Key_Left, {39}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.withDefault << c.withCustom << " from " << c.start);
        SetTexts(c.withDefault, c.withCustom);
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
    MoveMouse(popup, Centre(popup, 16));
    EXPECT_EQ(button->Color(), kRed);
    MoveMouse(popup, QPoint(-3, -3));  // off every cell: reported as not valid
    QTest::keyClick(popup, Qt::Key_Escape);
    const std::vector<Note> expected = {{kDrop, kBlue, true}, {kSel, kRed, true},
                                        {kSel, kRed, false},  {kSel, kBlue, true},
                                        {kUp, kBlue, true},   {kNo, kBlue, true}};
    EXPECT_EQ(notes, expected);
    EXPECT_EQ(button->Color(), kBlue);
    EXPECT_FALSE(button->IsPaletteOpen());
}

TEST_F(ColorButtonTest, WaysToCloseThePalette) {
    auto clickOn = [](int cell) {
        return [cell](Popup* p) { QTest::mouseClick(p, Qt::LeftButton, {}, Centre(p, cell)); };
    };
    struct Case {
        const char* name;
        bool track;
        Script script;
        uint32_t color;
        std::vector<int> codes;
    } cases[] = {
        {"default box", false, clickOn(-3), 0, {kDrop, kSel, kUp, kOk}},
        {"Red", false, clickOn(16), kRed, {kDrop, kSel, kUp, kOk}},
        {"the old colour", false, clickOn(13), kBlue, {kDrop, kUp, kOk}},
        {"release outside",
         true,
         [](Popup* p) { QTest::mouseRelease(p, Qt::LeftButton, {}, QPoint(-10, 5)); },
         kBlue,
         {kDrop, kUp, kNo}},
        {"press outside, release on Red",
         false,
         [](Popup* p) {
             QTest::mousePress(p, Qt::LeftButton, {}, QPoint(-10, 5));
             QTest::mouseRelease(p, Qt::LeftButton, {}, Centre(p, 16));
         },
         kRed,
         {kDrop, kSel, kUp, kOk}},
        {"right button after a hover",
         true,
         [](Popup* p) {
             MoveMouse(p, Centre(p, 16));
             QTest::mousePress(p, Qt::RightButton, {}, Centre(p, 16));
         },
         kBlue,
         {kDrop, kSel, kSel, kUp, kNo}},
        {"Enter on nothing",
         false,
         [](Popup* p) { QTest::keyClick(p, Qt::Key_Return); },
         kBlue,
         {kDrop, kUp, kNo}},
        {"keys to Black, Space",
         true,
         [](Popup* p) {
             QTest::keyClick(p, Qt::Key_Right);
             QTest::keyClick(p, Qt::Key_Right);
             QTest::keyClick(p, Qt::Key_Space);
         },
         0,
         {kDrop, kSel, kSel, kSel, kUp, kOk}},
        {"closed by the window system",
         false,
         [](Popup* p) { p->close(); },
         kBlue,
         {kDrop, kUp, kNo}},
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
        EXPECT_EQ(notes.back().color, c.color);
        EXPECT_FALSE(button->IsPaletteOpen());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(popup);
    }
}

TEST_F(ColorButtonTest, CustomBoxAsksForAColour) {
    struct Case {
        std::optional<QColor> answer;
        uint32_t color;
        int final;
    } cases[] = {{QColor(10, 20, 30), 0x1E140Au, kOk}, {std::nullopt, kBlue, kNo}};
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
        EXPECT_EQ(Codes(), (std::vector<int>{kDrop, kSel, kSel, kUp, c.final}));
        EXPECT_EQ(notes[1].color, kRed);  // hovering the box shows the default colour
        EXPECT_EQ(button->Color(), c.color);
    }
}

TEST_F(ColorButtonTest, OpensInsideTheScreen) {
    const QRect area(0, 0, 800, 600);
    const QRect cases[][2] = {
        {{10, 10, 60, 24}, {10, 34, 0, 0}},   {{780, 10, 60, 24}, {650, 34, 0, 0}},
        {{-20, 10, 60, 24}, {0, 34, 0, 0}},   {{10, 550, 60, 24}, {10, 420, 0, 0}},
        {{10, 446, 60, 24}, {10, 470, 0, 0}}, {{780, 550, 60, 24}, {650, 420, 0, 0}}};
    for (const auto& c : cases)
        EXPECT_EQ(Popup::Placement(c[0], QSize(150, 130), area), c[1].topLeft()) << c[0].x();

    // On the offscreen platform's screen, near its bottom.
    const QRect screen = button->screen()->availableGeometry();
    host_->move(screen.left() + 20, screen.bottom() - host_->height() + 1);
    button->move(10, host_->height() - 30);
    Popup* popup = Open();
    ASSERT_NE(popup, nullptr);
    const QPoint buttonTop = button->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(popup->geometry().bottom() + 1, buttonTop.y());
    EXPECT_EQ(popup->x(), buttonTop.x());
    EXPECT_EQ(popup->objectName(), "ColorPicker");
}

TEST_F(ColorButtonTest, PaintsCellsAndTooltips) {
    button->SetColor(kRed);
    Popup* popup = Open();
    ASSERT_NE(popup, nullptr);
    MoveMouse(popup, Centre(popup, 13));  // Blue selected, Red current
    const QPalette pal = popup->palette();
    const QColor menu = pal.color(QPalette::Window), hi = pal.color(QPalette::Highlight);
    const QColor dark = pal.color(QPalette::Dark);
    auto mix = [](int h, int m) { return (h * 48 + m * 207) / 256; };
    const QColor blend(mix(hi.red(), menu.red()), mix(hi.green(), menu.green()),
                       mix(hi.blue(), menu.blue()));
    const QImage image = Render(popup);
    const struct {
        int cell, offset;
        QColor color;
    } cases[] = {{13, 0, hi},    {13, 1, hi},      {13, 2, dark}, {13, 9, Qt::blue}, {16, 0, hi},
                 {16, 1, blend}, {16, 9, Qt::red}, {0, 1, menu},  {0, 2, dark},      {-3, 4, menu}};
    for (const auto& c : cases) {
        const QPoint at = popup->CellRect(c.cell).topLeft() + QPoint(c.offset, c.offset);
        EXPECT_EQ(image.pixelColor(at).rgb(), c.color.rgb()) << c.cell << " +" << c.offset;
    }

    EXPECT_EQ(popup->ToolTipAt(Centre(popup, 35)), "Pale green ");
    EXPECT_TRUE(popup->ToolTipAt(Centre(popup, -3)).isEmpty());
    QHelpEvent help(QEvent::ToolTip, Centre(popup, 39), popup->mapToGlobal(Centre(popup, 39)));
    QApplication::sendEvent(popup, &help);
    EXPECT_EQ(QToolTip::text(), "White");
    QToolTip::hideText();
}

TEST_F(ColorButtonTest, PaintsTheSwatch) {
    const QRgb face = qRgb(225, 225, 225), black = qRgb(0, 0, 0);
    const QRgb grey = button->palette().color(QPalette::Disabled, QPalette::Text).rgb();
    const struct {
        bool enabled;
        uint32_t color;
        QRgb swatch, frame, arrow;
    } cases[] = {{true, kRed, qRgb(255, 0, 0), black, black},
                 {true, ColorButton::kAutomatic, qRgb(0, 255, 0), black, black},
                 {false, kRed, face, face, grey}};
    button->SetDefaultColor(0x00FF00);
    for (const auto& c : cases) {
        button->setEnabled(c.enabled);
        button->SetColor(c.color);
        const QImage image = Render(button);
        EXPECT_EQ(image.pixel(1, 20), face);
        EXPECT_EQ(image.pixel(24, 12), c.swatch);
        EXPECT_EQ(image.pixel(3, 12), c.frame);
        EXPECT_EQ(image.pixel(53, 11), c.arrow);  // 4 px wide on top, 2 px below
        EXPECT_EQ(image.pixel(53, 12), face);
        EXPECT_EQ(image.pixel(54, 12), c.arrow);
    }
    button->setEnabled(true);
    ASSERT_NE(Open(), nullptr);
    const QImage open = Render(button);  // content one pixel right and down
    EXPECT_EQ(open.pixel(4, 13), black);
    EXPECT_EQ(open.pixel(3, 13), face);
}

}  // namespace
