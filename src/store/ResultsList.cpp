#include "store/ResultsList.h"

#include <algorithm>

#include "store/ResultEntry.h"
#include "store/ResultsFile.h"

namespace kestrap {

namespace {

// An entry's line in the results file holds its fields and at most this much more: the
// item's tags, and a day heading with the list tags around it.
constexpr size_t EntryFileOverhead = 128;
// The file's first heading and last lines.
constexpr size_t FileOverhead = 1024;

size_t FileBytesOf(std::string_view entry) { return entry.size() + EntryFileOverhead; }

}  // namespace

int ResultsList::Count() const {
    std::lock_guard guard(lock_);
    return static_cast<int>(entries_.size());
}

bool ResultsList::ContainsLink(std::string_view link) const {
    std::lock_guard guard(lock_);
    return links_.Contains(link);
}

bool ResultsList::Append(std::string_view entry) {
    std::lock_guard guard(lock_);
    if (entries_.size() >= static_cast<size_t>(MaxResults) || bytesFull_) return false;
    if (fileBytes_ + FileBytesOf(entry) > MaxResultsFileBytes - FileOverhead) {
        bytesFull_ = true;
        return false;
    }
    IndexLink(entry);
    entries_.emplace_back(entry);
    fileBytes_ += FileBytesOf(entry);
    return true;
}

void ResultsList::Clear() {
    std::lock_guard guard(lock_);
    entries_.clear();
    links_.Clear();
    fileBytes_ = 0;
    bytesFull_ = false;
}

std::vector<std::string> ResultsList::Entries() const {
    std::lock_guard guard(lock_);
    return entries_;
}

void ResultsList::ForEachEntry(const std::function<void(std::string_view)>& visit) const {
    std::lock_guard guard(lock_);
    for (const std::string& entry : entries_) visit(entry);
}

void ResultsList::Replace(std::vector<std::string> entries) {
    if (entries.size() > static_cast<size_t>(MaxResults)) entries.resize(MaxResults);
    std::lock_guard guard(lock_);
    entries_ = std::move(entries);
    links_.Clear();
    fileBytes_ = 0;
    bytesFull_ = false;
    for (const auto& entry : entries_) {
        IndexLink(entry);
        fileBytes_ += FileBytesOf(entry);
    }
}

void ResultsList::SortDescending() {
    std::lock_guard guard(lock_);
    // std::string compares bytes as unsigned, and a prefix sorts below the longer text
    std::sort(entries_.begin(), entries_.end(), std::greater<>());
}

void ResultsList::IndexLink(std::string_view entry) {
    links_.Insert(ResultField(entry, 3));
}

}  // namespace kestrap
