// How the program copes with faults around it: hostile and broken feeds, a full disk,
// read-only and vanished files, and a user who keeps acting while a search runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "FullDisk.h"
#include "SearchFixture.h"
#include "app/Commands.h"
#include "app/ControlIds.h"
#include "app/ResultsListBox.h"
#include "app/SearchRun.h"
#include "search/FeedScan.h"
#include "store/ResultEntry.h"

namespace kestrap {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

struct Ad {
    std::string title;
    std::string link;
    std::string date = "2008-01-15T10:00:00-05:00";
};

std::string FeedBody(const std::vector<Ad>& ads) {
    std::string feed = "<rdf:RDF><channel><title>feed</title></channel>\n";
    for (const Ad& ad : ads)
        feed += "<item><title>" + ad.title + "</title><link>" + ad.link + "</link><dc:date>" +
                ad.date + "</dc:date></item>\n";
    return feed + "</rdf:RDF>\n";
}

std::string Feed(const std::vector<Ad>& ads) { return HttpOk(FeedBody(ads)); }

class Faults : public SearchTest {
protected:
    // files in the program folder, temporary ones included
    std::vector<std::string> FolderNames() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(temp.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::vector<std::string> EntriesWithoutTags() const {
        std::vector<std::string> entries = state.results.Entries();
        for (auto& entry : entries)
            if (IsTaggedNew(entry)) entry.resize(entry.size() - std::string_view(" || NEW").size());
        return entries;
    }
};

// --- feeds ---------------------------------------------------------------------------------

TEST_F(Faults, NulAndHighBytesSurviveTheRunASaveAndALoad) {
    const std::string nul(1, '\0');
    const std::vector<Ad> ads = {
        {"caf\xe9" + nul + " \x80\x8e\x99\xa5 \xff", "http://x/\xe9" + nul + "\xff/1",
         "2008" + nul + "\xff\x80-15T10:00:00"},
        {nul + nul, "http://x/2" + nul, "2008-01-14T10:00:00"},
    };
    // stray bytes between the tags as well
    std::string body = FeedBody(ads);
    body.insert(body.find("<item>"), nul + "\xff\xfe" + nul);
    LoopbackServer server(Answer(HttpOk(body)));
    dialer.Route("boston.craigslist.org", server.Port());

    SearchToEnd("boston", "bike");
    EXPECT_EQ(Said("Searching in boston for bike (sss)... found 2 items, 2 are new."), 1);
    const std::vector<std::string> found = EntriesWithoutTags();
    ASSERT_EQ(found.size(), 2u);
    // the link is held as an address: its NUL byte as %00
    EXPECT_EQ(found[0], "2008" + nul + "\xff\x80-15 || " + ads[0].title + " || http://x/\xe9%00\xff/1");

    window.TypeResultsFileName("odd.html");
    SaveCommand(state, window);
    EXPECT_TRUE(window.Asks().empty());
    LoadCommand(state, window);
    std::vector<std::string> loaded = state.results.Entries();
    std::vector<std::string> expected = found;
    std::sort(loaded.begin(), loaded.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(loaded, expected);

    // read back, every ad is known: nothing is new the next time
    SearchToEnd("boston", "bike");
    EXPECT_EQ(Said("Searching in boston for bike (sss)... found 2 items, 0 are new."), 1);
}

TEST_F(Faults, AMegabyteTitleIsCutAndItsAdStaysOneAd) {
    LoopbackServer server(Answer(Feed({{std::string(1 << 20, 'T'), "http://x/big"}})));
    dialer.Route("boston.craigslist.org", server.Port());

    SearchToEnd("boston", "bike");
    ASSERT_EQ(state.results.Count(), 1);
    const std::string entry = state.results.Entries()[0];
    EXPECT_EQ(ResultField(entry, 2), std::string(MaxFieldBytes, 'T'));
    EXPECT_EQ(ResultField(entry, 3), "http://x/big");
    ASSERT_EQ(window.ListItems().size(), 1u);
    EXPECT_LE(window.ListItems()[0].size(), 511u);

    SearchToEnd("boston", "bike");
    EXPECT_EQ(Said("Searching in boston for bike (sss)... found 1 items, 0 are new."), 1);
    EXPECT_EQ(state.results.Count(), 1);
}

TEST_F(Faults, AFeedCutByAResetKeepsItsWholeItemsAndTheRunGoesOn) {
    std::string answer = Feed({{"a", "http://x/1"}, {"b", "http://x/2"}, {"c", "http://x/3"}});
    answer.resize(answer.find("</rdf:RDF>"));
    LoopbackServer cut(ResetAfter(answer + "<item><title>half", 100ms));
    LoopbackServer whole(Answer(Feed({{"d", "http://y/1"}})));
    dialer.Route("boston.craigslist.org", cut.Port());
    dialer.Route("chicago.craigslist.org", whole.Port());

    SearchToEnd("boston\r\nchicago", "bike");
    for (const char* link : {"http://x/1", "http://x/2", "http://x/3", "http://y/1"})
        EXPECT_TRUE(FindResultByLink(state, link)) << link;
    EXPECT_EQ(Said("Searching in chicago for bike (sss)... found 1 items, 1 are new."), 1);
    EXPECT_EQ(BottomLines().back(), "Search Complete");
}

TEST_F(Faults, BarsInATitleOrBlanksAroundALinkMakeNoDuplicates) {
    LoopbackServer server(Answer(Feed(
        {{"bike || like new |||", "http://x/1"}, {"blanks", "  http://x/2  "}, {"again", "http://x/2"},
         {"bars", "http://x/3||4"}})));
    dialer.Route("boston.craigslist.org", server.Port());

    SearchToEnd("boston", "bike");
    EXPECT_EQ(Said("Searching in boston for bike (sss)... found 4 items, 3 are new."), 1);
    ASSERT_EQ(state.results.Count(), 3);
    const std::string entry = state.results.Entries()[0];
    EXPECT_EQ(ResultField(entry, 3), "http://x/1");
    EXPECT_TRUE(IsTaggedNew(entry));

    // the same ads again, in this run and after a save and a load
    SearchToEnd("boston", "bike");
    EXPECT_EQ(Said("Searching in boston for bike (sss)... found 4 items, 0 are new."), 1);
    SaveCommand(state, window);
    LoadCommand(state, window);
    ASSERT_EQ(state.results.Count(), 3);
    EXPECT_TRUE(FindResultByLink(state, "http://x/1"));
    SearchToEnd("boston", "bike");
    EXPECT_EQ(Said("Searching in boston for bike (sss)... found 4 items, 0 are new."), 2);
}

TEST_F(Faults, AResultsFileWhoseTitlesHoldBarsKeepsItsLinks) {
    temp.Write("bars.html", "<li>2008-01-15 <a href=\"http://x/1\">a || b</a></li>\r\n"
                            "<li>2008-01-15 <a href=\"http://x/2\">||</a></li>\r\n");
    window.TypeResultsFileName("bars.html");
    LoadCommand(state, window);
    EXPECT_TRUE(FindResultByLink(state, "http://x/1"));
    EXPECT_TRUE(FindResultByLink(state, "http://x/2"));
    window.SelectListItem(0);
    OpenResultLink(window);
    EXPECT_EQ(window.Opened(), std::vector<std::string>{"http://x/1"});
}

// --- files ---------------------------------------------------------------------------------

class FaultyDisk : public Faults {
protected:
    // a first Save that worked, then a search that found more
    void SaveOnceThenFindMore(int more) {
        ASSERT_TRUE(AddNewResult(state, window, "2008-03-04", "first", "http://a/1"));
        window.SetText(IDC_CITIES, "boston\r\n");
        window.SetText(IDC_TERMS, "bike\r\n");
        window.TypeResultsFileName("kept.html");
        SaveCommand(state, window);
        ASSERT_TRUE(window.Asks().empty());
        oldResults = temp.Read("kept.html");
        oldSettings = temp.Read("kestrap.ini");
        ASSERT_NE(oldResults.find("http://a/1"), std::string::npos);
        for (int i = 0; i < more; ++i)
            ASSERT_TRUE(AddNewResult(state, window, "2008-03-05", std::string(100, 'n'),
                                     "http://b/" + std::to_string(i)));
        window.ClearCalls();
        openedBefore = window.Opened().size();
    }
    std::vector<std::string> Captions() const {
        std::vector<std::string> captions;
        for (const auto& ask : window.Asks()) captions.push_back(ask.caption);
        return captions;
    }

    bool OpenedNothingMore() const { return window.Opened().size() == openedBefore; }

    std::string oldResults;
    std::string oldSettings;
    size_t openedBefore = 0;
};

TEST_F(FaultyDisk, AFullDiskKeepsTheOldFileWholeAndTheResultsUnsaved) {
    SaveOnceThenFindMore(200);  // some 30 KB of results
    const auto before = FolderNames();
    {
        FullDisk full(4096);
        if (!full.Works()) GTEST_SKIP() << "no way to fill the disk here";
        SaveCommand(state, window);
    }
    EXPECT_EQ(Captions(), std::vector<std::string>{"Save failed"});
    // the file with the system's own words for the fault
    EXPECT_NE(window.Asks()[0].text.find(temp.File("kept.html") + " ("), std::string::npos);
    EXPECT_EQ(temp.Read("kept.html"), oldResults);
    EXPECT_EQ(FolderNames(), before);  // no temporary file left behind
    EXPECT_EQ(state.unsavedResults, 1);
    EXPECT_TRUE(OpenedNothingMore());

    // with room again, the same results are saved whole
    SaveCommand(state, window);
    EXPECT_EQ(Captions().size(), 1u);
    EXPECT_EQ(state.unsavedResults, 0);
    LoadCommand(state, window);
    EXPECT_EQ(state.results.Count(), 201);
}

TEST_F(FaultyDisk, AReadOnlyResultsFileIsNotReplaced) {
    SaveOnceThenFindMore(3);
    fs::permissions(temp.File("kept.html"), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    SaveCommand(state, window);
    fs::permissions(temp.File("kept.html"), fs::perms::owner_write, fs::perm_options::add);

    EXPECT_EQ(Captions(), std::vector<std::string>{"Save failed"});
    EXPECT_EQ(temp.Read("kept.html"), oldResults);
    EXPECT_EQ(state.unsavedResults, 1);
    EXPECT_TRUE(OpenedNothingMore());
    // the lists and the settings do not depend on the results file
    EXPECT_EQ(temp.Read("kept.cit"), "boston\r\n");
    EXPECT_NE(temp.Read("kestrap.ini"), "");

    // closing now asks, since nothing new reached the disk
    window.QueueAnswer(AnswerNo);
    EXPECT_FALSE(CloseCommand(state, window));
    EXPECT_EQ(window.Asks().back().caption, "Really exit?");
}

TEST_F(FaultyDisk, AVanishedProgramFolderIsReportedOnSaveAndOnClose) {
    SaveOnceThenFindMore(1);
    state.programFolder = temp.File("gone/");
    SaveCommand(state, window);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Settings not saved", "Save failed"}));
    const std::string text = window.Asks()[1].text;
    for (const char* name : {"gone/kept.cit", "gone/kept.trm", "gone/kept.html"})
        EXPECT_NE(text.find(temp.File(name)), std::string::npos) << name;
    EXPECT_EQ(state.unsavedResults, 1);
    EXPECT_TRUE(OpenedNothingMore());

    // the user may still leave: the settings failure is told, the window closes
    window.QueueAnswer(AnswerYes);
    EXPECT_TRUE(CloseCommand(state, window));
    EXPECT_EQ(Captions().back(), "Settings not saved");
    state.programFolder = temp.Path();
    EXPECT_EQ(temp.Read("kestrap.ini"), oldSettings);
}

// --- the window during a run ---------------------------------------------------------------

TEST_F(Faults, CommandsDuringARunAreRefusedAndACloseLeavesWholeFiles) {
    ASSERT_TRUE(AppendLoadedResult(state, window, "2001-01-01 || very old || http://old/1"));
    temp.Write("kestrap.html", "untouched");
    const Script slow = {{ScriptStep::Pause, "", 400ms}, {ScriptStep::Send, Feed({{"t", "http://x/1"}})}};
    LoopbackServer server(slow);
    for (const char* city : {"boston", "chicago", "denver", "miami"})
        dialer.Route(std::string(city) + ".craigslist.org", server.Port());
    state.fetchLimits = {1};  // the run must still be going after its second fetch

    Search("boston\r\nchicago\r\ndenver\r\nmiami", "bike");
    ASSERT_TRUE(WaitFor([&] { return state.unsavedResults == 1 && server.ConnectionCount() >= 2; }));
    window.ClearCalls();
    window.TypeResultsFileName("kestrap.html");

    DeleteAllCommand(state, window);
    DeleteOldCommand(state, window);
    LoadCommand(state, window);
    SaveCommand(state, window);
    RecentPickCommand(state, window);
    EXPECT_TRUE(window.Asks().empty());
    EXPECT_TRUE(FindResultByLink(state, "http://old/1"));
    EXPECT_EQ(temp.Read("kestrap.html"), "untouched");

    window.QueueAnswer(AnswerNo);
    EXPECT_FALSE(CloseCommand(state, window));
    EXPECT_FALSE(temp.Exists("kestrap.ini"));
    for (int press = 0; press < 5; ++press) PressSearchButton(state, window);
    EXPECT_EQ(state.searchState, SearchAbortRequested);
    window.QueueAnswer(AnswerYes);
    EXPECT_TRUE(CloseCommand(state, window));

    // the settings are written whole while the worker goes on; the results stay unsaved
    EXPECT_NE(temp.Read("kestrap.ini").find("results: kestrap.html\r\n"), std::string::npos);
    EXPECT_EQ(temp.Read("kestrap.html"), "untouched");
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(Said("Search aborted."), 1);
    EXPECT_EQ(Said("Search Complete"), 0);
    EXPECT_EQ(window.Text(IDC_SEARCH), "Search Now");
}

}  // namespace
}  // namespace kestrap
