#pragma once
// An HTTP answer taken apart: the code of its status line, its header block and its body.
// The one reader of answers, for the redirect loop and for the feed readers alike, so that
// nothing a body holds is ever taken for a status or a header.
#include <string_view>

namespace kestrap {

struct HttpAnswerParts {
    // the three digits after "HTTP/x.y "; 0 when the answer does not begin with such a line
    int status = 0;
    // the lines after the status line up to the first empty line (or to the end of an
    // answer cut short before it); empty without a status line
    std::string_view headers;
    // what follows the first empty line; the whole answer when it has no status line;
    // empty when the header block never ended
    std::string_view body;
};

HttpAnswerParts ReadHttpAnswer(std::string_view answer);

// The value of the first header line named `name` (any letter case), blanks and tabs
// trimmed; empty when there is none.
std::string_view HeaderValue(const HttpAnswerParts& answer, std::string_view name);

// 301, 302, 303, 307 and 308: the codes whose Location is followed.
bool IsRedirectStatus(int status);

}  // namespace kestrap
