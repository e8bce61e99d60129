#pragma once
// Fetches a run's answers ahead of the run while the run takes them strictly in order.
//
//   FetchAhead ahead(std::move(jobs));       // fetching starts here
//   for (size_t k = 0; k < count; ++k) {
//       if (aborted) { ahead.Stop(); break; }
//       std::string answer = ahead.Take(k);  // waits for job k's answer
//   }
//
// Politeness: one fetch per host at a time, and a host's fetches go out in job order.
// Memory: fetches under way plus answers not yet taken stay within `answers`; an answer
// is dropped when its last job has taken it.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
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
    int answers = 8;  // held at once, fetches under way included
};

class FetchAhead {
public:
    explicit FetchAhead(std::vector<FetchJob> jobs, FetchLimits limits = {});
    ~FetchAhead();  // stops, then waits for the fetches under way to return
    FetchAhead(const FetchAhead&) = delete;
    FetchAhead& operator=(const FetchAhead&) = delete;

    // Job k's answer, waiting until it has come. Jobs are taken in order, each once; a job
    // taken out of turn, or any job after Stop, gets an empty answer.
    std::string Take(size_t k);

    // No fetch starts from here on; answers of fetches under way are thrown away. Returns
    // at once: the fetching threads end as their fetches return.
    void Stop();

private:
    enum class Stage { Waiting, Running, Done };
    struct Fetch {
        std::function<std::string()> fetch;
        size_t hostIndex = 0;
        int takersLeft = 0;
        Stage stage = Stage::Waiting;
        std::string answer;
    };
    struct Host {
        std::deque<size_t> queue;  // its fetches not yet done, in job order
    };

    void Work();
    bool MayStart(size_t fetch) const;
    void Finish(size_t fetch, std::string answer);
    std::string TakeAnswer(Fetch& fetch);

    FetchLimits limits;
    std::vector<Fetch> fetches;
    std::vector<size_t> fetchOfJob;
    std::vector<Host> hosts;

    std::mutex lock;
    std::condition_variable changed;
    std::set<size_t> ready;  // fetches whose host is free and whose turn it is on that host
    size_t nextJob = 0;
    int holding = 0;  // fetches under way plus answers with takers left
    bool stopping = false;
    std::vector<std::thread> workers;
};

}  // namespace kestrap
