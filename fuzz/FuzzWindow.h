#pragma once
// A window without a screen for the file readers' fuzz targets: it keeps texts, the
// drop-down's items and selection, and counts list-box lines; message boxes answer Cancel.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/Window.h"

namespace kestrap {

class FuzzWindow : public Window {
public:
    std::string Text(int control) override { return texts[control]; }
    void SetText(int control, std::string_view text) override { texts[control] = std::string(text); }
    void Enable(int, bool) override {}
    int Ask(std::string_view, std::string_view, unsigned) override { return AnswerCancel; }
    void Open(std::string_view) override {}
    void ListInsertTop(std::string_view) override { ++listLines; }
    void ListAppend(std::string_view) override { ++listLines; }
    void ListReset() override { listLines = 0; }
    std::string ListSelectedText() override { return {}; }
    int ComboCount() override { return static_cast<int>(items.size()); }
    std::string ComboItem(int index) override {
        return index >= 0 && index < ComboCount() ? items[index] : std::string();
    }
    int ComboAdd(std::string_view text) override {
        items.emplace_back(text);
        return ComboCount() - 1;
    }
    void ComboSelect(int index) override { selected = index < ComboCount() ? index : -1; }
    int ComboSelected() override { return selected; }
    void SetProgressRange(int) override {}
    void SetProgress(int) override {}
    void RestoreSize(int, int) override {}
    bool CreateStartMenuShortcut(int, std::string_view, std::string_view, std::string_view,
                                 std::string_view) override {
        return false;
    }

    std::map<int, std::string> texts;
    std::vector<std::string> items;
    int selected = -1;
    int listLines = 0;
};

// A program folder of the fuzz process's own, made once.
inline const std::string& FuzzFolder() {
    static const std::string folder = [] {
        auto path = std::filesystem::temp_directory_path() /
                    ("kestrap-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        return (path / "").string();
    }();
    return folder;
}

inline void WriteFuzzFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
}

}  // namespace kestrap
