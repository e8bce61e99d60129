#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "FakeWindow.h"
#include "LoopbackServer.h"
#include "app/UpdateOffer.h"
#include "app/Window.h"
#include "desktop/UpdateCheck.h"

namespace kestrap {
namespace {

std::string Page(std::string_view version) {
    return HttpOk("<html><body><h1>Kestrap</h1><!--kestrapver-->" + std::string(version) +
                  "<!--endkestrapver--><p>notes</p></body></html>");
}

TEST(PageVersion, ReadsTheVersionBetweenTheMarkersInHundredths) {
    EXPECT_EQ(PageVersion(Page("1.10")), 110);
    EXPECT_EQ(PageVersion(Page("1.1")), 110);
    EXPECT_EQ(PageVersion(Page("2")), 200);
    EXPECT_EQ(PageVersion(Page(" 1.2")), 120);
    EXPECT_EQ(PageVersion(Page("1.05 beta")), 105);
}

TEST(PageVersion, RoundsExactHalvesToTheEvenNeighbour) {
    EXPECT_EQ(PageVersion(Page("1.125")), 112);
    EXPECT_EQ(PageVersion(Page("1.375")), 138);
}

TEST(PageVersion, IsZeroWhenThePageNamesNoNumber) {
    EXPECT_EQ(PageVersion(Page("v1.2")), 0);
    EXPECT_EQ(PageVersion(Page("")), 0);
    EXPECT_EQ(PageVersion(HttpOk("<html>no markers here</html>")), 0);
    EXPECT_EQ(PageVersion(""), 0);
}

TEST(PageVersion, ReadsToTheEndWhenTheEndMarkerIsMissing) {
    EXPECT_EQ(PageVersion(HttpOk("<!--kestrapver-->1.07")), 107);
    EXPECT_EQ(PageVersion(HttpOk("<!--endkestrapver--> <!--kestrapver-->1.08")), 108);
}

TEST(PageVersion, StaysInRangeForAbsurdVersions) {
    EXPECT_EQ(PageVersion(Page("1e300")), INT_MAX);
    EXPECT_EQ(PageVersion(Page("-1e300")), INT_MIN);
}

class CheckForUpdateTest : public testing::Test {
protected:
    // serves `page` as the update page and runs the check against it
    void CheckWith(Script page) {
        LoopbackServer server(std::move(page));
        LoopbackDialer dialer{{"www.orvane.net", server.Port()}};
        CheckForUpdate(window, QuickHttp(dialer));
        requests = server.Requests();
    }

    FakeWindow window;
    std::vector<std::string> requests;
};

TEST_F(CheckForUpdateTest, OffersANewerVersion) {
    window.QueueAnswer(AnswerNo);
    CheckWith(Answer(Page("1.10")));

    ASSERT_EQ(window.Asks().size(), 1u);
    EXPECT_EQ(window.Asks()[0].text,
              "A new version exists (1.10). Would you like to visit the software's homepage?");
    EXPECT_EQ(window.Asks()[0].caption, "Update Available");
    EXPECT_EQ(window.Asks()[0].flags, unsigned{BoxYesNo | BoxIconQuestion});
    EXPECT_TRUE(window.Opened().empty());

    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].rfind("GET /blog/kestrap/ HTTP/1.0\r\nHost: www.orvane.net\r\n", 0), 0u);
}

TEST_F(CheckForUpdateTest, OpensTheHomepageOnYes) {
    window.QueueAnswer(AnswerYes);
    CheckWith(Answer(Page("2")));

    ASSERT_EQ(window.Asks().size(), 1u);
    EXPECT_EQ(window.Asks()[0].text,
              "A new version exists (2.00). Would you like to visit the software's homepage?");
    EXPECT_EQ(window.Opened(), std::vector<std::string>{"http://www.orvane.net/blog/kestrap/"});
}

TEST_F(CheckForUpdateTest, ShowsAShortVersionWithTwoDecimals) {
    CheckWith(Answer(Page(" 1.2")));
    ASSERT_EQ(window.Asks().size(), 1u);
    EXPECT_EQ(window.Asks()[0].text,
              "A new version exists (1.20). Would you like to visit the software's homepage?");
}

TEST_F(CheckForUpdateTest, StaysSilentUnlessThePageIsNewer) {
    for (const char* version : {"1.04", "0.99", "v1.2", "", "1.044"}) {
        SCOPED_TRACE(version);
        CheckWith(Answer(Page(version)));
    }
    CheckWith(Answer(HttpNotFound()));
    EXPECT_TRUE(window.Asks().empty());
    EXPECT_TRUE(window.Opened().empty());
}

TEST_F(CheckForUpdateTest, StaysSilentWhenTheServerCannotBeReached) {
    ClosedPort closed;
    LoopbackDialer dialer{{"www.orvane.net", closed.Port()}};
    CheckForUpdate(window, QuickHttp(dialer));
    EXPECT_TRUE(window.Calls().empty());
}

}  // namespace
}  // namespace kestrap
