#include "platform/SystemError.h"

#include <cstring>

namespace kestrap {

std::string SystemMessage(SystemError code) {
    char buffer[256] = {};
    // the GNU strerror_r may answer with a static text instead of filling the buffer
    const char* text = strerror_r(code, buffer, sizeof buffer);
    std::string message = text && *text ? text : "Error " + std::to_string(code);
    while (!message.empty() && (message.back() == '.' || message.back() == ' ')) message.pop_back();
    return message;
}

}  // namespace kestrap
