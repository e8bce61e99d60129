#pragma once
// The term and city list files that travel with each results file.
#include <string>
#include <string_view>

namespace kestrap {

enum class SearchList { Terms, Cities };

std::string ListBaseName(std::string_view resultsFileName);
// The list's own file for a base name in the folder (which ends in its separator).
std::string SearchListPath(const std::string& folder, std::string_view baseName, SearchList list);
// What the list's box shows: its own file, else the default file, else a placeholder.
std::string ReadSearchList(const std::string& folder, std::string_view baseName, SearchList list);

enum class ListFileRead { Read, Missing, Unreadable };
// The list's own file, else the default file, as its box shows it: Missing when neither is
// there, Unreadable when the one there could not be read whole (`text` is then empty).
ListFileRead ReadSearchListFile(const std::string& folder, std::string_view baseName,
                                SearchList list, std::string& text);

}  // namespace kestrap
