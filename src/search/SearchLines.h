#pragma once
// The lines of a search: cities and terms as the boxes hold them, and which pairs are asked.
#include <string>
#include <string_view>
#include <vector>

namespace kestrap {

constexpr int MaxCities = 2500;
constexpr int MaxTerms = 250;

// Lines of the city or term box split at CR LF, stripped; blank and "#" lines are dropped.
// Keeps at most `capacity` lines and returns how many there were in all.
int ReadListLines(std::string_view text, size_t capacity, std::vector<std::string>& lines);

// "section,term" or "term" split into its section and term
struct TermLine {
    std::string section;
    std::string term;
};
TermLine SplitTermLine(std::string_view line);

// True when the term line's section does not fit the city's site.
bool SkipsPair(std::string_view city, const TermLine& line);

}  // namespace kestrap
