#pragma once

#include <QString>

#include <vector>

#include "model/MediaEntry.h"

// Built-in entries first, then up to four operator-added files, newest first.
class MediaList {
  public:
    static constexpr int kExtraCapacity = 4;

    MediaList() = default;
    explicit MediaList(std::vector<MediaEntry> presets);

    // Inserts the file right after the presets, selects it and returns its position.
    int AddFile(const QString& path);
    // Ignored unless 0 <= index < number of entries.
    void SetIndex(int index);
    // Path of the selected entry, or of the first entry when the selection is out of range.
    QString SelectedPath() const;

    int Index() const { return index_; }
    int PresetCount() const { return presetCount_; }
    const std::vector<MediaEntry>& Entries() const { return entries_; }

  private:
    std::vector<MediaEntry> entries_;
    int presetCount_ = 0;
    int index_ = 0;
};
