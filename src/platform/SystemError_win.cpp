#include "platform/SystemError.h"

#include <windows.h>

#include <cstdio>

namespace kestrap {

std::string SystemMessage(SystemError code) {
    char buffer[512] = {};
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(code), 0, buffer, sizeof buffer, nullptr);
    std::string message(buffer, length);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' ||
                                message.back() == '.' || message.back() == ' ')) {
        message.pop_back();
    }
    if (!message.empty()) return message;
    // HRESULTs read best in hex, Win32 codes in decimal
    char number[32];
    std::snprintf(number, sizeof number, code < 0 ? "Error 0x%08lX" : "Error %lu",
                  static_cast<unsigned long>(static_cast<DWORD>(code)));
    return number;
}

}  // namespace kestrap
