#include "setup/ImportPreview.h"

#include <QHash>

#include <algorithm>
#include <set>

#include "draw/DrawKeyRules.h"
#include "model/AppData.h"
#include "model/Candidate.h"

namespace {

constexpr int kSampleLength = 12;

QString Elided(const QString& text) {
    QString oneLine = text.simplified();
    if (oneLine.size() > kSampleLength) oneLine = oneLine.left(kSampleLength) + u'…';
    return oneLine;
}

}  // namespace

ImportPreview::ImportPreview(Table table, const AppData& data)
    : table_(std::move(table)),
      fieldType_(data.FieldType()),
      chosenByOperator_(data.FieldTypeChosenByOperator()) {
    present_.reserve(data.Candidates().size());
    for (const auto& c : data.Candidates()) {
        present_.push_back(c.get());
        const int first = DrawKeyRules::FirstFilledField(c->NO, c->name, c->department, c->tel);
        if (first >= 0) ++presentFirstFields_[size_t(first)];
        for (int field = 0; field < 4; ++field)
            if (!presentHasKey_[size_t(field)] &&
                DrawKeyRules::HasKey(KeyText({c->NO, c->name, c->department, c->tel}, field)))
                presentHasKey_[size_t(field)] = true;
    }
    for (int i = 0; i < table_.headerRow && i < int(table_.rows.size()); ++i)
        if (table_.rows[size_t(i)].cellCount > 0) ++rowsAbove_;
    BuildChoices();
    Recompute();
}

int ImportPreview::HeaderLine() const {
    if (!HasHeader() || size_t(table_.headerRow) >= table_.rows.size()) return 0;
    return table_.rows[size_t(table_.headerRow)].line;
}

void ImportPreview::BuildChoices() {
    // Every column holding something in the header or below it, in file order.
    const size_t first = HasHeader() ? size_t(table_.headerRow) : 0;
    std::set<int> occupied;
    for (size_t r = first; r < table_.rows.size(); ++r) {
        const Table::Row& row = table_.rows[r];
        for (size_t i = row.firstCell; i < row.firstCell + row.cellCount; ++i)
            occupied.insert(table_.cells[i].column);
    }
    const std::vector<int> columns(occupied.begin(), occupied.end());

    std::vector<int> kept(columns.begin(),
                          columns.begin() + std::min<std::ptrdiff_t>(kMaxChoices, columns.size()));
    // The newer slots, as the header named them; a takes-part column counts the other way.
    const int excluded =
        table_.excludedColumn >= 0 ? table_.excludedColumn : table_.takesPartColumn;
    const std::array<int, kSlots> fromFile = {table_.columns[0],  table_.columns[1],
                                              table_.columns[2],  table_.columns[3],
                                              table_.groupColumn, excluded};
    takesPart_ = table_.excludedColumn < 0 && table_.takesPartColumn >= 0;
    for (int k = 0; k < kSlots; ++k) {
        const int mapped = fromFile[size_t(k)];
        if (std::binary_search(columns.begin(), columns.end(), mapped)) {
            columns_[size_t(k)] = mapped;
            if (!std::binary_search(kept.begin(), kept.end(), mapped)) {
                kept.insert(std::lower_bound(kept.begin(), kept.end(), mapped), mapped);
            }
        }
        // A mapped column that holds nothing gives empty fields, the same as none.
    }

    // Label each column by its header, or by the first text found under it.
    QHash<int, QString> samples;
    if (HasHeader()) {
        const Table::Row& header = table_.rows[size_t(table_.headerRow)];
        for (size_t i = header.firstCell; i < header.firstCell + header.cellCount; ++i)
            samples.insert(table_.cells[i].column, table_.cells[i].text);
    } else {
        size_t missing = kept.size();
        for (size_t r = 0; r < table_.rows.size() && missing > 0; ++r) {
            const Table::Row& row = table_.rows[r];
            for (size_t i = row.firstCell; i < row.firstCell + row.cellCount; ++i) {
                const int column = table_.cells[i].column;
                if (samples.contains(column) ||
                    !std::binary_search(kept.begin(), kept.end(), column))
                    continue;
                samples.insert(column, table_.cells[i].text);
                --missing;
            }
        }
    }
    choices_.reserve(kept.size());
    for (int column : kept) {
        const QString place = QStringLiteral("第%1列").arg(column + 1);
        const QString sample = samples.value(column);
        QString label;
        if (sample.isEmpty())
            label = place;
        else if (HasHeader())
            label = QStringLiteral("%1（%2）").arg(Elided(sample), place);
        else
            label = QStringLiteral("%1（%2）").arg(place, Elided(sample));
        choices_.push_back({column, label});
    }
}

void ImportPreview::SetColumn(int slot, int column) {
    if (slot < 0 || slot >= kSlots) return;
    columns_[size_t(slot)] = column < 0 ? -1 : column;
    // Only the column the header named 是否参与 says who takes part.
    if (slot == kExcludedSlot)
        takesPart_ = column >= 0 && table_.excludedColumn < 0 && column == table_.takesPartColumn;
    Recompute();
}

std::optional<bool> ImportPreview::YesNo(const QString& text) {
    const QString t = text.trimmed().toLower();
    if (t == u"是" || t == u"1" || t == u"y" || t == u"yes") return true;
    if (t == u"否" || t == u"0" || t == u"n" || t == u"no") return false;
    return std::nullopt;
}

QString ImportPreview::KeyText(const Fields& f, int field) {
    return DrawKeyRules::Text(f[0], f[1], f[2], f[3], field);
}

int ImportPreview::ChooseKeyField() const {
    // The rule the setup window applies once candidates were added: keep a key chosen by
    // hand or one that somebody has; otherwise take the field most candidates start with.
    if (chosenByOperator_ || fieldType_ < 0 || fieldType_ > 3) return fieldType_;
    if (presentHasKey_[size_t(fieldType_)]) return fieldType_;
    for (const Fields& f : rows_)
        if (DrawKeyRules::HasKey(KeyText(f, fieldType_))) return fieldType_;
    std::array<int, 4> counts = presentFirstFields_;
    for (const Fields& f : rows_) {
        const int first = DrawKeyRules::FirstFilledField(f[0], f[1], f[2], f[3]);
        if (first >= 0) ++counts[size_t(first)];
    }
    const int best = DrawKeyRules::MostCommonFirstField(counts);
    return best < 0 ? fieldType_ : best;
}

const QSet<QString>& ImportPreview::PresentKeys(int field) {
    std::optional<QSet<QString>>& keys = presentKeys_[size_t(field)];
    if (!keys) {
        keys.emplace();
        keys->reserve(qsizetype(present_.size()));
        for (const Candidate* c : present_) {
            const QString key = KeyText({c->NO, c->name, c->department, c->tel}, field).trimmed();
            if (!key.isEmpty()) keys->insert(key);
        }
    }
    return *keys;
}

void ImportPreview::Recompute() {
    rows_.clear();
    lines_.clear();
    groups_.clear();
    excluded_.clear();
    flags_.clear();
    counts_.fill(0);
    emptyRows_ = 0;

    const size_t first = HasHeader() ? size_t(table_.headerRow) + 1 : 0;
    if (first < table_.rows.size()) {
        rows_.reserve(table_.rows.size() - first);
        lines_.reserve(table_.rows.size() - first);
    }
    for (size_t r = first; r < table_.rows.size(); ++r) {
        const Table::Row& row = table_.rows[r];
        Fields fields;
        bool any = false;
        for (size_t k = 0; k < 4; ++k) {
            if (columns_[k] < 0) continue;
            fields[k] = table_.Text(row, columns_[k]);
            any = any || !fields[k].isEmpty();
        }
        if (!any) {
            ++emptyRows_;
            continue;
        }
        rows_.push_back(std::move(fields));
        lines_.push_back(row.line);
        const int group = columns_[kGroupSlot];
        groups_.push_back(group < 0 ? QString() : table_.Text(row, group));
        const int excluded = columns_[kExcludedSlot];
        const std::optional<bool> said =
            excluded < 0 ? std::nullopt : YesNo(table_.Text(row, excluded));
        excluded_.push_back(said.has_value() && *said != takesPart_);
    }

    keyField_ = ChooseKeyField();
    if (keyField_ < 0 || keyField_ > 3) return;
    const QSet<QString>& present = PresentKeys(keyField_);
    QHash<QString, int> seen;  // key -> line where it came first
    seen.reserve(qsizetype(rows_.size()));
    for (size_t i = 0; i < rows_.size(); ++i) {
        const QString key = KeyText(rows_[i], keyField_).trimmed();
        Flag flag{i, Problem::EmptyKey, 0};
        if (key.isEmpty()) {
            flag.problem = Problem::EmptyKey;
        } else if (present.contains(key)) {
            flag.problem = Problem::AlreadyPresent;
        } else if (const auto found = seen.constFind(key); found != seen.constEnd()) {
            flag.problem = Problem::RepeatedInFile;
            flag.firstLine = found.value();
        } else {
            seen.insert(key, lines_[i]);
            continue;
        }
        flags_.push_back(flag);
        ++counts_[size_t(flag.problem)];
    }
}
