#include "setup/CandidateListTab.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QTreeView>

#include <algorithm>
#include <memory>

#include "celvex.h"
#include "draw/DrawKeyRules.h"
#include "draw/ListReplacement.h"
#include "model/AppData.h"
#include "model/Utilities.h"
#include "setup/CandidateFilter.h"
#include "setup/CandidateListModel.h"
#include "setup/GenerateNumbersDialog.h"
#include "setup/ImportExamplesDialog.h"
#include "setup/ImportPreview.h"
#include "setup/ImportPreviewDialog.h"
#include "ui/Notices.h"
#include "ui/Ui.h"
#include "ui/UiFont.h"
#include "ui/WidgetUtilities.h"

namespace {

// Spreadsheet programs save lists as CSV too; the spreadsheet dialog offers them and they are
// read as text.
const QString kSpreadsheetFilter =
    QStringLiteral("Excel 文件(*.xls, *.xlsx)|*.xls;*.xlsx|CSV 文件(*.csv)|*.csv||");
const QString kTextFilter = QStringLiteral("文本文件(*.txt, *.csv, *.tsv)|*.txt;*.csv;*.tsv||");

class WaitCursor {
  public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

bool IsTextFileName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == u"txt" || suffix == u"csv" || suffix == u"tsv";
}

bool AllEmpty(const CelvexLibrary::Fields& f) {
    for (const QString& s : f)
        if (!s.isEmpty()) return false;
    return true;
}

}  // namespace

CandidateListTab::CandidateListTab(AppData& data, QWidget* parent)
    : QWidget(parent),
      data_(data),
      bridgeFolder_(data.ProgramDir()),
      model_(new CandidateListModel(data, this)),
      filter_(new CandidateFilter(data, this)),
      list_(new QTreeView(this)),
      filterBox_(new QComboBox(this)),
      menu_(new QMenu(this)),
      rowMenu_(new QMenu(this)) {
    setObjectName(QStringLiteral("VT_TAB_CANDIDATE_LIST"));
    setAttribute(Qt::WA_OpaquePaintEvent);

    static const char16_t* const kLabels[kButtonCount] = {u"导入名单", u"生成编号", u"清空"};
    for (int i = 0; i < kButtonCount; ++i) {
        auto* button = new QPushButton(QString::fromUtf16(kLabels[i]), this);
        button->setGeometry(8 + 93 * i, 8, 90, 30);
        buttons_[size_t(i)] = button;
    }
    connect(buttons_[kImport], &QPushButton::clicked, this, &CandidateListTab::ShowImportMenu);
    connect(buttons_[kGenerate], &QPushButton::clicked, this, &CandidateListTab::GenerateNumbers);
    connect(buttons_[kClear], &QPushButton::clicked, this, &CandidateListTab::Clear);

    connect(menu_->addAction(QStringLiteral("查看导入文件示例")), &QAction::triggered, this,
            &CandidateListTab::ShowExamples);
    menu_->addSeparator();
    connect(menu_->addAction(QStringLiteral("从Excel文件导入")), &QAction::triggered, this,
            [this] { Import(CelvexLibrary::ImportKind::Spreadsheet); });
    connect(menu_->addAction(QStringLiteral("从文本文件导入")), &QAction::triggered, this,
            [this] { Import(CelvexLibrary::ImportKind::Text); });

    filterBox_->addItems(CandidateFilter::Labels());
    filterBox_->setGeometry(8 + 93 * kButtonCount + 4, 11, 120, 24);
    connect(filterBox_, &QComboBox::currentIndexChanged, this, [this](int index) {
        filter_->SetMode(CandidateFilter::Mode(index));
        update();
    });
    connect(rowMenu_->addAction(QStringLiteral("修改…")), &QAction::triggered, this,
            [this] { EditCurrentRow(); });
    connect(rowMenu_->addAction(QStringLiteral("设为不参与抽奖")), &QAction::triggered, this,
            [this] { SetSelectedExcluded(true); });
    connect(rowMenu_->addAction(QStringLiteral("恢复参与抽奖")), &QAction::triggered, this,
            [this] { SetSelectedExcluded(false); });
    rowMenu_->addSeparator();
    connect(rowMenu_->addAction(QStringLiteral("设为已签到")), &QAction::triggered, this,
            [this] { SetSelectedCheckedIn(true); });
    connect(rowMenu_->addAction(QStringLiteral("取消签到")), &QAction::triggered, this,
            [this] { SetSelectedCheckedIn(false); });
    connect(rowMenu_->addAction(QStringLiteral("清空所有签到…")), &QAction::triggered, this,
            &CandidateListTab::ClearCheckIns);

    filter_->setSourceModel(model_);
    list_->setModel(filter_);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QTreeView::customContextMenuRequested, this, &CandidateListTab::ShowRowMenu);
    SetUpReportList(list_, QAbstractItemView::ExtendedSelection, false);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Double-click or F2 opens the row in a dialog that checks it as an import would.
    connect(list_, &QTreeView::doubleClicked, this,
            [this](const QModelIndex&) { EditCurrentRow(); });
    auto* f2 = new QShortcut(QKeySequence(Qt::Key_F2), list_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(f2, &QShortcut::activated, this, &CandidateListTab::EditCurrentRow);
    list_->setFrameShape(QFrame::NoFrame);
    QHeaderView* header = list_->header();
    header->setSectionResizeMode(QHeaderView::Interactive);
    for (int c = 0; c < CandidateListModel::kColumnCount; ++c)
        header->resizeSection(c, CandidateListModel::ColumnWidth(c));
}

CandidateListTab::~CandidateListTab() = default;

QRect CandidateListTab::ListFrame() const {
    return QRect(QPoint(5, 43), QPoint(width() - 8 - 1, height() - 8 - 1));
}

QRect CandidateListTab::CountArea() const {
    const int left = filterBox_->geometry().right() + 1 + 8;
    return QRect(QPoint(left, 8), QPoint(width() - 8 - 1, 38 - 1));
}

QString CandidateListTab::CountText() const {
    const int all = model_->rowCount();
    int left = 0;
    for (const auto& c : data_.Candidates()) left += c->excluded;
    QString text = QStringLiteral("共: %1").arg(all);
    if (left > 0) text += QStringLiteral("  参加抽奖: %1").arg(all - left);
    const size_t checkedIn = data_.CheckIns().Count();
    if (data_.CheckIn().enabled || checkedIn > 0)
        text += QStringLiteral("  已签到: %1").arg(checkedIn);
    return text;
}

std::vector<int> CandidateListTab::SelectedRows() const {
    std::vector<int> rows;
    const QModelIndexList picked = list_->selectionModel()->selectedRows();
    rows.reserve(size_t(picked.size()));
    for (const QModelIndex& index : picked) rows.push_back(filter_->mapToSource(index).row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QString CandidateListTab::EditProblem(int row, const CandidateEditDialog::Values& v) const {
    const int field = data_.FieldType();
    const QString key =
        DrawKeyRules::Text(v[CandidateEditDialog::kNumber], v[CandidateEditDialog::kName],
                           v[CandidateEditDialog::kDepartment], v[CandidateEditDialog::kTel], field)
            .trimmed();
    const QString label = ImportPreviewDialog::KeyFieldLabel(field);
    if (!DrawKeyRules::HasKey(key))
        return QStringLiteral("按“%1”抽奖，这一项不能为空。").arg(label);
    const auto& list = data_.Candidates();
    for (size_t i = 0; i < list.size(); ++i) {
        if (int(i) == row) continue;
        const Candidate& c = *list[i];
        if (DrawKeyRules::Text(c.NO, c.name, c.department, c.tel, field).trimmed() == key)
            return QStringLiteral("按“%1”抽奖，“%2”与第 %3 行重复。").arg(label, key).arg(i + 1);
    }
    return QString();
}

void CandidateListTab::EditRow(int row) {
    if (row < 0 || size_t(row) >= data_.Candidates().size()) return;
    Candidate& c = *data_.Candidates()[size_t(row)];
    const CandidateEditDialog::Values before{c.NO, c.name, c.department, c.tel, c.group};
    CandidateEditDialog dialog(
        before, [this, row](const CandidateEditDialog::Values& v) { return EditProblem(row, v); },
        this);
    if (Ui::Exec(dialog) != QDialog::Accepted) return;
    const CandidateEditDialog::Values v = dialog.Entered();
    if (v == before) return;
    c.NO = v[CandidateEditDialog::kNumber];
    c.name = v[CandidateEditDialog::kName];
    c.department = v[CandidateEditDialog::kDepartment];
    c.tel = v[CandidateEditDialog::kTel];
    c.group = v[CandidateEditDialog::kGroup];
    model_->RowsChanged(row, row);
    data_.Save(AppData::kSaveCandidates);
    emit candidatesChanged();
    SendNotice(parentWidget(), WM_CANDIDATES_CHANGED);
}

void CandidateListTab::EditCurrentRow() {
    const QModelIndex current = list_->currentIndex();
    if (!current.isValid()) return;
    EditRow(filter_->mapToSource(current).row());
}

void CandidateListTab::ShowRowMenu(const QPoint& at) {
    if (SelectedRows().empty()) return;
    rowMenu_->popup(list_->viewport()->mapToGlobal(at));
}

void CandidateListTab::SetSelectedExcluded(bool excluded) {
    const std::vector<int> rows = SelectedRows();
    int changed = 0;
    for (int row : rows) {
        Candidate& c = *data_.Candidates()[size_t(row)];
        if (c.excluded == excluded) continue;
        c.excluded = excluded;
        ++changed;
    }
    if (changed == 0) return;
    model_->RowsChanged(rows.front(), rows.back());
    filter_->invalidate();
    data_.Save(AppData::kSaveCandidates);
    emit candidatesChanged();
    update();
}

void CandidateListTab::SetSelectedCheckedIn(bool checkedIn) {
    const std::vector<int> rows = SelectedRows();
    CheckInLog& log = data_.CheckIns();
    bool failed = false;
    for (int row : rows) {
        const Candidate& c = *data_.Candidates()[size_t(row)];
        if (checkedIn) {
            failed |= log.Add(c.id, c.name, CheckInLog::Source::Hand) == CheckInLog::Result::Failed;
        } else if (log.Contains(c.id)) {
            failed |= !log.Remove(c.id);
        }
    }
    if (failed) TellCheckInWriteFailed();
    CheckInsChanged();
}

void CandidateListTab::ClearCheckIns() {
    CheckInLog& log = data_.CheckIns();
    if (log.Count() == 0) return;
    if (Ui::Tell(
            this,
            QStringLiteral("要清空全部 %1 人的签到吗？清空后他们需要重新签到。").arg(log.Count()),
            Ui::Icon::Question, Ui::Buttons::YesNo) != Ui::Answer::Yes)
        return;
    if (!log.Clear()) TellCheckInWriteFailed();
    CheckInsChanged();
}

void CandidateListTab::TellCheckInWriteFailed() {
    const CheckInLog& log = data_.CheckIns();
    Ui::Tell(this,
             QStringLiteral("无法写入签到记录 %1：%2")
                 .arg(QDir::toNativeSeparators(log.Path()), log.LastError()),
             Ui::Icon::Warning);
}

void CandidateListTab::CheckInsChanged() {
    if (model_->rowCount() > 0) model_->RowsChanged(0, model_->rowCount() - 1);
    const CandidateFilter::Mode mode = filter_->CurrentMode();
    if (mode == CandidateFilter::kCheckedInOnly || mode == CandidateFilter::kNotCheckedIn)
        filter_->invalidate();
    update();
}

void CandidateListTab::resizeEvent(QResizeEvent*) {
    list_->setGeometry(ListFrame().adjusted(1, 1, -1, -1));
}

// Painted straight onto the page: Qt's backing store already double-buffers it.
void CandidateListTab::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QColor(192, 192, 192));
    const QRect frame = ListFrame();
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    QFont font(TheUiFont().FaceName());
    font.setPointSize(10);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(CountArea(), Qt::AlignRight | Qt::AlignVCenter, CountText());
}

void CandidateListTab::ShowImportMenu() {
    const QPushButton* button = buttons_[kImport];
    menu_->popup(button->mapToGlobal(QPoint(0, button->height())));
}

void CandidateListTab::ShowExamples() {
    ImportExamplesDialog dialog(data_.ProgramDir(), this);
    Ui::Exec(dialog);
}

int CandidateListTab::AddImportedRows(const std::vector<CelvexLibrary::Fields>& rows,
                                      const std::vector<QString>& groups,
                                      const std::vector<uint8_t>& excluded) {
    int keep = 0;
    for (const CelvexLibrary::Fields& f : rows)
        if (!AllEmpty(f)) ++keep;
    if (keep == 0) return 0;
    data_.ReserveCandidates(data_.Candidates().size() + size_t(keep));
    model_->BeginAppend(keep);
    for (size_t i = 0; i < rows.size(); ++i) {
        const CelvexLibrary::Fields& f = rows[i];
        if (AllEmpty(f)) continue;
        const int index = int(data_.Candidates().size());
        Candidate* c = data_.AddCandidate(f[0], f[1], f[2], f[3], index);
        if (i < groups.size()) c->group = groups[i];
        if (i < excluded.size()) c->excluded = excluded[i] != 0;
    }
    model_->EndAppend();
    list_->scrollToBottom();
    return keep;
}

bool CandidateListTab::ReplaceList(const ImportPreview& preview) {
    std::vector<ListReplacement::Row> rows;
    const auto& fields = preview.Rows();
    rows.reserve(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        if (AllEmpty(fields[i])) continue;
        ListReplacement::Row r{fields[i][0],
                               fields[i][1],
                               fields[i][2],
                               fields[i][3],
                               i < preview.Groups().size() ? preview.Groups()[i] : QString(),
                               i < preview.Excluded().size() && preview.Excluded()[i] != 0};
        rows.push_back(std::move(r));
    }
    const size_t people = rows.size();
    ListReplacement replacement(data_, std::move(rows), preview.KeyField());
    const int winners = replacement.KeptWinners() + replacement.DroppedWinners();
    if (winners > 0) {
        const QString text = QStringLiteral(
                                 "替换名单将用文件中的 %1 人代替现有的 %2 人。\n"
                                 "已中奖的 %3 人中，%4 人仍在新名单中（按“%5”核对），保留中奖记录；"
                                 "其余 %6 人的中奖记录将被删除。\n确定替换吗？")
                                 .arg(people)
                                 .arg(data_.Candidates().size())
                                 .arg(winners)
                                 .arg(replacement.KeptWinners())
                                 .arg(ImportPreviewDialog::KeyFieldLabel(preview.KeyField()))
                                 .arg(replacement.DroppedWinners());
        if (Ui::Tell(this, text, Ui::Icon::Question, Ui::Buttons::YesNo) != Ui::Answer::Yes)
            return false;
    }
    WaitCursor wait;
    model_->BeginReset();
    replacement.Apply(data_);
    model_->EndReset();
    data_.Save(AppData::kSaveData);
    SendNotice(parentWidget(), WM_REFRESH_WINNERS);
    return true;
}

QString CandidateListTab::ImportFailureText(CelvexLibrary::ImportKind kind, int error) {
    // The bridge's -3 says "damaged workbook"; a text file that cannot be read is no workbook.
    if (kind == CelvexLibrary::ImportKind::Text && error == CELVEX_FAILED)
        return QStringLiteral("读取文本文件出错");
    return ImportErrorText(error);
}

void CandidateListTab::Import(CelvexLibrary::ImportKind kind) {
    const QString path = Ui::OpenFileName(
        this, kind == CelvexLibrary::ImportKind::Spreadsheet ? kSpreadsheetFilter : kTextFilter);
    if (path.isEmpty()) return;
    if (IsTextFileName(path)) kind = CelvexLibrary::ImportKind::Text;
    const CelvexLibrary::Fields titles = {QStringLiteral("编号"), QStringLiteral("姓名"),
                                          QStringLiteral("部门"), QStringLiteral("手机")};
    CelvexLibrary::TableOutcome table =
        CelvexLibrary(bridgeFolder_).ImportTable(kind, path, titles);
    if (table.loaded && table.success) {
        std::unique_ptr<ImportPreview> preview;
        {
            WaitCursor wait;
            preview = std::make_unique<ImportPreview>(std::move(table), data_);
        }
        ImportPreviewDialog dialog(*preview, path, this);
        // Cancel leaves candidates and files as they were.
        if (Ui::Exec(dialog) != QDialog::Accepted) return;
        if (dialog.Replaces()) {
            if (!ReplaceList(*preview)) return;
        } else {
            WaitCursor wait;
            AddImportedRows(preview->Rows(), preview->Groups(), preview->Excluded());
        }
    } else if (table.loaded) {
        Ui::Tell(this, ImportFailureText(kind, table.error));
    }
    // Saved and announced after an import or a failure, as the other pages expect.
    data_.Save(AppData::kSaveCandidates);
    emit candidatesChanged();
    update();
    SendNotice(parentWidget(), WM_CANDIDATES_CHANGED);
}

void CandidateListTab::GenerateNumbers() {
    GenerateNumbersDialog dialog(data_.GenNumberList(), this);
    if (Ui::Exec(dialog) != QDialog::Accepted) return;
    const QStringList& texts = dialog.Texts();
    {
        WaitCursor wait;
        const int n = int(texts.size());
        data_.ReserveCandidates(data_.Candidates().size() + size_t(n));
        model_->BeginAppend(n);
        for (const QString& text : texts) {
            const int index = int(data_.Candidates().size());
            data_.AddCandidate(text, QString(), QString(), QString(), index);
        }
        model_->EndAppend();
        list_->scrollToBottom();
    }
    data_.GenNumberList() = dialog.Settings();
    data_.Save(AppData::kSaveCandidates);
    emit candidatesChanged();
    update();
    if (!texts.isEmpty()) SendNotice(parentWidget(), WM_CANDIDATES_CHANGED);
}

void CandidateListTab::Clear() {
    if (model_->rowCount() == 0) return;
    if (Ui::Tell(this,
                 QStringLiteral("如果已经开始抽奖，清空抽奖名单将同步删除相关的中奖名单。\n"
                                "确定要清空吗？"),
                 Ui::Icon::Question, Ui::Buttons::YesNo) != Ui::Answer::Yes)
        return;
    model_->BeginReset();
    data_.ClearCandidates();
    model_->EndReset();
    data_.Save(AppData::kSaveCandidates | AppData::kSaveData);
    emit candidatesChanged();
    update();
    SendNotice(parentWidget(), WM_REFRESH_WINNERS);
}

void CandidateListTab::Reload() {
    model_->BeginReset();
    model_->EndReset();
    update();
}
