#include "platform/Charset.h"

#include <windows.h>

namespace kestrap {

AnsiConverter::AnsiConverter() = default;
AnsiConverter::~AnsiConverter() = default;

bool AnsiConverter::AppendCharacter(std::string_view character, std::string& out) {
    if (character.empty() || character.size() > 4) return false;
    wchar_t wide[2];
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, character.data(),
                                          static_cast<int>(character.size()), wide, 2);
    if (units <= 0) return false;
    char bytes[8];
    BOOL usedDefault = FALSE;
    // no best fit: a "Ł" must not become an "L", it is written as a character reference
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, units, bytes,
                                         sizeof bytes, nullptr, &usedDefault);
    if (size <= 0 || usedDefault) return false;
    out.append(bytes, static_cast<size_t>(size));
    return true;
}

}  // namespace kestrap
