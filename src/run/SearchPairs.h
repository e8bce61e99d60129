#pragma once
// The pairs of a run in order, each with its request; their fetches go out ahead of the run.
#include <string>
#include <vector>

#include "search/Feed.h"
#include "search/FetchAhead.h"
#include "search/Http.h"
#include "search/SearchLines.h"

namespace kestrap {

class Clock;

struct SearchPair {
    size_t city = 0;
    size_t term = 0;
    TermLine line;
    FeedQuery query;         // a classic city line's request
    std::string address;     // a feed address's, with the term in its slot
    std::string termFilter;  // a feed address without a slot keeps the items of the term
    bool shared = false;     // that address is fetched once for all its term lines
    size_t job = 0;          // the pair's fetch among the run's jobs, when it makes a request

    bool Fetches() const { return !address.empty() || query.fetch; }
};

// Every pair of the cities and terms, city by city, skipped pairs left out; `jobs` gets
// the fetch of every pair that makes a request.
std::vector<SearchPair> PlanPairs(const std::vector<std::string>& cities,
                                  const std::vector<std::string>& terms, const HttpOptions& http,
                                  std::vector<FetchJob>& jobs);

std::string FetchPairAnswer(const SearchPair& pair, const HttpOptions& http);

// The pair's items from its answer: the count, 0 for none (or no request made), -1 for an
// empty answer.
int ReadPairAnswer(const SearchPair& pair, const std::string& answer, const Clock& clock,
                   FeedStore& store);

}  // namespace kestrap
