#pragma once

#include <QString>

#include <cstdint>

// One person who may win. Owned by the candidate list of AppData.
struct Candidate {
    int32_t id = 0;
    QString NO;
    QString name;
    QString department;
    QString tel;
    int32_t index = 0;      // row position shown when the candidate was added
    QString group;          // a free label (正式员工, 外包, 2026届, 上海); empty when none
    bool excluded = false;  // never enters any draw (不参与抽奖)
};
