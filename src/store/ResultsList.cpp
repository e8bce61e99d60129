#include "store/ResultsList.h"

#include <algorithm>
#include <numeric>
#include <string>

#include "store/ResultsFile.h"

namespace kestrap {

namespace {

// An entry's line in the results file holds its fields and at most this much more: the
// item's tags, and a day heading with the list tags around it.
constexpr size_t EntryFileOverhead = 128;
// The file's first heading and last lines.
constexpr size_t FileOverhead = 1024;

size_t FileBytesOf(const ResultEntry& entry) {
    return entry.date.size() + entry.title.size() + entry.link.size() + EntryFileOverhead;
}

}  // namespace

int ResultsList::Count() const {
    std::lock_guard guard(lock_);
    return static_cast<int>(entries_.size());
}

bool ResultsList::ContainsLink(std::string_view link) const {
    std::lock_guard guard(lock_);
    return links_.Contains(link);
}

bool ResultsList::Add(ResultEntry entry) {
    std::lock_guard guard(lock_);
    return Take(std::move(entry));
}

bool ResultsList::AddAsLastRow(ResultEntry entry) {
    std::lock_guard guard(lock_);
    if (!Take(std::move(entry))) return false;
    rows_.push_back(entries_.size() - 1);
    return true;
}

bool ResultsList::Take(ResultEntry entry) {
    if (entries_.size() >= static_cast<size_t>(MaxResults) || bytesFull_) return false;
    const size_t bytes = FileBytesOf(entry);
    if (fileBytes_ + bytes > MaxResultsFileBytes - FileOverhead) {
        bytesFull_ = true;
        return false;
    }
    entries_.push_back(std::move(entry));
    fileBytes_ += bytes;
    Index(entries_.size() - 1);
    return true;
}

bool ResultsList::ShowAtTop(const ResultEntry& entry) {
    std::lock_guard guard(lock_);
    const size_t place = links_.Find(entry.link);
    if (place == LinkSet::None || entries_[place] != entry) return false;
    rows_.insert(rows_.begin(), place);
    return true;
}

void ResultsList::ShowInListOrder() {
    std::lock_guard guard(lock_);
    rows_.resize(entries_.size());
    std::iota(rows_.begin(), rows_.end(), size_t{0});
}

std::optional<ResultEntry> ResultsList::EntryAtRow(int row) const {
    std::lock_guard guard(lock_);
    if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return std::nullopt;
    return entries_[rows_[static_cast<size_t>(row)]];
}

void ResultsList::Clear() {
    std::lock_guard guard(lock_);
    entries_.clear();
    links_.Clear();
    rows_.clear();
    fileBytes_ = 0;
    bytesFull_ = false;
}

std::vector<ResultEntry> ResultsList::Entries() const {
    std::lock_guard guard(lock_);
    return entries_;
}

void ResultsList::ForEachEntry(const std::function<void(const ResultEntry&)>& visit) const {
    std::lock_guard guard(lock_);
    for (const ResultEntry& entry : entries_) visit(entry);
}

void ResultsList::Replace(std::vector<ResultEntry> entries) {
    if (entries.size() > static_cast<size_t>(MaxResults)) entries.resize(MaxResults);
    std::lock_guard guard(lock_);
    entries_ = std::move(entries);
    links_.Clear();
    fileBytes_ = 0;
    bytesFull_ = false;
    for (size_t place = 0; place < entries_.size(); ++place) {
        Index(place);
        fileBytes_ += FileBytesOf(entries_[place]);
    }
    rows_.resize(entries_.size());
    std::iota(rows_.begin(), rows_.end(), size_t{0});
}

void ResultsList::SortDescending() {
    std::lock_guard guard(lock_);
    std::vector<std::string> texts;
    texts.reserve(entries_.size());
    for (const ResultEntry& entry : entries_) texts.push_back(EntryText(entry));
    std::vector<size_t> order(entries_.size());
    std::iota(order.begin(), order.end(), size_t{0});
    // std::string compares bytes as unsigned, and a prefix sorts below the longer text
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return texts[a] > texts[b]; });

    std::vector<ResultEntry> sorted;
    sorted.reserve(entries_.size());
    std::vector<size_t> newPlaces(entries_.size());
    for (size_t place = 0; place < order.size(); ++place) {
        sorted.push_back(std::move(entries_[order[place]]));
        newPlaces[order[place]] = place;
    }
    entries_ = std::move(sorted);
    links_.Renumber(newPlaces);
    for (size_t& row : rows_) row = newPlaces[row];
}

void ResultsList::Index(size_t place) {
    links_.Insert(entries_[place].link, place);
}

}  // namespace kestrap
