#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "StoreFixture.h"
#include "app/ControlIds.h"
#include "store/ListFiles.h"

namespace kestrap {
namespace {

using ListFilesTest = StoreTest;

TEST(ListBaseName, TakesThePartBeforeTheFirstDotStripped) {
    EXPECT_EQ(ListBaseName("kestrap.html"), "kestrap");
    EXPECT_EQ(ListBaseName("my.results.html"), "my");
    EXPECT_EQ(ListBaseName("results.old.html"), ListBaseName("results.html"));
    EXPECT_EQ(ListBaseName("  spaced name .html"), "spaced name");
    EXPECT_EQ(ListBaseName("noextension"), "noextension");
    EXPECT_EQ(ListBaseName(".html"), "kestrap");
    EXPECT_EQ(ListBaseName("   .x"), "kestrap");
    EXPECT_EQ(ListBaseName(""), "kestrap");
}

TEST_F(ListFilesTest, OwnFilesComeBeforeDefaultsAndDefaultsBeforePlaceholders) {
    temp.Write("clsearch.txt", "default term\r\n");
    temp.Write("clcities.txt", "default city\r\n");
    temp.Write("mine.trm", "own term\r\n");
    LoadSearchLists(state, window, "mine");
    EXPECT_EQ(window.Text(IDC_TERMS), "own term\r\n");
    EXPECT_EQ(window.Text(IDC_CITIES), "default city\r\n");

    std::filesystem::remove(temp.File("clcities.txt"));
    LoadSearchLists(state, window, "other");
    EXPECT_EQ(window.Text(IDC_TERMS), "default term\r\n");
    EXPECT_EQ(window.Text(IDC_CITIES), "Enter city list here");

    std::filesystem::remove(temp.File("clsearch.txt"));
    LoadSearchLists(state, window, "other");
    EXPECT_EQ(window.Text(IDC_TERMS), "Enter search terms");
}

TEST_F(ListFilesTest, TermsAreFilledBeforeCities) {
    LoadSearchLists(state, window, "none");
    std::vector<std::string> calls = window.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], "SetText 1008 Enter search terms");
    EXPECT_EQ(calls[1], "SetText 1007 Enter city list here");
}

TEST_F(ListFilesTest, LinesAreStrippedAndEndedWithCrLf) {
    temp.Write("a.cit", "  boston  \r\n\r\n# comment \r\n\ttab\t\r\nlast");
    LoadSearchLists(state, window, "a");
    EXPECT_EQ(window.Text(IDC_CITIES), "boston\r\n\r\n# comment\r\n\ttab\t\r\nlast\r\n");
}

TEST_F(ListFilesTest, CtrlZEndsTheFileAndEmptyFilesGiveEmptyBoxes) {
    temp.Write("a.trm", "bike\r\ncar\x1a" "hidden\r\nmore\r\n");
    temp.Write("a.cit", "");
    LoadSearchLists(state, window, "a");
    EXPECT_EQ(window.Text(IDC_TERMS), "bike\r\ncar\r\n");
    EXPECT_EQ(window.Text(IDC_CITIES), "");
}

TEST_F(ListFilesTest, BareLineFeedsAlsoEndLines) {
    temp.Write("a.trm", "bike\nsofa\n");
    LoadSearchLists(state, window, "a");
    EXPECT_EQ(window.Text(IDC_TERMS), "bike\r\nsofa\r\n");
}

TEST_F(ListFilesTest, SaveWritesBoxTextsExactlyAndLeavesDefaultsAlone) {
    temp.Write("clsearch.txt", "default\r\n");
    window.SetText(IDC_CITIES, "boston\r\n  toronto.kijiji.ca");
    window.SetText(IDC_TERMS, "car,red bike\r\n#x\r\n");
    ASSERT_TRUE(SaveSearchLists(state, window, "kestrap"));
    EXPECT_EQ(temp.Read("kestrap.cit"), "boston\r\n  toronto.kijiji.ca");
    EXPECT_EQ(temp.Read("kestrap.trm"), "car,red bike\r\n#x\r\n");
    EXPECT_EQ(temp.Read("clsearch.txt"), "default\r\n");
}

TEST_F(ListFilesTest, ALoadedListSavedUnchangedComesBackNormalised) {
    temp.Write("r.trm", " bike \r\n\r\n  #car,x\r\nsofa");
    LoadSearchLists(state, window, "r");
    ASSERT_TRUE(SaveSearchLists(state, window, "r"));
    EXPECT_EQ(temp.Read("r.trm"), "bike\r\n\r\n#car,x\r\nsofa\r\n");
    LoadSearchLists(state, window, "r");
    EXPECT_EQ(window.Text(IDC_TERMS), "bike\r\n\r\n#car,x\r\nsofa\r\n");
}

TEST_F(ListFilesTest, AFailedWriteNamesItsFileAndTheOtherIsStillWritten) {
    std::filesystem::create_directory(temp.File("r.cit"));  // a folder where the file belongs
    window.SetText(IDC_CITIES, "boston\r\n");
    window.SetText(IDC_TERMS, "bike\r\n");
    std::vector<std::string> failed;
    EXPECT_FALSE(SaveSearchLists(state, window, "r", &failed));
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0], temp.File("r.cit"));
    EXPECT_EQ(temp.Read("r.trm"), "bike\r\n");
}

}  // namespace
}  // namespace kestrap
