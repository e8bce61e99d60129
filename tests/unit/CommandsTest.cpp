// The results-list menu commands and the close request.
#include <gtest/gtest.h>

#include "FakeWindow.h"
#include "StoreFixture.h"
#include "TempFolder.h"
#include "app/Commands.h"
#include "app/State.h"
#include "app/ResultsListBox.h"

namespace kestrap {
namespace {

class Commands : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        state.programFolder = temp.Path();
        ASSERT_TRUE(AppendLoadedResult(state, window, OldEntry("2001-01-01", "very old", "http://a/1")));
        ASSERT_TRUE(AppendLoadedResult(state, window, OldEntry("2999-01-01", "future", "http://a/2")));
    }
    AppState state;
    FakeWindow window;
};

TEST_F(Commands, DeleteCommandsAreRefusedWhileASearchRuns) {
    for (int running : {SearchRunning, SearchAbortRequested}) {
        state.searchState = running;
        DeleteAllCommand(state, window);
        DeleteOldCommand(state, window);
    }
    EXPECT_EQ(state.results.Count(), 2);
    EXPECT_EQ(window.ListItems().size(), 2u);
    EXPECT_TRUE(window.Asks().empty());

    state.searchState = SearchIdle;
    DeleteOldCommand(state, window);
    EXPECT_EQ(state.results.Count(), 1);
    DeleteAllCommand(state, window);
    EXPECT_EQ(state.results.Count(), 0);
    ASSERT_EQ(window.Asks().size(), 2u);
    EXPECT_EQ(window.Asks()[1].caption, "List cleared");
}

TEST_F(Commands, CloseWithUnsavedResultsAsksAndOnlyYesCloses) {
    state.unsavedResults = 1;
    window.QueueAnswer(AnswerNo);
    EXPECT_FALSE(CloseCommand(state, window));
    window.QueueAnswer(AnswerCancel);
    EXPECT_FALSE(CloseCommand(state, window));
    EXPECT_FALSE(temp.Exists("kestrap.ini"));
    EXPECT_EQ(state.unsavedResults, 1);

    window.QueueAnswer(AnswerYes);
    EXPECT_TRUE(CloseCommand(state, window));
    EXPECT_TRUE(temp.Exists("kestrap.ini"));
    auto asks = window.Asks();
    ASSERT_EQ(asks.size(), 3u);
    EXPECT_EQ(asks[0].text, "You have unsaved results. Are you sure you want to exit without saving?");
    EXPECT_EQ(asks[0].caption, "Really exit?");
    EXPECT_EQ(asks[0].flags, BoxYesNo | BoxIconQuestion);
}

TEST_F(Commands, CloseWithNothingUnsavedClosesAtOnceAndWritesSettings) {
    EXPECT_TRUE(CloseCommand(state, window));
    EXPECT_TRUE(window.Asks().empty());
    EXPECT_TRUE(temp.Exists("kestrap.ini"));
}

}  // namespace
}  // namespace kestrap
