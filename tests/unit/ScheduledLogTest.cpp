#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "TempFolder.h"
#include "store/ScheduledLog.h"

namespace kestrap {
namespace {

const LocalTime When{2024, 5, 1, 9, 3, 7};

TEST(ScheduledLogLine, TellsWhatTheRunFoundOrWhyItCouldNot) {
    const struct {
        ScheduledRunSummary run;
        const char* line;
    } cases[] = {
        {{"cars.html", ScheduledRunProblem::None, 6, 120, 3, 1},
         "2024-05-01 09:03:07  cars.html  6 pairs, 120 items found, 3 new ads, 1 failed fetches"},
        {{"cars.html", ScheduledRunProblem::SaveFailed, 2, 10, 4, 0},
         "2024-05-01 09:03:07  cars.html  2 pairs, 10 items found, 4 new ads, 0 failed fetches; "
         "could not save the results file or its lists"},
        {{"my cars.html", ScheduledRunProblem::NoCitiesOrTerms},
         "2024-05-01 09:03:07  my cars.html  could not run: no cities or no search terms"},
        {{"", ScheduledRunProblem::BadCommandLine},
         "2024-05-01 09:03:07  -  could not run: bad command line"},
        {{"two\r\nlines\t.html", ScheduledRunProblem::WindowOpen},
         "2024-05-01 09:03:07  two??lines?.html  could not run: the window is open on this "
         "program folder"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ScheduledLogLine(When, c.run), std::string(c.line) + "\r\n");
    }
}

using ScheduledLogTest = TempFolderTest;

TEST_F(ScheduledLogTest, AppendsWholeLinesEvenFromSeveralWritersAtOnce) {
    temp.Write("kestrap.log", "earlier line\r\n");
    const ScheduledRunSummary run{"cars.html", ScheduledRunProblem::None, 1, 2, 3, 4};
    const std::string line = ScheduledLogLine(When, run);
    std::vector<std::thread> writers;
    for (int w = 0; w < 4; ++w) {
        writers.emplace_back([&] {
            for (int i = 0; i < 50; ++i) EXPECT_TRUE(AppendScheduledLog(temp.Path(), When, run));
        });
    }
    for (std::thread& writer : writers) writer.join();

    std::string expected = "earlier line\r\n";
    for (int i = 0; i < 200; ++i) expected += line;
    EXPECT_EQ(temp.Read("kestrap.log"), expected);
}

TEST_F(ScheduledLogTest, ALogPastItsBoundKeepsItsLastThousandLines) {
    const ScheduledRunSummary run{"cars.html", ScheduledRunProblem::None, 1, 2, 3, 4};
    const std::string line = ScheduledLogLine(When, run);
    struct Case {
        int earlierLines;
        size_t lineBytes;
        int keptEarlier;  // the earlier lines still there after one more run
    } cases[] = {
        {2000, 100, 2000},  // 200 KB: within the bound
        {3000, 100, 999},   // 300 KB: trimmed, the new line last
        {10, 30000, 999},   // past the bound in fewer lines: all kept
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.earlierLines);
        std::string earlier;
        for (int i = 0; i < c.earlierLines; ++i) {
            std::string text = "line " + std::to_string(i) + " ";
            earlier += text + std::string(c.lineBytes - text.size() - 2, 'x') + "\r\n";
        }
        temp.Write("kestrap.log", earlier);
        ASSERT_TRUE(AppendScheduledLog(temp.Path(), When, run));
        const std::string log = temp.Read("kestrap.log");
        const int kept = std::min(c.keptEarlier, c.earlierLines);
        EXPECT_EQ(log, earlier.substr(earlier.size() - kept * c.lineBytes) + line);
    }
}

TEST_F(ScheduledLogTest, MissingFolderIsAFailureNotACrash) {
    EXPECT_FALSE(AppendScheduledLog(temp.File("missing/"), When, {}));
    EXPECT_FALSE(temp.Exists("missing"));
}

}  // namespace
}  // namespace kestrap
