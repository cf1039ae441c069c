#pragma once

#include <memory>
#include <string_view>
#include <vector>

// Stable storage for texts made while reading a file (unquoted fields, cell texts): a text
// stored here keeps its address until the arena goes, so views of it can be kept around.
class TextArena {
  public:
    // Starts a text that is built piece by piece; Append adds to the text last begun.
    void Begin();
    void Append(std::string_view piece);
    std::string_view Finish();

  private:
    static constexpr size_t kBlockSize = size_t{1} << 16;

    char* Reserve(size_t size);

    std::vector<std::unique_ptr<char[]>> blocks_;
    char* cursor_ = nullptr;
    size_t left_ = 0;
    // The text being built: it lives in the current block, moved to a bigger one as it grows.
    char* building_ = nullptr;
    size_t built_ = 0;
};
