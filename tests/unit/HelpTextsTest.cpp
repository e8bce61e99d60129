// Context help and the results-list menu's texts.
#include <gtest/gtest.h>

#include "app/ControlIds.h"
#include "app/HelpTexts.h"

namespace kestrap {
namespace {

TEST(HelpText, PiecesJoinWithoutGapsAndLabelsHaveNone) {
    std::string_view terms = HelpText(IDC_TERMS);
    EXPECT_NE(terms.find("Lines should be in the format 'section,term'."), std::string_view::npos);
    EXPECT_NE(terms.find("'clt' for collectables, and so on"), std::string_view::npos);
    EXPECT_NE(terms.find("If the search is on kijiji,"), std::string_view::npos);
    std::string_view cities = HelpText(IDC_CITIES);
    EXPECT_NE(cities.find("otherwise enter a full URL (ie. '"), std::string_view::npos);
    EXPECT_NE(cities.find("') to specify the site to search."), std::string_view::npos);
    EXPECT_NE(cities.find("supported. A line that begins with http:// or https:// is a feed address"),
              std::string_view::npos);
    for (int id : std::initializer_list<int>{IDC_RESULTS_FILE_LABEL, IDC_CITIES_LABEL, IDC_TERMS_LABEL, IDC_STATUS1,
                   IDC_STATUS2, IDC_STATUS3, 0, -1})
        EXPECT_TRUE(HelpText(id).empty()) << id;
}

TEST(ListCountMenuText, GroupsThousandsAndStaysPlural) {
    EXPECT_EQ(ListCountMenuText(0), "List contains 0 items.");
    EXPECT_EQ(ListCountMenuText(1), "List contains 1 items.");
    EXPECT_EQ(ListCountMenuText(1234), "List contains 1,234 items.");
    EXPECT_EQ(ListCountMenuText(10000), "List contains 10,000 items.");
}

TEST(MenuMiddleX, HalvesGoToEven) {
    EXPECT_EQ(MenuMiddleX(100, 300), 200);
    EXPECT_EQ(MenuMiddleX(100, 301), 200);  // 200.5
    EXPECT_EQ(MenuMiddleX(100, 303), 202);  // 201.5
    EXPECT_EQ(MenuMiddleX(-301, -100), -200);  // -200.5, a list on a monitor left of the main one
}

}  // namespace
}  // namespace kestrap
