#include "stage/DesignToolbox.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>

#include "controls/ColorButton.h"
#include "controls/ColorPalettePopup.h"
#include "controls/MediaComboBox.h"
#include "draw/RoundState.h"
#include "model/AppData.h"
#include "ui/Notices.h"
#include "ui/UiFont.h"
#include "ui/WidgetUtilities.h"

namespace {
const QString kPictureFilter =
    QStringLiteral("图片文件（jpg;jpeg;png;gif;bmp）|*.jpg;*.jpeg;*.png;*.gif;*.bmp||");

// Geometry of the client area. The three bands group the rows: what is shown (background and
// screen), which element, and that element's look.
constexpr int kWidth = 292;
constexpr int kFirstBand = 88;
constexpr int kSecondBand = 46;
constexpr int kLabelLeft = 6;
constexpr int kLabelWidth = 48;
constexpr int kFieldLeft = 58;
constexpr int kFieldRight = kWidth - 10;
constexpr int kRowHeight = 28;
constexpr int kRowTops[5] = {14, 50, 97, 142, 180};
constexpr int kHeight = 222;
constexpr int kBrowseWidth = 34;

const wchar_t* const kElementNames[] = {L"活动主题",      L"活动主题（小）", L"奖项信息",
                                        L"抽奖名单",      L"中奖名单",       L"活动副主题",
                                        L"奖项信息（小）"};

QString ElementName(const AppData& data, int id) {
    if (const DesignSymbol* s = data.FindSymbol(id); s && !s->label.isEmpty()) return s->label;
    if (id >= 0 && id < int(std::size(kElementNames)))
        return QString::fromWCharArray(kElementNames[id]);
    return QString::number(id);
}
}  // namespace

DesignToolbox::DesignToolbox(AppData& data, QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      data_(data),
      owner_(owner) {
    setObjectName(QStringLiteral("DesignToolbox"));
    setWindowTitle(QStringLiteral("设计工具箱"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(kWidth, kHeight);
    for (int i = 0; i < 5; ++i)
        labelRects_[i] = QRect(kLabelLeft, kRowTops[i], kLabelWidth, kRowHeight);
    auto field = [](int row, int right = kFieldRight) {
        return QRect(kFieldLeft, kRowTops[row], right - kFieldLeft, kRowHeight);
    };

    backgroundBox_ = new MediaComboBox(data_.BackgroundList(), this);
    backgroundBox_->setGeometry(field(0, kFieldRight - kBrowseWidth - 4));
    backgroundBox_->Fill(data_.BackgroundList().Index());
    connect(backgroundBox_, &MediaComboBox::Picked, this, [this] { Notify(1); });
    browseButton_ = new QPushButton(QStringLiteral("..."), this);
    browseButton_->setGeometry(kFieldRight - kBrowseWidth, kRowTops[0], kBrowseWidth, kRowHeight);
    browseButton_->setAutoDefault(false);
    connect(browseButton_, &QPushButton::clicked, this, [this] {
        if (backgroundBox_->ChooseFile(this, kPictureFilter)) Notify(1);
    });

    screenBox_ = new QComboBox(this);
    screenBox_->setGeometry(field(1));
    screenBox_->addItems(ScreenNames());
    {
        const QSignalBlocker quiet(screenBox_);
        const int frame = data_.LastFrame();
        screenBox_->setCurrentIndex(frame >= 0 && frame < kScreenCount ? frame : 0);
    }
    data_.SetLastFrame(screenBox_->currentIndex());
    connect(screenBox_, &QComboBox::currentIndexChanged, this, &DesignToolbox::PickScreen);

    elementBox_ = new QComboBox(this);
    elementBox_->setGeometry(field(2));
    FillElements();
    connect(elementBox_, &QComboBox::currentIndexChanged, this, [this] {
        ShowElementLook();
        Notify(0);
    });

    fontBox_ = new QComboBox(this);
    fontBox_->setGeometry(field(3));
    fontBox_->setMaxVisibleItems(16);
    fontBox_->addItems(FontFamilies());
    connect(fontBox_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) ApplyFont(fontBox_->itemText(index));
    });
    connect(fontBox_, &QComboBox::highlighted, this, &DesignToolbox::PreviewFont);
    // Closing the list puts back the font the box shows, undoing a preview that was not
    // picked; the popup container has no signal of its own for that.
    fontBox_->view()->parentWidget()->installEventFilter(this);

    colorButton_ = new ColorButton(this);
    colorButton_->setGeometry(field(4));
    colorButton_->SetDefaultColor(0);
    colorButton_->SetDefaultText(QStringLiteral("默认颜色"));
    colorButton_->SetCustomText(QStringLiteral("更多..."));
    colorButton_->SetTrackSelection(true);
    connect(colorButton_, &ColorButton::notify, this, &DesignToolbox::OnColorNotice);

    // Controls sit on white, whatever band is behind them.
    for (QWidget* w : std::initializer_list<QWidget*>{backgroundBox_, browseButton_, screenBox_,
                                                      elementBox_, fontBox_}) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Window, Qt::white);
        w->setPalette(pal);
    }

    ShowElementLook();
    SetFontOnAll(this, TheUiFont().Font());
    Notify(0);
}

QStringList DesignToolbox::ScreenNames() {
    return {QStringLiteral("欢迎界面"), QStringLiteral("奖项界面"), QStringLiteral("抽奖界面"),
            QStringLiteral("中奖界面")};
}

std::vector<int> DesignToolbox::ElementsOfScreen(int screen) {
    using namespace DesignElement;
    switch (screen) {
        case RoundState::kWelcome:
            return {Title};
        case RoundState::kPrize:
            return {SmallTitle, PrizeInfo};
        case RoundState::kRolling:
            return {SmallTitle, SmallPrizeInfo, RollingNames};
        case RoundState::kWinners:
            return {SmallTitle, SmallPrizeInfo, WinnerNames};
        default:
            return {};
    }
}

QStringList DesignToolbox::FontFamilies() {
    QStringList families;
    for (const QString& f : QFontDatabase::families())
        if (!f.startsWith(QLatin1Char('@'))) families.append(f);
    families.removeDuplicates();
    families.sort(Qt::CaseInsensitive);
    return families;
}

void DesignToolbox::Notify(int what) {
    SendNotice(owner_, WM_DESIGN_CHANGED, what);
}

DesignSymbol* DesignToolbox::Selected() const {
    const int id = SelectedElement();
    return id < 0 ? nullptr : data_.FindSymbol(id);
}

int DesignToolbox::SelectedElement() const {
    const QVariant v = elementBox_->currentData();
    return v.isValid() ? v.toInt() : -1;
}

std::vector<int> DesignToolbox::OfferedElements() const {
    std::vector<int> ids;
    for (int i = 0; i < elementBox_->count(); ++i) ids.push_back(elementBox_->itemData(i).toInt());
    return ids;
}

void DesignToolbox::FillElements() {
    const QSignalBlocker quiet(elementBox_);
    elementBox_->clear();
    for (int id : ElementsOfScreen(screenBox_->currentIndex()))
        elementBox_->addItem(ElementName(data_, id), id);
    elementBox_->setCurrentIndex(elementBox_->count() - 1);
}

void DesignToolbox::ShowElementLook() {
    const DesignSymbol* s = Selected();
    shownFont_ = s ? s->FontName : QString();
    {
        const QSignalBlocker quiet(fontBox_);
        const int at = fontBox_->findText(shownFont_, Qt::MatchFixedString);
        fontBox_->setCurrentIndex(at);
        // A family that is not installed here is still the element's: show its name.
        fontBox_->setPlaceholderText(at < 0 ? shownFont_ : QString());
        if (at >= 0) shownFont_ = fontBox_->itemText(at);
    }
    if (s) {
        const QSignalBlocker quiet(colorButton_);
        colorButton_->SetColor(s->Color);
    }
}

void DesignToolbox::PickScreen(int screen) {
    if (screen < 0) return;
    data_.SetLastFrame(screen);
    FillElements();
    ShowElementLook();
    Notify(2);
}

void DesignToolbox::SelectElement(int id) {
    if (id == SelectedElement()) return;
    const int at = elementBox_->findData(id);
    if (at < 0) return;
    {
        const QSignalBlocker quiet(elementBox_);
        elementBox_->setCurrentIndex(at);
    }
    ShowElementLook();
    Notify(0);
}

void DesignToolbox::ApplyFont(const QString& family) {
    DesignSymbol* s = Selected();
    if (!s || family.isEmpty()) return;
    shownFont_ = family;
    // The rolling and the winning names always share one font.
    using namespace DesignElement;
    const int partner = s->Id == RollingNames  ? WinnerNames
                        : s->Id == WinnerNames ? RollingNames
                                               : -1;
    for (int id : {int(s->Id), partner}) {
        DesignSymbol* target = data_.FindSymbol(id);
        if (!target) continue;
        if (target->FontName != family) target->fontSize = -1;  // refit for the new face
        target->FontName = family;
    }
    Notify(0);
}

void DesignToolbox::PreviewFont(int index) {
    DesignSymbol* s = Selected();
    const QString family = fontBox_->itemText(index);
    if (!s || family.isEmpty()) return;
    if (family.compare(s->FontName, Qt::CaseInsensitive) == 0) return;
    const QString shown = shownFont_;
    ApplyFont(family);
    shownFont_ = shown;  // only a preview until it is picked
}

bool DesignToolbox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Hide && watched == fontBox_->view()->parentWidget()) {
        // Queued: a pick from the list arrives just after the list has closed.
        QMetaObject::invokeMethod(
            this,
            [this] {
                const DesignSymbol* s = Selected();
                if (s && !shownFont_.isEmpty() && s->FontName != shownFont_) ApplyFont(shownFont_);
            },
            Qt::QueuedConnection);
    }
    return QDialog::eventFilter(watched, event);
}

void DesignToolbox::OnColorNotice(int code, uint32_t colorRef, bool valid) {
    if (code != ColorButton::kSelectionChanged || !valid) return;
    DesignSymbol* s = Selected();
    if (!s) return;
    const uint32_t color = colorRef == ColorButton::kAutomatic ? 0u : (colorRef & 0x00FFFFFFu);
    if (s->Color == color) return;
    s->Color = color;
    Notify(0);
}

void DesignToolbox::reject() {
    if (auto* window = qobject_cast<QDialog*>(owner_))
        window->reject();
    else
        QDialog::reject();
}

void DesignToolbox::closeEvent(QCloseEvent* event) {
    // The toolbox lives as long as the design window; Esc leaves both.
    event->ignore();
}

void DesignToolbox::RenderBands() {
    if (buffer_.size() != size()) buffer_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    QPainter p(&buffer_);
    const int w = width();
    p.fillRect(QRect(0, 0, w, kFirstBand), QColor::fromRgba(0xFFA8A8A8));
    p.fillRect(QRect(0, kFirstBand, w, kSecondBand), QColor::fromRgba(0xFFF0F0F0));
    p.fillRect(QRect(0, kFirstBand + kSecondBand, w, height() - kFirstBand - kSecondBand),
               Qt::white);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont f = TheUiFont().Font();
    f.setPointSize(10);
    f.setBold(false);
    p.setFont(f);
    p.setPen(Qt::black);
    const QString texts[5] = {QStringLiteral("背景"), QStringLiteral("界面"),
                              QStringLiteral("元素"), QStringLiteral("字体"),
                              QStringLiteral("颜色")};
    for (int i = 0; i < 5; ++i) p.drawText(labelRects_[i], Qt::AlignCenter, texts[i]);
}

void DesignToolbox::paintEvent(QPaintEvent* event) {
    RenderBands();
    QPainter p(this);
    p.drawImage(event->rect(), buffer_, event->rect());
}
