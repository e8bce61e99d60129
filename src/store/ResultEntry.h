#pragma once
// Result entries: one ad as one text "date || title || link[ || NEW]"; the link is its identity.
#include <string>
#include <string_view>

namespace kestrap {

constexpr int MaxResults = 10000;

// Field n (from 1) of an entry split at "||", blanks stripped; empty beyond the last.
std::string_view ResultField(std::string_view entry, int n);
bool IsTaggedNew(std::string_view entry);
// A feed text as an entry field holds it: every "||" inside is broken up ("| |"), so that
// the field keeps its place when the entry is split.
std::string EntryFieldText(std::string_view text);
void AppendEntryField(std::string& entry, std::string_view text);
// The entry a search adds for an ad, tagged NEW.
std::string NewEntryText(std::string_view date, std::string_view title, std::string_view link);

}  // namespace kestrap
