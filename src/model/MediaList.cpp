#include "model/MediaList.h"

#include <QFileInfo>

MediaList::MediaList(std::vector<MediaEntry> presets)
    : entries_(std::move(presets)), presetCount_(static_cast<int>(entries_.size())) {}

int MediaList::AddFile(const QString& path) {
    MediaEntry entry;
    entry.name = QFileInfo(path).completeBaseName();
    entry.path = path;
    entry.added = true;
    const size_t capacity = static_cast<size_t>(presetCount_ + kExtraCapacity);
    if (entries_.size() < capacity) entries_.emplace_back();
    // Shift the operator-added entries one place back; a full list drops its oldest entry.
    for (size_t i = entries_.size() - 1; i > static_cast<size_t>(presetCount_); --i)
        entries_[i] = std::move(entries_[i - 1]);
    entries_[presetCount_] = std::move(entry);
    SetIndex(presetCount_);
    return presetCount_;
}

void MediaList::SetIndex(int index) {
    if (index >= 0 && index < static_cast<int>(entries_.size())) index_ = index;
}

QString MediaList::SelectedPath() const {
    if (entries_.empty()) return QString();
    if (index_ >= 0 && index_ < static_cast<int>(entries_.size())) return entries_[index_].path;
    return entries_.front().path;
}
