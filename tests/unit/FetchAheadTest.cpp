#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "LoopbackServer.h"
#include "search/FetchAhead.h"
#include "search/Http.h"

namespace kestrap {
namespace {

using Clock = std::chrono::steady_clock;

milliseconds Since(Clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
}

std::string Host(int h) { return "city" + std::to_string(h) + ".test"; }
std::string PathOf(int job) { return "/job" + std::to_string(job); }

// `hosts` x `perHost` jobs in run order host by host, each one GET of its own path.
std::vector<FetchJob> HttpJobs(int hosts, int perHost, const HttpOptions& http) {
    std::vector<FetchJob> jobs;
    for (int h = 0; h < hosts; ++h) {
        for (int t = 0; t < perHost; ++t) {
            const std::string host = Host(h);
            const std::string path = PathOf(h * perHost + t);
            jobs.push_back({host, "", [host, path, http] { return HttpGet(host, path, http); }});
        }
    }
    return jobs;
}

// Every path answers with its own text after a delay of its own.
Chooser DelayedEcho(std::map<std::string, milliseconds> delays) {
    return [delays = std::move(delays)](const Request& request) {
        auto found = delays.find(request.path);
        milliseconds delay = found == delays.end() ? milliseconds(0) : found->second;
        return Script{{ScriptStep::Pause, {}, delay},
                      {ScriptStep::Send, HttpOk(request.host + request.path)}};
    };
}

std::map<std::string, milliseconds> RandomDelays(int jobs, int maxMs, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delay(0, maxMs);
    std::map<std::string, milliseconds> delays;
    for (int job = 0; job < jobs; ++job) delays[PathOf(job)] = milliseconds(delay(random));
    return delays;
}

void RouteHosts(LoopbackDialer& dialer, int hosts, std::uint16_t port) {
    for (int h = 0; h < hosts; ++h) dialer.Route(Host(h), port);
}

std::vector<std::string> TakeAll(FetchAhead& ahead, size_t count) {
    std::vector<std::string> answers;
    for (size_t k = 0; k < count; ++k) answers.push_back(ahead.Take(k).value_or("(none)"));
    return answers;
}

// The server notes a visit just after it closes, which the client may see first.
std::vector<Visit> VisitsOnceThere(const LoopbackServer& server, size_t count) {
    const auto until = Clock::now() + milliseconds(2000);
    while (server.Visits().size() < count && Clock::now() < until)
        std::this_thread::sleep_for(milliseconds(5));
    return server.Visits();
}

// most connections open at one moment
size_t MostAtOnce(const std::vector<Visit>& visits) {
    size_t most = 0;
    for (const Visit& visit : visits) {
        size_t open = static_cast<size_t>(
            std::count_if(visits.begin(), visits.end(), [&](const Visit& other) {
                return other.start <= visit.start && visit.start < other.end;
            }));
        most = std::max(most, open);
    }
    return most;
}

// --- politeness as the server sees it -------------------------------------------------------

TEST(FetchAhead, AsksEachHostOneAtATimeInRunOrderAndAtMostEightAtOnce) {
    constexpr int Hosts = 12, PerHost = 3;
    // the second bound leaves room for about two answers: the others wait for the run
    for (const FetchLimits limits : {FetchLimits{}, FetchLimits{8, 2 * HttpOk("city1.test/job1").size()}}) {
        SCOPED_TRACE(limits.answerBytes);
        LoopbackServer server(DelayedEcho(RandomDelays(Hosts * PerHost, 40, 7)));
        LoopbackDialer dialer;
        RouteHosts(dialer, Hosts, server.Port());
        std::vector<Visit> visits;
        {
            FetchAhead ahead(HttpJobs(Hosts, PerHost, QuickHttp(dialer, milliseconds(3000))),
                             limits);
            const std::vector<std::string> answers = TakeAll(ahead, Hosts * PerHost);
            for (int job = 0; job < Hosts * PerHost; ++job)
                EXPECT_EQ(answers[job], HttpOk(Host(job / PerHost) + PathOf(job))) << job;
            EXPECT_LE(ahead.HeldBytes(), limits.answerBytes);
        }
        visits = VisitsOnceThere(server, Hosts * PerHost);
        std::sort(visits.begin(), visits.end(),
                  [](const Visit& a, const Visit& b) { return a.start < b.start; });
        std::map<std::string, std::vector<Visit>> byHost;
        for (const Visit& visit : visits) byHost[visit.host].push_back(visit);
        for (int h = 0; h < Hosts; ++h) {
            std::vector<Visit> seen = byHost[Host(h)];
            for (size_t v = 1; v < seen.size(); ++v) {
                EXPECT_GE(seen[v].start, seen[v - 1].end) << Host(h) << " asked twice at once";
            }
            // an answer that found no room is asked again, right after the first time
            seen.erase(std::unique(seen.begin(), seen.end(),
                                   [](const Visit& a, const Visit& b) { return a.path == b.path; }),
                       seen.end());
            ASSERT_EQ(seen.size(), static_cast<size_t>(PerHost)) << Host(h);
            for (int t = 0; t < PerHost; ++t) EXPECT_EQ(seen[t].path, PathOf(h * PerHost + t));
        }
        const size_t most = MostAtOnce(visits);
        EXPECT_LE(most, 8u);
        EXPECT_GE(most, 2u) << "nothing was fetched ahead";
    }
}

// --- the same answers as one at a time ----------------------------------------------------

TEST(FetchAhead, GivesTheSameAnswersInTheSameOrderAsOneAtATime) {
    // shared keys repeat per host, as the term lines of one feed address do
    constexpr int Jobs = 60;
    std::mt19937 random(11);
    std::uniform_int_distribution<int> delay(0, 15);
    std::vector<int> delays(Jobs);
    for (int& d : delays) d = delay(random);

    auto run = [&](FetchLimits limits, std::map<std::string, int>& calls) {
        std::mutex callLock;
        std::vector<FetchJob> jobs;
        for (int job = 0; job < Jobs; ++job) {
            const std::string host = Host(job % 7);
            const std::string key = job % 5 == 0 ? "" : host + "/feed" + std::to_string(job % 3);
            const std::string text = key.empty() ? "own " + std::to_string(job) : key;
            jobs.push_back({host, key, [&, text, d = delays[job]] {
                                std::this_thread::sleep_for(milliseconds(d));
                                std::lock_guard<std::mutex> guard(callLock);
                                ++calls[text];
                                return text;
                            }});
        }
        FetchAhead ahead(std::move(jobs), limits);
        return TakeAll(ahead, Jobs);
    };
    std::map<std::string, int> oneCalls, aheadCalls;
    const std::vector<std::string> one = run({1}, oneCalls);
    const std::vector<std::string> ahead = run({}, aheadCalls);

    EXPECT_EQ(ahead, one);
    EXPECT_EQ(aheadCalls, oneCalls);
    for (const auto& [text, count] : aheadCalls) EXPECT_EQ(count, 1) << text << " fetched again";
}

// --- memory -------------------------------------------------------------------------------

TEST(FetchAhead, AnswersWaitingStayWithinTheirBytesAndOneWithoutRoomComesWhenTaken) {
    constexpr int Jobs = 40;
    constexpr size_t Bound = 1000;
    std::mt19937 random(5);
    std::uniform_int_distribution<int> delay(0, 10);
    std::mutex callLock;
    std::map<int, int> calls;
    std::vector<FetchJob> jobs;
    for (int job = 0; job < Jobs; ++job) {
        jobs.push_back({Host(job), "", [&, job, d = delay(random)] {
                            std::this_thread::sleep_for(milliseconds(d));
                            std::lock_guard<std::mutex> guard(callLock);
                            ++calls[job];
                            return std::string(100 * (1 + job % 4), 'a' + job % 26);
                        }});
    }
    FetchAhead ahead(std::move(jobs), FetchLimits{8, Bound});
    for (int job = 0; job < Jobs; ++job) {
        std::this_thread::sleep_for(milliseconds(3));  // a slow run: the answers pile up
        EXPECT_LE(ahead.HeldBytes(), Bound);
        EXPECT_EQ(ahead.Take(job), std::string(100 * (1 + job % 4), 'a' + job % 26)) << job;
    }
    int again = 0;
    for (const auto& [job, count] : calls) {
        EXPECT_LE(count, 2) << job;
        again += count - 1;
    }
    EXPECT_EQ(calls.size(), static_cast<size_t>(Jobs));
    EXPECT_GT(again, 0) << "the bound never mattered";
}

TEST(FetchAhead, MovesOnWhenSharedAnswersKeptForLaterJobsFillTheBound) {
    // jobs 0-7 and 16-23 share eight answers, which stay held across jobs 8-15
    std::vector<FetchJob> jobs;
    for (int job = 0; job < 24; ++job) {
        const bool shared = job < 8 || job >= 16;
        const std::string key = shared ? "feed" + std::to_string(job % 8) : "";
        const std::string text = shared ? key : std::to_string(job);
        jobs.push_back({Host(shared ? job % 8 : job), key, [text] { return text; }});
    }
    // the shared answers alone fill the bound
    std::stop_source stop;
    FetchAhead ahead(std::move(jobs), FetchLimits{8, 8 * 5}, stop.get_token());
    std::atomic<bool> done{false};
    std::thread stopper([&] {
        const auto until = Clock::now() + milliseconds(5000);
        while (!done && Clock::now() < until) std::this_thread::sleep_for(milliseconds(5));
        stop.request_stop();
    });
    const std::vector<std::string> answers = TakeAll(ahead, 24);
    done = true;
    stopper.join();
    for (int job = 0; job < 24; ++job) {
        const bool shared = job < 8 || job >= 16;
        EXPECT_EQ(answers[job], shared ? "feed" + std::to_string(job % 8) : std::to_string(job))
            << job;
    }
}

// --- stopping -----------------------------------------------------------------------------

TEST(FetchAhead, StopStartsNothingMoreAndEndsWithinOneFetch) {
    constexpr int Hosts = 10, PerHost = 6;
    std::map<std::string, milliseconds> delays;
    for (int job = 0; job < Hosts * PerHost; ++job) delays[PathOf(job)] = milliseconds(50);
    LoopbackServer server(DelayedEcho(delays));
    LoopbackDialer dialer;
    RouteHosts(dialer, Hosts, server.Port());
    std::stop_source stop;
    auto ahead = std::make_unique<FetchAhead>(
        HttpJobs(Hosts, PerHost, QuickHttp(dialer, milliseconds(3000))), FetchLimits{},
        stop.get_token());

    for (size_t k = 0; k < 4; ++k) EXPECT_TRUE(ahead->Take(k).has_value());
    stop.request_stop();
    const auto stopped = Clock::now();
    const size_t dialedAtStop = dialer.Dialed().size();
    ahead.reset();
    EXPECT_LT(Since(stopped), milliseconds(1500));

    // at most the fetches that had been handed out but not yet dialled when it stopped
    const size_t dialed = dialer.Dialed().size();
    EXPECT_LE(dialed, dialedAtStop + 8);
    EXPECT_LT(dialed, static_cast<size_t>(Hosts * PerHost));
}

TEST(FetchAhead, AStopWaitsForTheFetchUnderWayAndStartsNoOther) {
    std::atomic<int> calls{0};
    const auto slow = [&calls] {
        ++calls;
        std::this_thread::sleep_for(milliseconds(300));
        return std::string("late");
    };
    for (const FetchLimits limits : {FetchLimits{}, FetchLimits{1}}) {
        calls = 0;
        std::stop_source stop;
        FetchAhead ahead({{"slow.test", "", slow}, {"slow.test", "", slow}}, limits,
                         stop.get_token());
        std::thread stopper([&] {
            std::this_thread::sleep_for(milliseconds(50));
            stop.request_stop();
        });
        EXPECT_EQ(ahead.Take(0), "late");
        EXPECT_EQ(ahead.Take(1), std::nullopt);
        stopper.join();
        EXPECT_EQ(calls, 1);
    }
}

// --- a host that never answers ------------------------------------------------------------

TEST(FetchAhead, AHostThatNeverAnswersHoldsBackOnlyItsOwnJobs) {
    // job 2 and job 12 go to a host that stays silent; every other host answers at once
    constexpr int Jobs = 16;
    constexpr milliseconds Wait{1500};
    LoopbackServer server([](const Request& request) {
        if (request.host == "silent.test")
            return Script{{ScriptStep::Pause, {}, milliseconds(20000)}};
        return Answer(HttpOk(request.path));
    });
    LoopbackDialer dialer;
    dialer.Route("silent.test", server.Port());
    std::vector<FetchJob> jobs;
    const HttpOptions http = QuickHttp(dialer, Wait);
    for (int job = 0; job < Jobs; ++job) {
        const std::string host = job == 2 || job == 12 ? "silent.test" : Host(job);
        dialer.Route(host, server.Port());
        const std::string path = PathOf(job);
        jobs.push_back({host, "", [host, path, http] { return HttpGet(host, path, http); }});
    }
    const auto start = Clock::now();
    FetchAhead ahead(std::move(jobs));

    EXPECT_EQ(ahead.Take(0), HttpOk(PathOf(0)));
    EXPECT_EQ(ahead.Take(1), HttpOk(PathOf(1)));
    // while job 2 waits, the other places fetch every job but the silent host's next one
    std::this_thread::sleep_for(milliseconds(700));
    EXPECT_EQ(server.Visits().size(), static_cast<size_t>(Jobs - 2));
    EXPECT_EQ(ahead.Take(2), "");
    EXPECT_GE(Since(start), Wait - milliseconds(100));

    const auto afterSilence = Clock::now();
    for (int job = 3; job < 10; ++job) EXPECT_EQ(ahead.Take(job), HttpOk(PathOf(job)));
    EXPECT_LT(Since(afterSilence), milliseconds(300)) << "answers that were there had to wait";
    for (int job = 10; job < 12; ++job) EXPECT_EQ(ahead.Take(job), HttpOk(PathOf(job)));
    EXPECT_EQ(ahead.Take(12), "");
    for (int job = 13; job < Jobs; ++job) EXPECT_EQ(ahead.Take(job), HttpOk(PathOf(job)));
}

}  // namespace
}  // namespace kestrap
