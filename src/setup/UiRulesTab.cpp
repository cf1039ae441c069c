#include "setup/UiRulesTab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>

#include "controls/MediaComboBox.h"
#include "controls/ScreenComboBox.h"
#include "model/AppData.h"
#include "stage/DesignMode.h"
#include "ui/Ui.h"
#include "ui/UiFont.h"
#include "ui/WidgetUtilities.h"

namespace {
const QString kPictureFilter =
    QStringLiteral("图片文件（jpg;jpeg;png;gif;bmp）|*.jpg;*.jpeg;*.png;*.gif;*.bmp||");
const QString kMusicFilter = QStringLiteral("MP3文件(*.mp3)|*.mp3||");
constexpr int kMaxText = 1023;
constexpr QRgb kBandColor = 0xFFF0F0F0;
constexpr QRgb kBorderColor = 0xFFC0C0C0;
// Drop-down lists are as tall as the buttons beside them.
constexpr int kListHeight = 28;

// Rectangles are given as left, top, right, bottom, as the page's geometry is described.
QRect Edges(int left, int top, int right, int bottom) {
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

QFont PageFont(int points) {
    QFont f = TheUiFont().Font();
    f.setPointSize(points);
    f.setBold(false);
    return f;
}
}  // namespace

QStringList UiRulesTab::DrawKeyItems() {
    return {QStringLiteral("编号"), QStringLiteral("姓名"),
            QStringLiteral("%1 + %2").arg(QStringLiteral("姓名"), QStringLiteral("部门")),
            QStringLiteral("手机")};
}

UiRulesTab::UiRulesTab(AppData& data, QWidget* parent) : QWidget(parent), data_(data) {
    setObjectName(QStringLiteral("VT_TAB_UI"));
    // The page paints every pixel of itself.
    setAttribute(Qt::WA_OpaquePaintEvent);

    titleBox_ = new QLineEdit(this);
    titleBox_->setFrame(false);
    titleBox_->setText(data_.Title());
    connect(titleBox_, &QLineEdit::textChanged, this,
            [this](const QString& text) { data_.SetTitle(text.left(kMaxText)); });

    backgroundBox_ = new MediaComboBox(data_.BackgroundList(), this);
    backgroundBox_->Fill(data_.BackgroundList().Index());
    backgroundButton_ = new QPushButton(QStringLiteral("选择..."), this);
    connect(backgroundButton_, &QPushButton::clicked, this,
            [this] { backgroundBox_->ChooseFile(this, kPictureFilter); });

    musicBox_ = new MediaComboBox(data_.MusicList(), this);
    musicBox_->Fill(data_.MusicList().Index());
    musicButton_ = new QPushButton(QStringLiteral("选择..."), this);
    connect(musicButton_, &QPushButton::clicked, this,
            [this] { musicBox_->ChooseFile(this, kMusicFilter); });

    designButton_ = new QPushButton(QStringLiteral("字体和颜色"), this);
    connect(designButton_, &QPushButton::clicked, this, &UiRulesTab::OpenDesignMode);
    restoreButton_ = new QPushButton(QStringLiteral("恢复默认"), this);
    connect(restoreButton_, &QPushButton::clicked, this, &UiRulesTab::RestoreDefaults);

    drawKeyBox_ = new QComboBox(this);
    {
        // The selection made here is the program's, not the operator's.
        const QSignalBlocker quiet(drawKeyBox_);
        drawKeyBox_->addItems(DrawKeyItems());
        const int type = data_.FieldType();
        if (type >= 0 && type < drawKeyBox_->count()) {
            drawKeyBox_->setCurrentIndex(type);
        } else {
            drawKeyBox_->setCurrentIndex(1);
            data_.SetFieldType(1, false);
        }
    }
    connect(drawKeyBox_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) data_.SetFieldType(index, true);
    });

    repeatBox_ = new QCheckBox(this);
    repeatBox_->setChecked(data_.AllowRepeat());
    connect(repeatBox_, &QCheckBox::clicked, this,
            [this](bool checked) { data_.SetAllowRepeat(checked); });

    screenBox_ = new ScreenComboBox(data_, this);
    presenterBox_ = new QCheckBox(QStringLiteral("允许翻页笔控制"), this);
    presenterBox_->setToolTip(QStringLiteral("Page Down、向右键和向下键与空格键一样进入下一步"));
    presenterBox_->setChecked(data_.PresenterKeys());
    connect(presenterBox_, &QCheckBox::clicked, this,
            [this](bool checked) { data_.SetPresenterKeys(checked); });

    for (QPushButton* b : {backgroundButton_, musicButton_, designButton_, restoreButton_})
        b->setAutoDefault(false);
    SetFontOnAll(this, TheUiFont().Font());
    PlaceControls();
}

void UiRulesTab::SelectDrawKey(int n) {
    if (n < 0 || n >= drawKeyBox_->count()) return;
    const QSignalBlocker quiet(drawKeyBox_);
    drawKeyBox_->setCurrentIndex(n);
}

QString UiRulesTab::DrawKeyLabel() const {
    return drawKeyBox_->currentText().left(kMaxText);
}

void UiRulesTab::PlaceControls() {
    const int w = width();
    titleBox_->setGeometry(Edges(125, 52, w - 11, 76));
    backgroundBox_->setGeometry(Edges(122, 86, w - 68, 86 + kListHeight));
    backgroundButton_->setGeometry(Edges(w - 67, 85, w - 9, 114));
    musicBox_->setGeometry(Edges(122, 122, w - 68, 122 + kListHeight));
    musicButton_->setGeometry(Edges(w - 67, 121, w - 9, 150));
    designButton_->setGeometry(Edges(w - 251, 160, w - 131, 190));
    restoreButton_->setGeometry(Edges(w - 128, 160, w - 8, 190));
    drawKeyBox_->setGeometry(Edges(122, 279, w - 8, 279 + kListHeight));
    repeatBox_->setGeometry(Edges(122, 317, 140, 347));
    screenBox_->setGeometry(Edges(122, 198, w - 8, 198 + kListHeight));
    presenterBox_->setGeometry(Edges(122, 352, w - 8, 382));
}

void UiRulesTab::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceControls();
}

void UiRulesTab::RenderPage() {
    const int w = width();
    if (buffer_.size() != size()) buffer_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    buffer_.fill(Qt::white);
    QPainter p(&buffer_);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QFont heading = PageFont(11);
    for (const auto& [text, top] :
         {std::pair{QStringLiteral("界面"), 8}, std::pair{QStringLiteral("规则"), 241}}) {
        const QRect band = Edges(8, top, w - 8, top + 30);
        p.fillRect(band, QColor::fromRgba(kBandColor));
        p.setFont(heading);
        p.setPen(Qt::black);
        p.drawText(band.adjusted(3, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
    }

    p.setFont(PageFont(10));
    p.setPen(Qt::black);
    const std::pair<QString, int> labels[] = {
        {QStringLiteral("标题"), 46},          {QStringLiteral("背景"), 84},
        {QStringLiteral("音乐"), 122},         {QStringLiteral("抽奖信息"), 279},
        {QStringLiteral("允许重复中奖"), 317}, {QStringLiteral("放映屏幕"), 197},
        {QStringLiteral("翻页笔"), 352},
    };
    for (const auto& [text, top] : labels)
        p.drawText(Edges(32, top, 122, top + 30), Qt::AlignLeft | Qt::AlignVCenter, text);

    // The title box has no frame of its own; this rectangle is its border.
    p.setPen(QColor::fromRgba(kBorderColor));
    p.setBrush(Qt::NoBrush);
    // Drawn on the cell's edges (both ends included), so the box sits wholly inside it.
    p.drawRect(QRect(122, 46, w - 8 - 122, 76 - 46));
}

void UiRulesTab::paintEvent(QPaintEvent* event) {
    RenderPage();
    QPainter p(this);
    p.drawImage(event->rect(), buffer_, event->rect());
}

void UiRulesTab::OpenDesignMode() {
    RunDesignMode(data_, window());
    // Design mode may have picked another background.
    backgroundBox_->Fill(data_.BackgroundList().Index());
}

void UiRulesTab::RestoreDefaults() {
    if (Ui::Tell(this, QStringLiteral("确认要恢复界面的默认设置吗"), Ui::Icon::Question,
                 Ui::Buttons::OkCancel) != Ui::Answer::Ok)
        return;
    data_.RebuildDefaultSymbols();
    data_.BackgroundList().SetIndex(0);
    backgroundBox_->Fill(0);
    data_.MusicList().SetIndex(0);
    musicBox_->Fill(0);
    Ui::Tell(this, QStringLiteral("界面已恢复默认设置"), Ui::Icon::Information);
}
