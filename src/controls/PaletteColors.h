#pragma once

#include <QString>

#include <cstdint>

// The 40 named colours of the drop-down palette, as colour references (0x00BBGGRR).
class PaletteColors {
  public:
    static constexpr int kCount = 40;
    static constexpr int kColumns = 8;
    static constexpr int kRows = (kCount + kColumns - 1) / kColumns;

    // Both take an index 0..kCount-1; anything else gives black and an empty name.
    static uint32_t Color(int index);
    static QString Name(int index);
    // The first index whose colour equals ref exactly, or -1.
    static int IndexOf(uint32_t ref);
};
