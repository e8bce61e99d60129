#pragma once
// Storage of the results list: entry texts in order, with the set of their stripped links
// so that a link is found without a scan. Guarded by its own lock.
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "store/LinkSet.h"

namespace kestrap {

class ResultsList {
public:
    int Count() const;
    // true when some entry's stripped link field equals `link` byte for byte
    bool ContainsLink(std::string_view link) const;
    bool Append(std::string_view entry);  // false when MaxResults entries are held
    void Clear();
    std::vector<std::string> Entries() const;  // a copy, in list order
    // Calls `visit` with each entry in list order while the lock is held: `visit` must not
    // touch this list, nor call the window (the worker waits on the UI thread there).
    void ForEachEntry(const std::function<void(std::string_view)>& visit) const;
    // after pruning; entries past MaxResults are left out
    void Replace(std::vector<std::string> entries);
    void SortDescending();  // byte-wise on the whole entry text

private:
    void IndexLink(std::string_view entry);  // lock held

    mutable std::mutex lock_;
    std::vector<std::string> entries_;
    LinkSet links_;
};

}  // namespace kestrap
