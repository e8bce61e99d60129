#include "search/FetchAhead.h"

#include <algorithm>
#include <map>
#include <system_error>
#include <utility>

namespace kestrap {

FetchAhead::FetchAhead(std::vector<FetchJob> jobs, FetchLimits limits) : limits(limits) {
    std::map<std::string, size_t> hostIndex;
    std::map<std::string, size_t> shared;
    fetchOfJob.reserve(jobs.size());
    for (FetchJob& job : jobs) {
        if (!job.shareKey.empty()) {
            auto found = shared.find(job.shareKey);
            if (found != shared.end()) {
                ++fetches[found->second].takersLeft;
                fetchOfJob.push_back(found->second);
                continue;
            }
            shared.emplace(job.shareKey, fetches.size());
        }
        auto [host, added] = hostIndex.emplace(job.host, hosts.size());
        if (added) hosts.emplace_back();
        hosts[host->second].queue.push_back(fetches.size());
        fetchOfJob.push_back(fetches.size());
        fetches.push_back({std::move(job.fetch), host->second, 1, Stage::Waiting, {}});
    }
    for (const Host& host : hosts) ready.insert(host.queue.front());

    if (limits.fetches <= 1) return;
    const size_t wanted = std::min(static_cast<size_t>(limits.fetches), fetches.size());
    try {
        for (size_t i = 0; i < wanted; ++i) workers.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
        // fewer threads fetch less at once; with none, Take fetches on its own thread
    }
}

FetchAhead::~FetchAhead() {
    Stop();
    for (std::thread& worker : workers) worker.join();
}

void FetchAhead::Stop() {
    std::lock_guard<std::mutex> guard(lock);
    stopping = true;
    for (Fetch& fetch : fetches) std::string().swap(fetch.answer);
    changed.notify_all();
}

// Workers take the earliest ready fetch. When the fetch the run waits for has not started,
// it is that earliest one: every fetch of an earlier job has been taken, so done, and its
// host is free. It starts even at the bound, which then only shared answers kept for later
// jobs can have filled; otherwise nothing would ever be taken again.
bool FetchAhead::MayStart(size_t fetch) const {
    if (nextJob < fetchOfJob.size() && fetch == fetchOfJob[nextJob]) return true;
    return holding < limits.answers;
}

void FetchAhead::Work() {
    std::unique_lock<std::mutex> guard(lock);
    while (true) {
        changed.wait(guard,
                     [this] { return stopping || (!ready.empty() && MayStart(*ready.begin())); });
        if (stopping) return;
        const size_t next = *ready.begin();
        ready.erase(ready.begin());
        fetches[next].stage = Stage::Running;
        ++holding;
        guard.unlock();
        std::string answer = fetches[next].fetch();
        guard.lock();
        Finish(next, std::move(answer));
    }
}

// Called with the lock held.
void FetchAhead::Finish(size_t fetch, std::string answer) {
    Fetch& done = fetches[fetch];
    done.stage = Stage::Done;
    if (!stopping) done.answer = std::move(answer);
    Host& host = hosts[done.hostIndex];
    host.queue.pop_front();
    if (!host.queue.empty()) ready.insert(host.queue.front());
    changed.notify_all();
}

// Called with the lock held; the last taker gets the answer itself, earlier ones a copy.
std::string FetchAhead::TakeAnswer(Fetch& fetch) {
    if (--fetch.takersLeft > 0) return fetch.answer;
    --holding;
    return std::exchange(fetch.answer, std::string());
}

std::string FetchAhead::Take(size_t k) {
    std::unique_lock<std::mutex> guard(lock);
    if (stopping || k != nextJob || k >= fetchOfJob.size()) return {};
    Fetch& fetch = fetches[fetchOfJob[k]];
    if (workers.empty() && fetch.stage == Stage::Waiting) {
        // one at a time: the fetch runs here, and its turn on its host has come, since every
        // earlier job was taken
        ready.erase(fetchOfJob[k]);
        fetch.stage = Stage::Running;
        ++holding;
        guard.unlock();
        std::string answer = fetch.fetch();
        guard.lock();
        Finish(fetchOfJob[k], std::move(answer));
    }
    changed.wait(guard, [&] { return stopping || fetch.stage == Stage::Done; });
    if (stopping) return {};
    ++nextJob;
    std::string answer = TakeAnswer(fetch);
    changed.notify_all();
    return answer;
}

}  // namespace kestrap
