#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "StoreFixture.h"
#include "app/ControlIds.h"
#include "app/FileSteps.h"
#include "store/ListFiles.h"

namespace kestrap {
namespace {

using ListFilesTest = StoreTest;

TEST(ListBaseName, TakesThePartBeforeTheFirstDotStripped) {
    EXPECT_EQ(ListBaseName("my.results.html"), "my");
    EXPECT_EQ(ListBaseName("  spaced name .html"), "spaced name");
    EXPECT_EQ(ListBaseName("noextension"), "noextension");
    EXPECT_EQ(ListBaseName(" .html"), "kestrap");
}

TEST_F(ListFilesTest, OwnFilesComeBeforeDefaultsAndDefaultsBeforePlaceholders) {
    temp.Write("clsearch.txt", "default term\r\n");
    temp.Write("clcities.txt", "default city\r\n");
    temp.Write("mine.trm", "own term\r\n");
    LoadSearchLists(state, window, "mine");
    EXPECT_EQ(window.Text(IDC_TERMS), "own term\r\n");
    EXPECT_EQ(window.Text(IDC_CITIES), "default city\r\n");

    std::filesystem::remove(temp.File("clsearch.txt"));
    LoadSearchLists(state, window, "other");
    EXPECT_EQ(window.Text(IDC_TERMS), "Enter search terms");
    EXPECT_EQ(window.Text(IDC_CITIES), "default city\r\n");
}

TEST_F(ListFilesTest, LinesAreStrippedEndedWithCrLfAndCutAtCtrlZ) {
    temp.Write("a.cit", "  boston  \r\n\r\n# comment \nlast\x1a" "gone\r\n");
    temp.Write("a.trm", "");
    LoadSearchLists(state, window, "a");
    EXPECT_EQ(window.Text(IDC_CITIES), "boston\r\n\r\n# comment\r\nlast\r\n");
    EXPECT_EQ(window.Text(IDC_TERMS), "");
}

TEST_F(ListFilesTest, SaveWritesTheBoxesExactlyAndAnUneditedListReadsBackTheSame) {
    temp.Write("clsearch.txt", "default\r\n");
    window.SetText(IDC_CITIES, "boston\r\n  toronto.kijiji.ca");
    window.SetText(IDC_TERMS, "car,red bike\r\n#x\r\n");
    ASSERT_TRUE(SaveSearchLists(state, window, "kestrap"));
    EXPECT_EQ(temp.Read("kestrap.cit"), "boston\r\n  toronto.kijiji.ca");
    EXPECT_EQ(temp.Read("kestrap.trm"), "car,red bike\r\n#x\r\n");
    EXPECT_EQ(temp.Read("clsearch.txt"), "default\r\n");

    LoadSearchLists(state, window, "kestrap");
    ASSERT_TRUE(SaveSearchLists(state, window, "kestrap"));
    EXPECT_EQ(temp.Read("kestrap.cit"), "boston\r\ntoronto.kijiji.ca\r\n");
}

TEST_F(ListFilesTest, AFailedWriteNamesItsFileAndTheOtherIsStillWritten) {
    std::filesystem::create_directory(temp.File("r.cit"));
    window.SetText(IDC_TERMS, "bike\r\n");
    std::vector<std::string> failed;
    EXPECT_FALSE(SaveSearchLists(state, window, "r", &failed));
    // the file and the system's reason, "(Is a directory)" or "(Access denied)"
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].rfind(temp.File("r.cit") + " (", 0), 0u) << failed[0];
    EXPECT_GT(failed[0].size(), temp.File("r.cit").size() + 3);
    EXPECT_EQ(failed[0].back(), ')');
    EXPECT_EQ(temp.Read("r.trm"), "bike\r\n");
}

}  // namespace
}  // namespace kestrap
