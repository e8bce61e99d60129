#include "store/ListFiles.h"

#include "app/ControlIds.h"
#include "app/State.h"
#include "app/Window.h"
#include "common/Text.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace kestrap {
namespace {

struct ListKind {
    std::string_view extension;
    std::string_view defaultFile;
    std::string_view placeholder;
    int box;
};

constexpr ListKind TermList{".trm", "clsearch.txt", "Enter search terms", IDC_TERMS};
constexpr ListKind CityList{".cit", "clcities.txt", "Enter city list here", IDC_CITIES};

// A box holds far less than this; the bound only keeps a stray huge file from eating memory.
constexpr size_t MaxListFileBytes = size_t{16} << 20;

constexpr char EndOfFile = 26;  // Ctrl-Z

// Every line stripped of its blanks and ended with CR LF; Ctrl-Z ends the text.
std::string BoxTextOf(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find(EndOfFile));
    std::string text;
    text.reserve(bytes.size() + 2);
    std::string_view line;
    while (NextLine(bytes, line)) text.append(StripBlanks(line)).append("\r\n");
    return text;
}

void LoadOneList(const std::string& folder, std::string_view baseName, const ListKind& kind,
                 Window& window) {
    std::string own = JoinPath(folder, std::string(baseName).append(kind.extension));
    std::string fallback = folder + std::string(kind.defaultFile);
    const std::string* chosen = FileExists(own) ? &own : FileExists(fallback) ? &fallback : nullptr;
    std::string bytes;
    bool cut = false;
    // an unreadable or absurdly large file shows the placeholder rather than a part of it
    if (chosen == nullptr || !ReadFileStart(*chosen, bytes, MaxListFileBytes, cut) || cut) {
        window.SetText(kind.box, kind.placeholder);
        return;
    }
    window.SetText(kind.box, BoxTextOf(bytes));
}

bool SaveOneList(const std::string& folder, std::string_view baseName, const ListKind& kind,
                 Window& window, std::vector<std::string>* failedFiles) {
    std::string path = JoinPath(folder, std::string(baseName).append(kind.extension));
    if (WriteFileAtomically(path, window.Text(kind.box))) return true;
    if (failedFiles != nullptr) failedFiles->push_back(path);
    return false;
}

}  // namespace

std::string ListBaseName(std::string_view resultsFileName) {
    std::string_view base = StripBlanks(resultsFileName.substr(0, resultsFileName.find('.')));
    return base.empty() ? std::string("kestrap") : std::string(base);
}

void LoadSearchLists(AppState& state, Window& window, std::string_view baseName) {
    LoadOneList(state.programFolder, baseName, TermList, window);
    LoadOneList(state.programFolder, baseName, CityList, window);
}

bool SaveSearchLists(AppState& state, Window& window, std::string_view baseName,
                     std::vector<std::string>* failedFiles) {
    bool cities = SaveOneList(state.programFolder, baseName, CityList, window, failedFiles);
    bool terms = SaveOneList(state.programFolder, baseName, TermList, window, failedFiles);
    return cities && terms;
}

}  // namespace kestrap
