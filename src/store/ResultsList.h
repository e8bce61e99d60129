#pragma once
// Storage of the results list: entry texts in order, with a count of entries per stripped
// link so that a link is found without a scan. Guarded by its own lock.
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrap {

class ResultsList {
public:
    int Count() const;
    bool ContainsLink(std::string_view link) const;
    bool Append(std::string entry);  // false when MaxResults entries are held
    void Clear();
    std::vector<std::string> Entries() const;          // a copy, in list order
    void Replace(std::vector<std::string> entries);    // after sorting or pruning

private:
    mutable std::mutex lock_;
    std::vector<std::string> entries_;
    std::unordered_map<std::string, int> linkCounts_;
};

}  // namespace kestrap
