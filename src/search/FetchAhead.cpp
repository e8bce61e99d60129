#include "search/FetchAhead.h"

#include <algorithm>
#include <map>
#include <system_error>
#include <utility>

namespace kestrap {

FetchAhead::FetchAhead(std::vector<FetchJob> jobs, FetchLimits limits, std::stop_token stop)
    : limits(limits), stop(std::move(stop)) {
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
        fetches.push_back({std::move(job.fetch), host->second, 1, Stage::Waiting, false, {}});
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
    {
        std::lock_guard guard(lock);
        ending = true;
    }
    changed.notify_all();
    workers.clear();  // joins them
}

// Called with the lock held.
bool FetchAhead::IsRunsNext(size_t fetch) const {
    return nextJob < fetchOfJob.size() && fetchOfJob[nextJob] == fetch;
}

// Called with the lock held. The answer the run is about to take is not ahead of it.
size_t FetchAhead::AheadBytes() const {
    if (nextJob >= fetchOfJob.size()) return heldBytes;
    const Fetch& next = fetches[fetchOfJob[nextJob]];
    return next.stage == Stage::Done ? heldBytes - next.answer.size() : heldBytes;
}

// The fetch the run waits for always may start: every fetch of an earlier job has been
// taken, so done, and its host is free. Any other needs room for its answer.
bool FetchAhead::MayStart(size_t fetch) const {
    if (IsRunsNext(fetch)) return true;
    return !fetches[fetch].runsWhenTaken && AheadBytes() < limits.answerBytes;
}

// Workers take the earliest ready fetch that may start.
std::optional<size_t> FetchAhead::NextToStart() const {
    for (size_t fetch : ready)
        if (MayStart(fetch)) return fetch;
    return std::nullopt;
}

void FetchAhead::Work() {
    std::unique_lock guard(lock);
    while (true) {
        std::optional<size_t> next;
        changed.wait(guard, stop, [&] { return ending || (next = NextToStart()).has_value(); });
        if (ending || stop.stop_requested()) return;
        RunFetch(*next, guard);
    }
}

// Called with the lock held, which is let go while the fetch runs.
void FetchAhead::RunFetch(size_t fetch, std::unique_lock<std::mutex>& guard) {
    ready.erase(fetch);
    fetches[fetch].stage = Stage::Running;
    guard.unlock();
    std::string answer = fetches[fetch].fetch();
    guard.lock();
    Finish(fetch, std::move(answer));
}

// Called with the lock held.
void FetchAhead::Finish(size_t fetch, std::string answer) {
    Fetch& done = fetches[fetch];
    const size_t room = limits.answerBytes - std::min(AheadBytes(), limits.answerBytes);
    if (!IsRunsNext(fetch) && answer.size() > room) {
        // held, it would pass the bound: its host waits until the run gets there
        done.stage = Stage::Waiting;
        done.runsWhenTaken = true;
        ready.insert(fetch);
        changed.notify_all();
        return;
    }
    done.stage = Stage::Done;
    heldBytes += answer.size();
    done.answer = std::move(answer);
    Host& host = hosts[done.hostIndex];
    host.queue.pop_front();
    if (!host.queue.empty()) ready.insert(host.queue.front());
    changed.notify_all();
}

// Called with the lock held; the last taker gets the answer itself, earlier ones a copy.
std::string FetchAhead::TakeAnswer(Fetch& fetch) {
    if (--fetch.takersLeft > 0) return fetch.answer;
    heldBytes -= fetch.answer.size();
    return std::exchange(fetch.answer, std::string());
}

size_t FetchAhead::HeldBytes() const {
    std::lock_guard guard(lock);
    return AheadBytes();
}

std::optional<std::string> FetchAhead::Take(size_t k) {
    std::unique_lock guard(lock);
    if (k != nextJob || k >= fetchOfJob.size()) return std::string();
    const size_t index = fetchOfJob[k];
    Fetch& fetch = fetches[index];
    if (workers.empty() && fetch.stage == Stage::Waiting) {
        // one at a time: the fetch runs here, and its turn on its host has come, since every
        // earlier job was taken
        if (stop.stop_requested()) return std::nullopt;
        RunFetch(index, guard);
    }
    changed.wait(guard, stop, [&] { return fetch.stage == Stage::Done; });
    if (fetch.stage == Stage::Waiting) return std::nullopt;  // stopped before it started
    // a fetch under way at the stop ends as its options let it
    changed.wait(guard, [&] { return fetch.stage == Stage::Done; });
    ++nextJob;
    std::string answer = TakeAnswer(fetch);
    changed.notify_all();
    return answer;
}

}  // namespace kestrap
