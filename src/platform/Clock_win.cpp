#include <windows.h>

#include "platform/Clock.h"

namespace kestrap {
namespace {

class WindowsClock final : public Clock {
public:
    LocalTime Now() const override {
        SYSTEMTIME local{};
        GetLocalTime(&local);
        return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
    }
};

}  // namespace

const Clock& SystemClock() {
    static const WindowsClock clock;
    return clock;
}

}  // namespace kestrap
