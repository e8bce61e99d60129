#include "store/ListFiles.h"

#include "common/Text.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace kestrap {
namespace {

struct ListKind {
    std::string_view extension;
    std::string_view defaultFile;
    std::string_view placeholder;
};

constexpr ListKind TermList{".trm", "clsearch.txt", "Enter search terms"};
constexpr ListKind CityList{".cit", "clcities.txt", "Enter city list here"};

const ListKind& KindOf(SearchList list) {
    return list == SearchList::Terms ? TermList : CityList;
}

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

}  // namespace

std::string ListBaseName(std::string_view resultsFileName) {
    std::string_view base = StripBlanks(resultsFileName.substr(0, resultsFileName.find('.')));
    return base.empty() ? std::string("kestrap") : std::string(base);
}

std::string SearchListPath(const std::string& folder, std::string_view baseName, SearchList list) {
    return JoinPath(folder, std::string(baseName).append(KindOf(list).extension));
}

std::string ReadSearchList(const std::string& folder, std::string_view baseName, SearchList list) {
    std::string text;
    // an unreadable or absurdly large file shows the placeholder rather than a part of it
    if (ReadSearchListFile(folder, baseName, list, text) != ListFileRead::Read)
        return std::string(KindOf(list).placeholder);
    return text;
}

ListFileRead ReadSearchListFile(const std::string& folder, std::string_view baseName,
                                SearchList list, std::string& text) {
    text.clear();
    std::string own = SearchListPath(folder, baseName, list);
    std::string fallback = folder + std::string(KindOf(list).defaultFile);
    const std::string* chosen = FileExists(own) ? &own : FileExists(fallback) ? &fallback : nullptr;
    if (chosen == nullptr) return ListFileRead::Missing;
    std::string bytes;
    bool cut = false;
    if (!ReadFileStart(*chosen, bytes, MaxListFileBytes, cut) || cut)
        return ListFileRead::Unreadable;
    text = BoxTextOf(bytes);
    return ListFileRead::Read;
}

}  // namespace kestrap
