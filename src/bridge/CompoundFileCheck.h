#pragma once

#include <string_view>

// Checks the directory of an OLE2 compound file before freexl sees it: freexl 1.0.6 converts
// each directory entry's name with the length stored in the entry, unchecked, and so reads far
// past the 64-byte name field when a damaged file claims a longer one, and allocates whatever
// size a stream entry claims. A file whose header, allocation table or directory chain does
// not hold together is refused as well.
class CompoundFileCheck {
  public:
    static bool DirectoryIsSound(std::string_view file);
};
