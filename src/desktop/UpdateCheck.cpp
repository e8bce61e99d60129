#include "desktop/UpdateCheck.h"

#include <algorithm>
#include <climits>
#include <string>

#include "app/State.h"
#include "app/Window.h"
#include "common/Text.h"
#include "common/Version.h"
#include "search/Http.h"

namespace kestrap {

int PageVersion(std::string_view answer) {
    std::string_view text = TextBetween(answer, "<!--kestrapver-->", "<!--endkestrapver-->");
    if (text.empty()) return 0;
    // a page naming an absurd version must not overflow into a small or negative one
    int64_t hundredths = RoundHalfEven(ReadNumber(text) * 100);
    return static_cast<int>(std::clamp<int64_t>(hundredths, INT_MIN, INT_MAX));
}

void CheckForUpdate(Window& window, const HttpOptions& http) {
    int version = PageVersion(HttpGet(UpdateHost, UpdatePath, http));
    if (version <= ProgramVersion) return;
    std::string text = "A new version exists (" + FormatTwoDecimals(version / 100.0) +
                       "). Would you like to visit the software's homepage?";
    if (window.Ask(text, "Update Available", BoxYesNo | BoxIconQuestion) == AnswerYes) {
        window.Open("http://" + std::string(UpdateHost) + std::string(UpdatePath));
    }
}

}  // namespace kestrap
