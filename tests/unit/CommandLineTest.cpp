#include <gtest/gtest.h>

#include <string>

#include "app/CommandLine.h"

namespace kestrap {
namespace {

struct GoodCase {
    const char* arguments;
    RunMode mode;
    const char* resultsFile;
    bool openBrowser;
};

TEST(ParseCommandLine, AcceptsTheWindowAndTheScheduledSearch) {
    const GoodCase cases[] = {
        {"", RunMode::Window, "", false},
        {"  \t ", RunMode::Window, "", false},
        {"/search", RunMode::ScheduledSearch, "", false},
        {"/SEARCH", RunMode::ScheduledSearch, "", false},
        {"-Search", RunMode::ScheduledSearch, "", false},
        {"/search cars.html", RunMode::ScheduledSearch, "cars.html", false},
        {"/search cars.html /open", RunMode::ScheduledSearch, "cars.html", true},
        {"/open /search", RunMode::ScheduledSearch, "", true},
        {"cars.html /search", RunMode::ScheduledSearch, "cars.html", false},
        {"/search \"my old cars.html\"", RunMode::ScheduledSearch, "my old cars.html", false},
        {"/search my   old cars.html -OPEN", RunMode::ScheduledSearch, "my old cars.html", true},
        {"/search C:\\ads\\\"new cars\".html", RunMode::ScheduledSearch, "C:\\ads\\new cars.html",
         false},
        {"/search \"/open.html\"", RunMode::ScheduledSearch, "/open.html", false},
        {"/search \"cars.html", RunMode::ScheduledSearch, "cars.html", false},
        {"/search \"\"", RunMode::ScheduledSearch, "", false},
        {"/search \"\" cars.html", RunMode::ScheduledSearch, "cars.html", false},
    };
    for (const GoodCase& c : cases) {
        CommandLine line = ParseCommandLine(c.arguments);
        EXPECT_EQ(line.mode, c.mode) << c.arguments << ": " << line.problem;
        EXPECT_EQ(line.resultsFile, c.resultsFile) << c.arguments;
        EXPECT_EQ(line.openBrowser, c.openBrowser) << c.arguments;
    }
}

TEST(ParseCommandLine, QuietGoesWithTheScheduledSearch) {
    const struct {
        const char* arguments;
        bool quiet;
        bool openBrowser;
    } cases[] = {
        {"/search", false, false},
        {"/search /quiet", true, false},
        {"-QUIET cars /search /open", true, true},
        {"/search \"/quiet\"", false, false},  // a results file of that name
    };
    for (const auto& c : cases) {
        CommandLine line = ParseCommandLine(c.arguments);
        EXPECT_EQ(line.mode, RunMode::ScheduledSearch) << c.arguments << ": " << line.problem;
        EXPECT_EQ(line.quiet, c.quiet) << c.arguments;
        EXPECT_EQ(line.openBrowser, c.openBrowser) << c.arguments;
    }
}

TEST(ParseCommandLine, RefusesWhatItDoesNotKnowAndSaysWhat) {
    const struct {
        const char* arguments;
        const char* named;  // what the problem must quote
    } cases[] = {
        {"/searc", "/searc"},
        {"/search /x", "/x"},
        {"/search /search", "/search"},
        {"/search /open /open", "/open"},
        {"/", "/"},
        {"/search a.html /open b.html", "b.html"},
        {"/search -results.html", "-results.html"},
        {"cars.html", "/search"},
        {"/open", "/search"},
        {"/quiet", "/search"},
        {"/search /quiet -quiet", "-quiet"},
    };
    for (const auto& c : cases) {
        CommandLine line = ParseCommandLine(c.arguments);
        EXPECT_EQ(line.mode, RunMode::BadUsage) << c.arguments;
        EXPECT_NE(line.problem.find(c.named), std::string::npos)
            << c.arguments << ": " << line.problem;
        EXPECT_NE(UsageText(line.problem).find(line.problem), std::string::npos);
    }
}

}  // namespace
}  // namespace kestrap
