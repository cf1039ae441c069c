#include "setup/ScopeEditor.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSortFilterProxyModel>

#include <algorithm>

#include "model/AppData.h"
#include "model/Candidate.h"
#include "model/Prize.h"
#include "setup/ScopeValuesModel.h"

ScopeEditor::ScopeEditor(const AppData& data, const PrizeScope& scope, int32_t repeat,
                         QWidget* parent)
    : QGroupBox(QStringLiteral("抽奖范围"), parent),
      data_(data),
      original_(scope),
      mode_(new QComboBox(this)),
      field_(new QComboBox(this)),
      filter_(new QLineEdit(this)),
      list_(new QListView(this)),
      repeat_(new QComboBox(this)),
      count_(new QLabel(this)),
      values_(new ScopeValuesModel(this)),
      shown_(new QSortFilterProxyModel(this)) {
    setObjectName(QStringLiteral("PrizeScope"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("谁可以中奖"), this), 0, 0);
    grid->addWidget(mode_, 0, 1);
    grid->addWidget(field_, 0, 2);
    grid->addWidget(count_, 0, 3);
    grid->addWidget(filter_, 1, 1, 1, 3);
    grid->addWidget(list_, 2, 1, 1, 3);
    grid->addWidget(repeat_, 3, 1, 1, 3);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(3, 1);
    mode_->addItems({QStringLiteral("所有人"), QStringLiteral("仅限勾选的人员"),
                     QStringLiteral("勾选的人员除外")});
    field_->addItems({QStringLiteral("按部门"), QStringLiteral("按分组")});
    filter_->setPlaceholderText(QStringLiteral("筛选"));
    filter_->setClearButtonEnabled(true);
    repeat_->addItems({QStringLiteral("已中奖者：按界面和规则中的设置"),
                       QStringLiteral("已中奖者：可以再中本奖项"),
                       QStringLiteral("已中奖者：不可以再中本奖项")});
    shown_->setSourceModel(values_);
    shown_->setFilterRole(ScopeValuesModel::kValueRole);
    shown_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    list_->setModel(shown_);
    list_->setUniformItemSizes(true);

    if (scope.Limits()) {
        mode_->setCurrentIndex(scope.IsExcept() ? kExcept : kOnly);
        field_->setCurrentIndex(scope.IsGroupField() ? kGroup : kDepartment);
    }
    repeat_->setCurrentIndex(repeat < 0 ? kRepeatGlobal : repeat ? kRepeatAllowed : kRepeatRefused);
    LoadValues();
    Update();

    connect(mode_, &QComboBox::currentIndexChanged, this, [this] {
        edited_ = true;
        Update();
    });
    connect(field_, &QComboBox::currentIndexChanged, this, [this] {
        edited_ = true;
        LoadValues();
        Update();
    });
    connect(filter_, &QLineEdit::textChanged, shown_, &QSortFilterProxyModel::setFilterFixedString);
    connect(values_, &ScopeValuesModel::CheckedChanged, this, [this] { Update(); });
    connect(values_, &QAbstractItemModel::dataChanged, this, [this] { edited_ = true; });
}

void ScopeEditor::LoadValues() {
    // Distinct values among the people who take part, with how many hold each.
    const bool group = field_->currentIndex() == kGroup;
    QHash<QString, int> counts;
    for (const auto& c : data_.Candidates())
        if (!c->excluded) ++counts[group ? c->group : c->department];
    const bool sameField = original_.Limits() && original_.IsGroupField() == group;
    QSet<QString> checked;
    if (sameField)
        for (const QString& v : original_.values) {
            checked.insert(v);
            counts.insert(v, counts.value(v, 0));  // listed even when nobody holds it now
        }
    QStringList values = counts.keys();
    std::sort(values.begin(), values.end());
    std::vector<int> people;
    people.reserve(size_t(values.size()));
    for (const QString& v : values) people.push_back(counts.value(v));
    values_->Reset(values, std::move(people), checked);
}

void ScopeEditor::Update() {
    const bool limits = mode_->currentIndex() != kEveryone;
    field_->setEnabled(limits);
    filter_->setEnabled(limits);
    list_->setEnabled(limits);
    int people = values_->AllPeople();
    if (limits && !values_->Checked().isEmpty())
        people = mode_->currentIndex() == kOnly ? values_->CheckedPeople()
                                                : values_->AllPeople() - values_->CheckedPeople();
    count_->setText(QStringLiteral("范围内 %1 人").arg(people));
}

bool ScopeEditor::MissingValues() const {
    return mode_->currentIndex() != kEveryone && values_->Checked().isEmpty();
}

PrizeScope ScopeEditor::Scope() const {
    if (!edited_) return original_;
    if (mode_->currentIndex() == kEveryone) return PrizeScope{};
    PrizeScope scope;
    scope.field =
        field_->currentIndex() == kGroup ? QStringLiteral("group") : QStringLiteral("department");
    scope.mode =
        mode_->currentIndex() == kExcept ? QStringLiteral("except") : QStringLiteral("only");
    scope.values = values_->CheckedInOrder();
    return scope;
}

int32_t ScopeEditor::Repeat() const {
    switch (repeat_->currentIndex()) {
        case kRepeatAllowed:
            return 1;
        case kRepeatRefused:
            return 0;
        default:
            return Prize::kRepeatGlobal;
    }
}
