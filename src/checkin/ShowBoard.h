#pragma once

#include <QString>

#include <cstdint>
#include <unordered_map>
#include <vector>

// What the guests' and the host's pages may know of the show, set by the windows' thread as
// the show goes on and read by the service: a copy, replaced whole.
struct ShowBoard {
    bool running = false;
    QString fingerprint;
    std::vector<int32_t> room;                 // who draws in this show, ascending
    std::unordered_map<int32_t, QString> won;  // candidate -> the prizes they won, as shown
    QString screen;  // "欢迎", "奖品", "抽奖中", "中奖名单", "结束"
    QString prize;
};
