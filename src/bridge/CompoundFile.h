#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

// Reads one stream out of an OLE2 compound file, checking every sector number, chain length
// and size against the file, so that a damaged file yields nothing rather than a wild read.
class CompoundFile {
  public:
    // The bytes of the first stream found of those named (ASCII, case ignored) directly under
    // the root storage; nothing when there is none or the file does not hold together.
    static std::optional<std::string> ReadStream(std::string_view file,
                                                 std::initializer_list<std::string_view> names);
};
