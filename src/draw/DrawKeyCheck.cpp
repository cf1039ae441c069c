#include "draw/DrawKeyCheck.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>

#include <algorithm>
#include <numeric>

DrawKeyCheck::DrawKeyCheck(const std::vector<QString>& keys) {
    std::vector<size_t> filled;
    filled.reserve(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i].isEmpty())
            empties_.push_back(i);
        else
            filled.push_back(i);
    }
    if (!empties_.empty()) firstEmpty_ = empties_.front();

    QCollator collator{QLocale::system()};
    collator.setCaseSensitivity(Qt::CaseSensitive);
    std::vector<QCollatorSortKey> sortKeys;
    sortKeys.reserve(filled.size());
    for (size_t i : filled) sortKeys.push_back(collator.sortKey(keys[i]));
    std::vector<size_t> order(filled.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return sortKeys[a].compare(sortKeys[b]) < 0; });
    // Runs of equal keys in the sorted order are the repeats; stable sorting keeps each run in
    // list order.
    for (size_t i = 0; i < order.size();) {
        size_t j = i + 1;
        while (j < order.size() && sortKeys[order[i]].compare(sortKeys[order[j]]) == 0) ++j;
        if (j - i > 1) {
            std::vector<size_t> run;
            for (size_t k = i; k < j; ++k) run.push_back(filled[order[k]]);
            firstRepeat_ = std::min(firstRepeat_, run[1]);
            repeats_.push_back(std::move(run));
        }
        i = j;
    }
    std::sort(repeats_.begin(), repeats_.end(),
              [](const auto& a, const auto& b) { return a.front() < b.front(); });
}
