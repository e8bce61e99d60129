#pragma once
// A program folder of its own, a fake window and a fixed clock for tests of the file
// commands and the files they read and write.
#include <string>
#include <string_view>

#include "FakeWindow.h"
#include "TempFolder.h"
#include "app/State.h"
#include "platform/Clock.h"

namespace kestrap {

class FixedClock : public Clock {
public:
    explicit FixedClock(LocalTime now) : now_(now) {}
    LocalTime Now() const override { return now_; }
    void Set(LocalTime now) { now_ = now; }

private:
    LocalTime now_;
};

class StoreTest : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        state.programFolder = temp.Path();
        state.clock = &clock;
    }
    // an entry as a search adds it
    static std::string NewEntry(std::string_view date, std::string_view title, std::string_view link) {
        return std::string(date) + " || " + std::string(title) + " || " + std::string(link) + " || NEW";
    }
    static std::string OldEntry(std::string_view date, std::string_view title, std::string_view link) {
        return std::string(date) + " || " + std::string(title) + " || " + std::string(link);
    }

    FixedClock clock{{2009, 1, 15, 14, 5, 9}};
    FakeWindow window;
    AppState state;
};

}  // namespace kestrap
