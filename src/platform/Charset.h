#pragma once
// Conversion of single characters from UTF-8 to the system's ANSI code page (the program's
// own character set), through the platform's converter.
#include <string>
#include <string_view>

namespace kestrap {

class AnsiConverter {
public:
    AnsiConverter();
    ~AnsiConverter();
    AnsiConverter(const AnsiConverter&) = delete;
    AnsiConverter& operator=(const AnsiConverter&) = delete;

    // Appends the code page's bytes for `character`, one valid UTF-8 sequence; false, with
    // nothing appended, when the code page lacks the character.
    bool AppendCharacter(std::string_view character, std::string& out);

private:
    void* converter_ = nullptr;  // the iconv descriptor on POSIX; Windows needs none
};

}  // namespace kestrap
