#pragma once

#include <cstdint>

// One cell of a worksheet that holds a value. Text lives in the sheet's text pool.
struct SheetCell {
    enum class Kind : uint8_t { Text, Number, Date, Time, IsoDate, Boolean, Error };

    uint32_t row = 0;  // 0-based
    uint16_t column = 0;
    Kind kind = Kind::Number;
    union {
        double number;
        struct {
            uint32_t offset;
            uint32_t length;
        } text;
    };

    SheetCell() : number(0) {}
};
