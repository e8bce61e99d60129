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
    // False when MaxResults entries are held, or when the entry would take the results file
    // written from the list past MaxResultsFileBytes; after such a refusal every addition is
    // refused until the list is cleared or replaced, so that what Save writes is always
    // read back whole.
    bool Append(std::string_view entry);
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
    size_t fileBytes_ = 0;    // what the entries take in the results file, at most
    bool bytesFull_ = false;  // an entry was refused for the file's size
};

}  // namespace kestrap
