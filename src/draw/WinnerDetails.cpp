#include "draw/WinnerDetails.h"

#include <QFile>

#include <algorithm>

#include "draw/DrawRecordReader.h"
#include "draw/RecordEvents.h"
#include "model/AppData.h"

namespace {

QString S(const char16_t* text) {
    return QString::fromUtf16(text);
}

// Fills the candidate's own fields; a candidate deleted since keeps the text shown on screen.
void Describe(const AppData& data, int32_t candidate, const QString& shown,
              WinnerDetails::Row& row) {
    if (const Candidate* c = data.FindCandidate(candidate)) {
        row.no = c->NO;
        row.name = c->name;
        row.department = c->department;
        row.tel = c->tel;
        row.group = c->group;
    } else {
        row.name = shown;
    }
}

void Removed(const AppData& data, std::vector<WinnerDetails::Row>& rows) {
    QFile file(data.DrawRecordPath());
    if (!file.open(QIODevice::ReadOnly)) return;
    std::vector<WinnerDetails::Row> found;
    DrawRecordReader reader(file);
    DrawRecordReader::Line line;
    while (reader.Next(line)) {
        if (line.event.isEmpty()) continue;
        const RecordEvents::Type type = RecordEvents::TypeOf(line.event);
        if (type == RecordEvents::Type::Cleared) {
            found.clear();  // those winners went with the candidates
            continue;
        }
        if (type != RecordEvents::Type::Voided && type != RecordEvents::Type::Deleted) continue;
        RecordEvents::Removal removal;
        if (!RecordEvents::Read(line.event, removal)) continue;
        WinnerDetails::Row row;
        if (const Prize* prize = data.FindPrize(removal.prize)) {
            row.prize = prize->name;
            row.content = prize->content;
        }
        Describe(data, removal.candidate, removal.text, row);
        row.time = removal.won;
        if (!removal.voided)
            row.status = S(u"已删除");
        else if (removal.reason == QLatin1String("interrupted"))
            row.status = S(u"作废: 程序中断");
        else
            row.status = S(u"作废: 未到场");
        found.push_back(std::move(row));
    }
    rows.insert(rows.end(), std::make_move_iterator(found.begin()),
                std::make_move_iterator(found.end()));
}

}  // namespace

std::vector<WinnerDetails::Row> WinnerDetails::Collect(const AppData& data) {
    std::vector<Row> rows;
    std::vector<Winner*> winners;
    data.WinnersInDrawOrder(winners);
    for (const Winner* winner : winners) {
        Row row;
        if (const Prize* prize = data.FindPrize(winner->prize)) {
            row.prize = prize->name;
            row.content = prize->content;
        }
        Describe(data, winner->candidate, winner->show, row);
        row.time = winner->time;
        row.status = S(u"中奖");
        rows.push_back(std::move(row));
    }
    Removed(data, rows);
    // In the order the room saw them; a stable sort keeps the draw order within one round.
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row& a, const Row& b) { return a.time < b.time; });
    return rows;
}

WinnerDetails::Sheet WinnerDetails::Build(const AppData& data) {
    Sheet sheet;
    const std::vector<Row> rows = Collect(data);
    const bool grouped =
        std::any_of(rows.begin(), rows.end(), [](const Row& r) { return !r.group.isEmpty(); });
    sheet.titles << S(u"奖项") << S(u"奖品") << S(u"工号") << S(u"姓名") << S(u"部门")
                 << S(u"手机");
    if (grouped) sheet.titles << S(u"分组");
    sheet.timeColumn = int(sheet.titles.size());
    sheet.titles << S(u"中奖时间") << S(u"状态");
    for (const Row& r : rows) {
        QStringList cells{r.prize, r.content, r.no, r.name, r.department, r.tel};
        if (grouped) cells << r.group;
        cells << r.time << r.status;
        sheet.rows.push_back(std::move(cells));
    }
    return sheet;
}
