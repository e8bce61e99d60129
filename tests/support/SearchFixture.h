#pragma once
// Tests of whole search runs: a real worker thread searching loopback feed servers through
// a fake window, in a program folder of its own.
#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "LoopbackServer.h"
#include "StoreFixture.h"
#include "app/ControlIds.h"
#include "app/SearchRun.h"

namespace kestrap {

inline bool WaitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class SearchTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        state.http = QuickHttp(dialer);
        state.retryPause = std::chrono::milliseconds(20);
    }
    // the worker uses the state, the window and the dialer: never leave it running
    void TearDown() override { EXPECT_TRUE(WaitUntilIdle()) << "the search did not end"; }

    bool WaitUntilIdle() { return window.WaitUntilSearchesEnded(); }

    void Search(std::string_view cities, std::string_view terms) {
        window.SetText(IDC_CITIES, cities);
        window.SetText(IDC_TERMS, terms);
        PressSearchButton(state, window);
    }
    void SearchToEnd(std::string_view cities, std::string_view terms) {
        Search(cities, terms);
        ASSERT_TRUE(WaitUntilIdle());
    }

    // every text the bottom status line was given, in order
    std::vector<std::string> BottomLines() const {
        const std::string prefix = "SetText " + std::to_string(IDC_STATUS3) + " ";
        std::vector<std::string> lines;
        for (const auto& call : window.Calls())
            if (call.rfind(prefix, 0) == 0) lines.push_back(call.substr(prefix.size()));
        return lines;
    }
    int Said(std::string_view line) const {
        auto lines = BottomLines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), line));
    }
    // every status line as it ended up: a post writes the middle line just before the
    // bottom one, an append writes the bottom line alone
    std::vector<std::string> StatusLines() const {
        const std::string middle = "SetText " + std::to_string(IDC_STATUS2) + " ";
        const std::string bottom = "SetText " + std::to_string(IDC_STATUS3) + " ";
        std::vector<std::string> lines;
        std::string previous;
        for (const auto& call : window.Calls()) {
            if (call.rfind(bottom, 0) == 0) {
                std::string text = call.substr(bottom.size());
                if (previous.rfind(middle, 0) == 0 || lines.empty())
                    lines.push_back(text);
                else
                    lines.back() = text;
            }
            previous = call;
        }
        return lines;
    }
    bool Shows(std::string_view line) const {
        auto lines = StatusLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    std::vector<int> ProgressSteps() const {
        std::vector<int> steps;
        for (const auto& call : window.Calls())
            if (call.rfind("SetProgress ", 0) == 0) steps.push_back(std::stoi(call.substr(12)));
        return steps;
    }

    // the taskbar calls as "3/6", and "none" for none
    std::vector<std::string> TaskbarSteps() const {
        std::vector<std::string> steps;
        for (const auto& call : window.Calls())
            if (call.rfind("Taskbar ", 0) == 0) steps.push_back(call.substr(8));
        return steps;
    }

    LoopbackDialer dialer;
};

}  // namespace kestrap
