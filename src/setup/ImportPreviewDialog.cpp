#include "setup/ImportPreviewDialog.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "celvex.h"
#include "setup/ImportPreview.h"
#include "setup/UiRulesTab.h"
#include "ui/UiFont.h"
#include "ui/WidgetUtilities.h"

namespace {

const char16_t* const kSlotTitles[ImportPreview::kSlots] = {u"编号", u"姓名", u"部门",
                                                            u"手机", u"分组", u"不参与抽奖"};

QString EncodingName(int encoding) {
    switch (encoding) {
        case CELVEX_ENCODING_UTF8:
            return QStringLiteral("UTF-8");
        case CELVEX_ENCODING_UTF16LE:
            return QStringLiteral("UTF-16LE");
        case CELVEX_ENCODING_UTF16BE:
            return QStringLiteral("UTF-16BE");
        case CELVEX_ENCODING_GB18030:
            return QStringLiteral("GB18030");
        default:
            return QString();
    }
}

QTreeWidget* MakeList(const QStringList& titles, const std::vector<int>& widths, QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setColumnCount(int(titles.size()));
    list->setHeaderLabels(titles);
    for (size_t c = 0; c < widths.size(); ++c) list->setColumnWidth(int(c), widths[c]);
    SetUpReportList(list, QAbstractItemView::SingleSelection, true);
    list->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return list;
}

}  // namespace

QString ImportPreviewDialog::KeyFieldLabel(int field) {
    return UiRulesTab::DrawKeyItems().value(field);
}

ImportPreviewDialog::ImportPreviewDialog(ImportPreview& preview, const QString& fileName,
                                         QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      preview_(preview) {
    setObjectName(QStringLiteral("ImportPreviewDialog"));
    setWindowTitle(QStringLiteral("导入预览"));
    auto* layout = new QVBoxLayout(this);

    auto* file = new QLabel(QStringLiteral("文件：%1").arg(QFileInfo(fileName).fileName()), this);
    file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(file);
    header_ = new QLabel(this);
    header_->setWordWrap(true);
    if (preview_.HasHeader()) {
        QString text = QStringLiteral("表头在第 %1 行。").arg(preview_.HeaderLine());
        if (preview_.RowsAboveHeader() > 0)
            text += QStringLiteral("其上的 %1 行（标题、说明等）不导入。")
                        .arg(preview_.RowsAboveHeader());
        header_->setText(text);
    } else {
        header_->setText(
            QStringLiteral("没有找到表头：按列的顺序导入，第1列为编号，第2列为姓名，"
                           "第3列为部门，第4列为手机。"));
    }
    layout->addWidget(header_);
    const CelvexLibrary::TableOutcome& table = preview_.Source();
    if (table.encoding != CELVEX_ENCODING_NONE) {
        QString text = QStringLiteral("文本编码：%1。").arg(EncodingName(table.encoding));
        if (table.replaced > 0)
            text += QStringLiteral("有 %1 个无法识别的字节，已显示为 \uFFFD。").arg(table.replaced);
        auto* encoding = new QLabel(text, this);
        encoding->setObjectName(QStringLiteral("encoding"));
        encoding->setWordWrap(true);
        layout->addWidget(encoding);
    }

    auto* mapping = new QGroupBox(QStringLiteral("各列对应的文件列"), this);
    auto* grid = new QGridLayout(mapping);
    for (int k = 0; k < ImportPreview::kSlots; ++k) {
        auto* box = new QComboBox(mapping);
        box->addItem(QStringLiteral("（无）"), -1);
        for (const ImportPreview::Choice& choice : preview_.Choices())
            box->addItem(choice.label, choice.column);
        box->setCurrentIndex(std::max(0, box->findData(preview_.Column(k))));
        grid->addWidget(new QLabel(QString::fromUtf16(kSlotTitles[k]), mapping), k / 2,
                        (k % 2) * 2);
        grid->addWidget(box, k / 2, (k % 2) * 2 + 1);
        grid->setColumnStretch((k % 2) * 2 + 1, 1);
        connect(box, &QComboBox::currentIndexChanged, this, [this, k] { ColumnChosen(k); });
        boxes_[size_t(k)] = box;
    }
    layout->addWidget(mapping);

    rows_ = MakeList({QStringLiteral("行"), QStringLiteral("编号"), QStringLiteral("姓名"),
                      QStringLiteral("部门"), QStringLiteral("手机"), QStringLiteral("分组"),
                      QStringLiteral("参与抽奖")},
                     {50, 90, 110, 120, 110, 90, 70}, this);
    layout->addWidget(rows_, 3);
    summary_ = new QLabel(this);
    layout->addWidget(summary_);
    key_ = new QLabel(this);
    key_->setWordWrap(true);
    layout->addWidget(key_);
    flags_ = MakeList({QStringLiteral("行"), QStringLiteral("抽奖依据"), QStringLiteral("问题")},
                      {50, 200, 200}, this);
    layout->addWidget(flags_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    import_ = new QPushButton(QStringLiteral("导入"), this);
    import_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("取消"), this);
    cancel_->setAutoDefault(false);
    buttons->addWidget(import_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    connect(import_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    SetFontOnAll(this, TheUiFont().Font());
    resize(780, 620);
    Refresh();
}

void ImportPreviewDialog::ColumnChosen(int slot) {
    preview_.SetColumn(slot, boxes_[size_t(slot)]->currentData().toInt());
    Refresh();
}

void ImportPreviewDialog::Refresh() {
    const std::vector<ImportPreview::Fields>& rows = preview_.Rows();
    rows_->clear();
    const size_t shown = std::min(rows.size(), size_t(kShownRows));
    QList<QTreeWidgetItem*> items;
    items.reserve(qsizetype(shown));
    for (size_t i = 0; i < shown; ++i) {
        auto* item = new QTreeWidgetItem;
        item->setText(0, QString::number(preview_.Lines()[i]));
        for (int k = 0; k < 4; ++k) item->setText(k + 1, rows[i][size_t(k)]);
        item->setText(5, preview_.Groups()[i]);
        item->setText(6, preview_.Excluded()[i] ? QStringLiteral("否") : QStringLiteral("是"));
        items.append(item);
    }
    rows_->addTopLevelItems(items);

    QString summary =
        QStringLiteral("将导入 %1 行，跳过 %2 个空行。").arg(rows.size()).arg(preview_.EmptyRows());
    const auto left = std::count(preview_.Excluded().begin(), preview_.Excluded().end(), 1);
    if (left > 0) summary += QStringLiteral("其中 %1 人不参与抽奖。").arg(left);
    if (rows.size() > shown) summary += QStringLiteral("上表列出前 %1 行。").arg(shown);
    summary_->setText(summary);

    using Problem = ImportPreview::Problem;
    const QString key = KeyFieldLabel(preview_.KeyField());
    const int empty = preview_.Count(Problem::EmptyKey);
    const int repeated = preview_.Count(Problem::RepeatedInFile);
    const int present = preview_.Count(Problem::AlreadyPresent);
    if (empty + repeated + present == 0) {
        key_->setText(QStringLiteral("抽奖依据“%1”：没有为空或重复的行。").arg(key));
    } else {
        key_->setText(QStringLiteral("抽奖依据“%1”：%2 行为空，%3 行在文件中重复，"
                                     "%4 行与已有名单重复。抽奖前需要改正。")
                          .arg(key)
                          .arg(empty)
                          .arg(repeated)
                          .arg(present));
    }
    flags_->clear();
    QList<QTreeWidgetItem*> flagged;
    const std::vector<ImportPreview::Flag>& flags = preview_.Flags();
    for (size_t i = 0; i < flags.size() && i < size_t(kShownFlags); ++i) {
        const ImportPreview::Flag& flag = flags[i];
        auto* item = new QTreeWidgetItem;
        item->setText(0, QString::number(preview_.Lines()[flag.row]));
        item->setText(1, ImportPreview::KeyText(rows[flag.row], preview_.KeyField()).trimmed());
        switch (flag.problem) {
            case Problem::EmptyKey:
                item->setText(2, QStringLiteral("为空"));
                break;
            case Problem::RepeatedInFile:
                item->setText(2, QStringLiteral("与第 %1 行重复").arg(flag.firstLine));
                break;
            case Problem::AlreadyPresent:
                item->setText(2, QStringLiteral("与已有名单重复"));
                break;
        }
        flagged.append(item);
    }
    flags_->addTopLevelItems(flagged);
    flags_->setVisible(!flags.empty());
}
