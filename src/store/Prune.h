#pragma once
// Pruning of old results: entries dated before a cut-off two calendar months back.
#include <string>
#include <string_view>
#include <vector>

#include "store/ResultEntry.h"

namespace kestrap {

// Today's date (MM-DD-YYYY) moved back two calendar months, written YYYY-MM-DD.
std::string PruneCutoff(std::string_view localDateText);
// Removes the entries whose date (EntryTextDate) sorts before the cut-off; returns how many.
int RemoveEntriesBefore(std::vector<ResultEntry>& entries, std::string_view cutoff);

}  // namespace kestrap
