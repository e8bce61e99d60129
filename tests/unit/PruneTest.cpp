#include <gtest/gtest.h>

#include <vector>

#include "StoreFixture.h"
#include "app/Commands.h"
#include "store/Prune.h"

namespace kestrap {
namespace {

TEST(PruneCutoff, GoesBackTwoCalendarMonthsKeepingTheDay) {
    EXPECT_EQ(PruneCutoff("01-15-2009"), "2008-11-15");
    EXPECT_EQ(PruneCutoff("02-28-2009"), "2008-12-28");
    EXPECT_EQ(PruneCutoff("03-31-2009"), "2009-01-31");
    EXPECT_EQ(PruneCutoff("04-30-2009"), "2009-02-30");
    EXPECT_EQ(PruneCutoff("12-01-0999"), "0999-10-01");
}

using PruneTest = StoreTest;

TEST_F(PruneTest, RemovesEntriesBeforeTheCutoffAndRefillsNewestFirst) {
    // today 01-15-2009: cutoff 2008-11-15
    for (const auto& entry : {OldEntry("2008-11-14", "day before", "http://a/1"),
                              NewEntry("2008-11-15", "on the cutoff", "http://a/2"),
                              OldEntry("2009-01-10", "a", "http://a/3"),
                              OldEntry("-00-00", "malformed", "http://a/4"),
                              OldEntry("2009-01-10", "b", "http://a/5")}) {
        state.results.Add(entry);
    }
    state.unsavedResults = 0;
    PruneOldResults(state, window);

    std::vector<ResultEntry> expected = {OldEntry("2009-01-10", "b", "http://a/5"),
                                         OldEntry("2009-01-10", "a", "http://a/3"),
                                         NewEntry("2008-11-15", "on the cutoff", "http://a/2")};
    EXPECT_EQ(state.results.Entries(), expected);
    EXPECT_EQ(window.ListItems(), EntryTexts(expected));
    EXPECT_FALSE(state.results.ContainsLink("http://a/1"));
    ASSERT_EQ(window.Asks().size(), 1u);
    EXPECT_EQ(window.Asks()[0].text,
              "Found and cleared 2 item(s) older than two months (2008-11-15) found.");
    EXPECT_EQ(window.Asks()[0].caption, "List cleared");
    EXPECT_EQ(window.Asks()[0].flags, 0x40u);
    EXPECT_EQ(state.unsavedResults, 0);
}

TEST_F(PruneTest, NothingOldLeavesListAndBoxAlone) {
    clock.Set({2009, 4, 30, 0, 0, 0});  // cutoff 2009-02-30
    state.results.Add(OldEntry("2009-02-30", "a", "http://a/1"));
    state.results.Add(OldEntry("2009-03-01", "b", "http://a/2"));
    window.ListAppend("shown in its own order");
    PruneOldResults(state, window);
    EXPECT_EQ(state.results.Entries()[0], OldEntry("2009-02-30", "a", "http://a/1"));
    EXPECT_EQ(window.ListItems(), std::vector<std::string>{"shown in its own order"});
    ASSERT_EQ(window.Asks().size(), 1u);
    EXPECT_EQ(window.Asks()[0].text, "No items older than two months (2009-02-30) found.");
    EXPECT_EQ(window.Asks()[0].caption, "Not needed");
}

}  // namespace
}  // namespace kestrap
