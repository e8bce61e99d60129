#pragma once
// Storage of the results list: entries in order, the set of their links so that a link is
// found without a scan, and which entry each row of the list box shows. Guarded by its own
// lock: the window's thread reads it while a search adds to it.
//
// The rows follow the box, not the list: a search adds its entries at the end of the list
// but shows them at the top of the box, and sorting reorders the list without touching the
// box. So the rows change only with the box (ShowAtTop, AddAsLastRow, ShowInListOrder,
// Clear), on the window's thread, and a sort carries each row along with its entry.
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "store/LinkSet.h"
#include "store/ResultEntry.h"

namespace kestrap {

class ResultsList {
public:
    int Count() const;
    // true when some entry's link equals `link` (as EntryLink makes it) byte for byte
    bool ContainsLink(std::string_view link) const;
    // Adds an entry at the end of the list, in no row yet. False when MaxResults entries are
    // held, or when the entry would take the results file written from the list past
    // MaxResultsFileBytes; after such a refusal every addition is refused until the list
    // is cleared or replaced, so that what Save writes is always read back whole.
    bool Add(ResultEntry entry);
    // Adds an entry at the end of the list and shows it in a new last row; false when full.
    bool AddAsLastRow(ResultEntry entry);
    // A new first row shows the entry added last with the link of `entry`; false (and no
    // row) unless that entry equals `entry`.
    bool ShowAtTop(const ResultEntry& entry);
    // The rows show the whole list in list order (the box was refilled so).
    void ShowInListOrder();
    // the entry shown in `row` (from 0); none for a row the list does not know
    std::optional<ResultEntry> EntryAtRow(int row) const;
    void Clear();  // entries and rows
    std::vector<ResultEntry> Entries() const;  // a copy, in list order
    // Calls `visit` with each entry in list order while the lock is held: `visit` must not
    // touch this list, nor call the window (the worker waits on the UI thread there).
    void ForEachEntry(const std::function<void(const ResultEntry&)>& visit) const;
    // after pruning: the rows show the new entries in list order; entries past MaxResults
    // are left out
    void Replace(std::vector<ResultEntry> entries);
    // Newest first: descending, byte-wise, on each entry's whole text (EntryText). The rows
    // keep showing the entries they showed.
    void SortDescending();

private:
    void Index(size_t place);     // lock held
    bool Take(ResultEntry entry);  // lock held; Add's rule

    mutable std::mutex lock_;
    std::vector<ResultEntry> entries_;
    LinkSet links_;
    std::vector<size_t> rows_;  // the place in entries_ of each row's entry
    size_t fileBytes_ = 0;      // what the entries take in the results file, at most
    bool bytesFull_ = false;    // an entry was refused for the file's size
};

}  // namespace kestrap
