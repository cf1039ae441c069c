#pragma once

#include <QString>

#include <cstdint>

// A recorded win. Refers to prize and candidate by id only; show keeps the text that was on
// screen so the record stays readable after the candidate is gone.
struct Winner {
    int32_t prize = 0;
    int32_t candidate = 0;
    QString show;
    QString time;  // "yyyy-MM-dd hh:mm:ss"
};
