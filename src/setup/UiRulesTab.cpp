#include "setup/UiRulesTab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>

#include "controls/MediaComboBox.h"
#include "controls/ScreenComboBox.h"
#include "draw/DrawKeyCheck.h"
#include "draw/DrawKeyRules.h"
#include "model/AppData.h"
#include "setup/CheckInPanel.h"
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
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setWidgetResizable(true);
    content_ = new QWidget;
    content_->setObjectName(QStringLiteral("UiRulesContent"));
    // The content paints every pixel of itself.
    content_->setAttribute(Qt::WA_OpaquePaintEvent);
    content_->setMinimumHeight(kContentHeight);
    content_->installEventFilter(this);
    scroll_->setWidget(content_);
    QWidget* const page = content_;
    checkInPanel_ = new CheckInPanel(data_, page);

    titleBox_ = new QLineEdit(page);
    titleBox_->setFrame(false);
    titleBox_->setText(data_.Title());
    connect(titleBox_, &QLineEdit::textChanged, this,
            [this](const QString& text) { data_.SetTitle(text.left(kMaxText)); });

    backgroundBox_ = new MediaComboBox(data_.BackgroundList(), page);
    backgroundBox_->Fill(data_.BackgroundList().Index());
    backgroundButton_ = new QPushButton(QStringLiteral("选择..."), page);
    connect(backgroundButton_, &QPushButton::clicked, this,
            [this] { backgroundBox_->ChooseFile(this, kPictureFilter); });

    musicBox_ = new MediaComboBox(data_.MusicList(), page);
    musicBox_->Fill(data_.MusicList().Index());
    musicButton_ = new QPushButton(QStringLiteral("选择..."), page);
    connect(musicButton_, &QPushButton::clicked, this,
            [this] { musicBox_->ChooseFile(this, kMusicFilter); });

    designButton_ = new QPushButton(QStringLiteral("字体和颜色"), page);
    connect(designButton_, &QPushButton::clicked, this, &UiRulesTab::OpenDesignMode);
    restoreButton_ = new QPushButton(QStringLiteral("恢复默认"), page);
    connect(restoreButton_, &QPushButton::clicked, this, &UiRulesTab::RestoreDefaults);

    drawKeyBox_ = new QComboBox(page);
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
        CheckDrawKey();
    });
    drawKeyWarning_ = new QLabel(page);
    drawKeyWarning_->setObjectName(QStringLiteral("drawKeyWarning"));
    drawKeyWarning_->setWordWrap(true);
    drawKeyWarning_->setStyleSheet(QStringLiteral("color: #c00000;"));

    repeatBox_ = new QCheckBox(page);
    repeatBox_->setChecked(data_.AllowRepeat());
    connect(repeatBox_, &QCheckBox::clicked, this,
            [this](bool checked) { data_.SetAllowRepeat(checked); });

    screenBox_ = new ScreenComboBox(data_, page);
    presenterBox_ = new QCheckBox(QStringLiteral("允许翻页笔控制"), page);
    presenterBox_->setToolTip(QStringLiteral("Page Down、向右键和向下键与空格键一样进入下一步"));
    presenterBox_->setChecked(data_.PresenterKeys());
    connect(presenterBox_, &QCheckBox::clicked, this,
            [this](bool checked) { data_.SetPresenterKeys(checked); });
    alwaysHelpBox_ = new QCheckBox(QStringLiteral("始终显示操作提示"), page);
    alwaysHelpBox_->setToolTip(
        QStringLiteral("不勾选时，操作提示只在欢迎界面和切换界面后的几秒内显示"));
    alwaysHelpBox_->setChecked(data_.AlwaysShowHelp());
    connect(alwaysHelpBox_, &QCheckBox::clicked, this,
            [this](bool checked) { data_.SetAlwaysShowHelp(checked); });

    stopSoundBox_ = new QCheckBox(page);
    stopSoundBox_->setToolTip(QStringLiteral("滚动的名单停下时，在背景音乐之上播放一声短音效"));
    stopSoundBox_->setChecked(data_.StopSoundEnabled());
    connect(stopSoundBox_, &QCheckBox::clicked, this,
            [this](bool checked) { data_.SetStopSoundEnabled(checked); });
    stopSoundButton_ = new QPushButton(QStringLiteral("选择文件"), page);
    connect(stopSoundButton_, &QPushButton::clicked, this, [this] {
        const QString path =
            Ui::OpenFileName(this, QStringLiteral("音效文件 (*.wav *.ogg *.mp3);;所有文件 (*)"));
        if (path.isEmpty()) return;
        data_.SetStopSoundFile(path);
        data_.SetStopSoundEnabled(true);
        ShowStopSound();
    });
    stopSoundDefault_ = new QPushButton(QStringLiteral("默认"), page);
    connect(stopSoundDefault_, &QPushButton::clicked, this, [this] {
        data_.SetStopSoundFile(QString());
        ShowStopSound();
    });
    ShowStopSound();
    hidePhoneBox_ = new QCheckBox(QStringLiteral("投影时隐藏手机号中间四位"), page);
    hidePhoneBox_->setToolTip(
        QStringLiteral("以手机号抽奖时，放映界面显示为 138****8000；中奖名单和导出保留完整号码"));
    hidePhoneBox_->setChecked(data_.HidePhoneDigits());
    connect(hidePhoneBox_, &QCheckBox::clicked, this,
            [this](bool checked) { data_.SetHidePhoneDigits(checked); });

    for (QPushButton* b : {backgroundButton_, musicButton_, designButton_, restoreButton_,
                           stopSoundButton_, stopSoundDefault_})
        b->setAutoDefault(false);
    SetFontOnAll(this, TheUiFont().Font());
    PlaceControls();
}

void UiRulesTab::ShowStopSound() {
    const QString file = data_.StopSoundFile();
    stopSoundBox_->setText(file.isEmpty()
                               ? QStringLiteral("播放（内置音效）")
                               : QStringLiteral("播放（%1）").arg(QFileInfo(file).fileName()));
    stopSoundBox_->setChecked(data_.StopSoundEnabled());
    stopSoundDefault_->setEnabled(!file.isEmpty());
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
    scroll_->setGeometry(rect());
    const int w = content_->width();
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
    alwaysHelpBox_->setGeometry(Edges(122, 387, w - 8, 417));
    stopSoundBox_->setGeometry(Edges(122, 422, w - 136, 452));
    stopSoundButton_->setGeometry(Edges(w - 131, 422, w - 61, 451));
    stopSoundDefault_->setGeometry(Edges(w - 58, 422, w - 8, 451));
    hidePhoneBox_->setGeometry(Edges(122, 457, w - 8, 487));
    drawKeyWarning_->setGeometry(Edges(122, 490, w - 8, kRulesHeight - 2));
    checkInPanel_->setGeometry(Edges(12, kRulesHeight + 4, w - 8, kContentHeight - 4));
}

void UiRulesTab::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceControls();
}

void UiRulesTab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The candidates may have changed while another page was shown.
    CheckDrawKey();
}

bool UiRulesTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == content_ && event->type() == QEvent::Resize) PlaceControls();
    if (watched == content_ && event->type() == QEvent::Paint) {
        RenderPage();
        QPainter p(content_);
        const QRect area = static_cast<QPaintEvent*>(event)->rect();
        p.drawImage(area, buffer_, area);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QString UiRulesTab::DrawKeyWarningText(const AppData& data, int fieldType, const QString& label) {
    std::vector<QString> keys;
    keys.reserve(data.Candidates().size());
    for (const auto& c : data.Candidates())
        keys.push_back(
            DrawKeyRules::Text(c->NO, c->name, c->department, c->tel, fieldType).trimmed());
    const DrawKeyCheck check(keys);
    QStringList parts;
    // Rows as the candidate page numbers them; a few named, the rest counted.
    constexpr size_t kNamed = 3;
    const auto& repeats = check.Repeats();
    for (size_t g = 0; g < repeats.size() && g < kNamed; ++g) {
        QStringList rows;
        for (size_t i = 0; i < repeats[g].size() && i < 6; ++i)
            rows << QString::number(repeats[g][i] + 1);
        if (repeats[g].size() > 6) rows << QStringLiteral("…");
        parts << QStringLiteral("第 %1 行都是“%2”")
                     .arg(rows.join(QStringLiteral("、")), keys[repeats[g].front()]);
    }
    if (repeats.size() > kNamed)
        parts << QStringLiteral("另有 %1 处重复").arg(repeats.size() - kNamed);
    if (!check.Empties().empty()) {
        QStringList rows;
        for (size_t i = 0; i < check.Empties().size() && i < 6; ++i)
            rows << QString::number(check.Empties()[i] + 1);
        if (check.Empties().size() > 6) rows << QStringLiteral("…");
        parts << QStringLiteral("第 %1 行为空").arg(rows.join(QStringLiteral("、")));
    }
    if (parts.isEmpty()) return QString();
    return QStringLiteral("按“%1”抽奖不行：").arg(label) + parts.join(QStringLiteral("；")) +
           QStringLiteral("。请改用其他抽奖信息，或在抽奖名单中改正。");
}

void UiRulesTab::CheckDrawKey() {
    if (!drawKeyWarning_) return;
    const QString text = DrawKeyWarningText(data_, data_.FieldType(), DrawKeyLabel());
    drawKeyWarning_->setText(text);
    drawKeyWarning_->setToolTip(text);
}

void UiRulesTab::RenderPage() {
    const int w = content_->width();
    const QSize size = content_->size();
    if (buffer_.size() != size) buffer_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
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
        {QStringLiteral("翻页笔"), 352},       {QStringLiteral("操作提示"), 387},
        {QStringLiteral("停止音效"), 422},     {QStringLiteral("手机号"), 457},
    };
    for (const auto& [text, top] : labels)
        p.drawText(Edges(32, top, 122, top + 30), Qt::AlignLeft | Qt::AlignVCenter, text);

    // The title box has no frame of its own; this rectangle is its border.
    p.setPen(QColor::fromRgba(kBorderColor));
    p.setBrush(Qt::NoBrush);
    // Drawn on the cell's edges (both ends included), so the box sits wholly inside it.
    p.drawRect(QRect(122, 46, w - 8 - 122, 76 - 46));
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
