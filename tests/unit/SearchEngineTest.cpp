// The search engine without any window: a recording watcher, real loopback feed servers.
// What a stop does, and that the engine's threads are all done when it says so.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "LoopbackServer.h"
#include "StoreFixture.h"
#include "run/SearchEngine.h"
#include "store/ResultsList.h"

namespace kestrap {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Every event as one line, in the order told.
class RecordingWatcher final : public SearchEvents {
public:
    void Started(const RunStarted& run) override {
        Note("started " + std::to_string(run.cities) + "x" + std::to_string(run.terms));
    }
    void PairStarted(const PairInfo& pair) override { Note("pair " + pair.city); }
    void Retrying(const PairInfo& pair) override { Note("retrying " + pair.city); }
    void PairDone(const PairInfo& pair, const PairResult& done) override {
        Note("done " + pair.city + " " + std::to_string(done.found));
    }
    void Ended(const RunEnded& end) override { Note(end.aborted ? "aborted" : "complete"); }

    std::vector<std::string> Events() const {
        std::lock_guard guard(lock_);
        return events_;
    }
    bool Saw(const std::string& event) const {
        const auto events = Events();
        return std::find(events.begin(), events.end(), event) != events.end();
    }

private:
    void Note(std::string event) {
        std::lock_guard guard(lock_);
        events_.push_back(std::move(event));
    }
    mutable std::mutex lock_;
    std::vector<std::string> events_;
};

class SearchEngineTest : public ::testing::Test {
protected:
    std::unique_ptr<SearchEngine> Engine(std::string_view cities, std::string_view terms) {
        SearchOptions options;
        options.http = QuickHttp(dialer, 10s);  // only the stop may cut a wait short
        options.retryPause = 20ms;
        options.clock = &clock;
        return std::make_unique<SearchEngine>(ReadSearchLines(cities, terms), results, options,
                                              watcher);
    }
    bool WaitUntil(const std::function<bool()>& condition) {
        const auto until = Clock::now() + 5s;
        while (!condition()) {
            if (Clock::now() > until) return false;
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }

    FixedClock clock{{2009, 1, 15, 14, 5, 9}};
    LoopbackDialer dialer;
    ResultsList results;
    RecordingWatcher watcher;
};

// A silent server holds the pair on screen; the two other hosts are slow, so that at the
// stop every fetch that will ever start is under way, and nothing between two of them.
TEST_F(SearchEngineTest, AStopGivesUpASilentServerAfterTheGraceAndAsksNothingMore) {
    for (const bool byDestructor : {false, true}) {
        SCOPED_TRACE(byDestructor ? "destroyed" : "stopped");
        LoopbackServer silent(Script{{ScriptStep::Pause, "", 20s}});
        LoopbackServer slow(Script{{ScriptStep::Pause, "", 5s}, {ScriptStep::Send, HttpOk("")}});
        dialer.Route("a.craigslist.org", silent.Port());
        dialer.Route("b.craigslist.org", slow.Port());
        dialer.Route("c.craigslist.org", slow.Port());
        const size_t dialedBefore = dialer.Dialed().size();
        auto engine = Engine("a\r\nb\r\nc", "bike\r\ncar");
        ASSERT_TRUE(engine->Start());
        ASSERT_TRUE(WaitUntil([&] { return dialer.Dialed().size() == dialedBefore + 3; }));

        const auto stopped = Clock::now();
        if (byDestructor) {
            engine.reset();
        } else {
            engine->RequestStop();
            engine->Wait();
        }
        const auto took = Clock::now() - stopped;
        EXPECT_GE(took, 1900ms) << "the pair on screen had its grace";
        EXPECT_LT(took, 2500ms);
        EXPECT_EQ(watcher.Events().back(), "aborted");
        EXPECT_FALSE(watcher.Saw("done a 0"));
        EXPECT_EQ(dialer.Dialed().size(), dialedBefore + 3) << "a fetch started after the stop";
        // nothing is told once the engine has said it ended
        const size_t told = watcher.Events().size();
        std::this_thread::sleep_for(100ms);
        EXPECT_EQ(watcher.Events().size(), told);
        engine.reset();
    }
}

// The last pair: an answer within the grace completes the run, none aborts it.
TEST_F(SearchEngineTest, AStopDuringTheLastPairCompletesOnlyWhenItsAnswerCameInTime) {
    for (const auto& [pause, ending] : {std::pair{300ms, "complete"}, std::pair{20000ms, "aborted"}}) {
        SCOPED_TRACE(ending);
        LoopbackServer server(
            Script{{ScriptStep::Pause, "", pause}, {ScriptStep::Send, HttpOk("<rdf:RDF/>")}});
        dialer.Route("a.craigslist.org", server.Port());
        auto engine = Engine("a", "bike");
        ASSERT_TRUE(engine->Start());
        ASSERT_TRUE(WaitUntil([&] { return server.ConnectionCount() == 1; }));
        const auto stopped = Clock::now();
        engine->RequestStop();
        engine->Wait();
        EXPECT_LT(Clock::now() - stopped, 2500ms);
        EXPECT_EQ(watcher.Events().back(), ending);
    }
}

// An empty answer is fetched once more, but not once a stop was asked for: neither when the
// stop came during the pause nor when it came while the first fetch was under way.
TEST_F(SearchEngineTest, AnEmptyAnswerIsNotFetchedAgainAfterAStop) {
    LoopbackServer server(Script{{ScriptStep::Pause, "", 300ms}});
    dialer.Route("a.craigslist.org", server.Port());
    auto engine = Engine("a", "bike");
    ASSERT_TRUE(engine->Start());
    ASSERT_TRUE(WaitUntil([&] { return server.ConnectionCount() == 1; }));
    engine->RequestStop();
    engine->Wait();
    EXPECT_EQ(server.ConnectionCount(), 1u);
    EXPECT_TRUE(watcher.Saw("done a -1"));
}

}  // namespace
}  // namespace kestrap
