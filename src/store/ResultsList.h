#pragma once
// Storage of the results list: entry texts in order, with the set of their stripped links
// so that a link is found without a scan. Guarded by its own lock.
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace kestrap {

class ResultsList {
public:
    int Count() const;
    // true when some entry's stripped link field equals `link` byte for byte
    bool ContainsLink(std::string_view link) const;
    bool Append(std::string entry);  // false when MaxResults entries are held
    void Clear();
    std::vector<std::string> Entries() const;  // a copy, in list order
    // after pruning; entries past MaxResults are left out
    void Replace(std::vector<std::string> entries);
    void SortDescending();  // byte-wise on the whole entry text

private:
    void IndexLink(const std::string& entry);  // lock held

    mutable std::mutex lock_;
    std::vector<std::string> entries_;
    std::unordered_set<std::string> links_;
};

}  // namespace kestrap
