#pragma once
// A program folder of its own, a fake window and a fixed clock for tests of the file
// commands and the files they read and write.
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "FakeWindow.h"
#include "TempFolder.h"
#include "app/State.h"
#include "platform/Clock.h"
#include "store/ResultEntry.h"

namespace kestrap {

// gtest shows an entry as the list box would
inline void PrintTo(const ResultEntry& entry, std::ostream* out) { *out << EntryText(entry); }

// an entry as a search adds it, and as a load reads it
inline ResultEntry NewEntry(std::string_view date, std::string_view title, std::string_view link) {
    return NewResultEntry(date, title, link);
}
inline ResultEntry OldEntry(std::string_view date, std::string_view title, std::string_view link) {
    return {std::string(date), std::string(title), EntryLink(link), false};
}

inline std::vector<std::string> EntryTexts(const std::vector<ResultEntry>& entries) {
    std::vector<std::string> texts;
    for (const ResultEntry& entry : entries) texts.push_back(EntryText(entry));
    return texts;
}

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

    FixedClock clock{{2009, 1, 15, 14, 5, 9}};
    FakeWindow window;
    AppState state;
};

}  // namespace kestrap
