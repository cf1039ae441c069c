#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class AppData;

// The rows of the export's detail sheet: every winner standing now, and those the draw record
// says were voided or deleted since the list was last cleared, each with the candidate's own
// fields, so HR can filter and count without reading the designed sheet.
class WinnerDetails {
  public:
    struct Row {
        QString prize;
        QString content;
        QString no;
        QString name;
        QString department;
        QString tel;
        QString group;
        QString time;  // "yyyy-MM-dd hh:mm:ss"
        QString status;
    };
    struct Sheet {
        QStringList titles;  // 分组 only when a row has a group
        int timeColumn = -1;
        std::vector<QStringList> rows;
    };

    static std::vector<Row> Collect(const AppData& data);
    static Sheet Build(const AppData& data);
};
