#pragma once
// Fetches a run's answers ahead of the run while the run takes them strictly in order.
//
//   FetchAhead ahead(std::move(jobs), limits, stop);  // fetching starts here
//   for (size_t k = 0; k < count; ++k) {
//       std::optional<std::string> answer = ahead.Take(k);  // waits for job k's answer
//       if (!answer) break;                                 // stopped before it came
//   }
//
// Politeness: one fetch per host at a time, and a host's fetches go out in job order.
// Memory: answers fetched ahead of the job the run takes next stay within `answerBytes`
// together; an answer that finds no room is dropped and fetched again when the run reaches
// it. An answer is let go when its last job has taken it (a shared answer kept for later
// jobs counts until then).
// Stop: once `stop` is requested no fetch starts; fetches under way go on until their
// own options give them up.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace kestrap {

struct FetchJob {
    std::string host;      // one fetch at a time per host, in job order
    std::string shareKey;  // jobs with the same key (not empty) share one fetch
    // The answer text. Runs on a thread of the scheduler (one at a time: in Take), so it
    // must own or outlive what it uses.
    std::function<std::string()> fetch;
};

struct FetchLimits {
    int fetches = 8;  // at once; 1 or less fetches one at a time on the taking thread
    size_t answerBytes = size_t{16} << 20;  // fetched and waiting to be taken
};

class FetchAhead {
public:
    FetchAhead(std::vector<FetchJob> jobs, FetchLimits limits = {}, std::stop_token stop = {});
    ~FetchAhead();  // waits for the fetches under way to return
    FetchAhead(const FetchAhead&) = delete;
    FetchAhead& operator=(const FetchAhead&) = delete;

    // Job k's answer, waiting until it has come. Jobs are taken in order, each once; a job
    // taken out of turn gets an empty answer. None when the stop came before its fetch
    // started; a fetch under way at the stop is waited for.
    std::optional<std::string> Take(size_t k);

    // the answers fetched ahead of the job the run takes next, in bytes
    size_t HeldBytes() const;

private:
    enum class Stage { Waiting, Running, Done };
    struct Fetch {
        std::function<std::string()> fetch;
        size_t hostIndex = 0;
        int takersLeft = 0;
        Stage stage = Stage::Waiting;
        bool runsWhenTaken = false;  // its answer found no room: fetched again when taken
        std::string answer;
    };
    struct Host {
        std::deque<size_t> queue;  // its fetches not yet done, in job order
    };

    void Work();
    size_t AheadBytes() const;
    bool MayStart(size_t fetch) const;
    std::optional<size_t> NextToStart() const;
    void RunFetch(size_t fetch, std::unique_lock<std::mutex>& guard);
    void Finish(size_t fetch, std::string answer);
    std::string TakeAnswer(Fetch& fetch);
    bool IsRunsNext(size_t fetch) const;

    FetchLimits limits;
    std::stop_token stop;
    std::vector<Fetch> fetches;
    std::vector<size_t> fetchOfJob;
    std::vector<Host> hosts;

    mutable std::mutex lock;
    std::condition_variable_any changed;
    std::set<size_t> ready;  // fetches whose host is free and whose turn it is on that host
    size_t nextJob = 0;
    size_t heldBytes = 0;  // answers done with takers left, the run's next one included
    bool ending = false;
    std::vector<std::jthread> workers;
};

}  // namespace kestrap
