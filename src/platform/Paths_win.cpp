#include "platform/Paths.h"

#include <windows.h>

#include "platform/WidePaths_win.h"

namespace kestrap {
namespace {

// Empty when the text does not convert as a whole: a part of a path would name another file.
std::wstring WideFrom(UINT codePage, DWORD flags, std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), size, wide.data(), length);
    return wide;
}

std::string NarrowFrom(UINT codePage, DWORD flags, std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

}  // namespace

std::wstring WidePath(std::string_view path) {
    std::wstring wide = WideFrom(CP_UTF8, MB_ERR_INVALID_CHARS, path);
    return wide.empty() ? WideFrom(CP_ACP, 0, path) : wide;
}

std::string PathFromWide(std::wstring_view wide) { return NarrowFrom(CP_UTF8, 0, wide); }

std::string JoinPath(std::string_view folder, std::string_view ansiName) {
    return std::string(folder).append(PathFromWide(WideFrom(CP_ACP, 0, ansiName)));
}

std::string PathForDisplay(std::string_view path) {
    // no best fit: "Lukasz" for "Łukasz" would name a folder that is not there
    return NarrowFrom(CP_ACP, WC_NO_BEST_FIT_CHARS, WidePath(path));
}

}  // namespace kestrap
