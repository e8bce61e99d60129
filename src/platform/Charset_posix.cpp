#include "platform/Charset.h"

#include <iconv.h>

namespace kestrap {
namespace {

// Windows-1252 is the ANSI code page of Western Windows and of Wine, where the program runs
const char* const AnsiCodePage = "WINDOWS-1252";
const iconv_t NoConverter = reinterpret_cast<iconv_t>(-1);

}  // namespace

AnsiConverter::AnsiConverter() {
    const iconv_t converter = iconv_open(AnsiCodePage, "UTF-8");
    if (converter != NoConverter) converter_ = converter;
}

AnsiConverter::~AnsiConverter() {
    if (converter_ != nullptr) iconv_close(static_cast<iconv_t>(converter_));
}

bool AnsiConverter::AppendCharacter(std::string_view character, std::string& out) {
    if (converter_ == nullptr || character.empty() || character.size() > 4) return false;
    char input[4];
    character.copy(input, character.size());
    char output[8];
    char* in = input;
    size_t inLeft = character.size();
    char* to = output;
    size_t toLeft = sizeof output;
    // without //TRANSLIT, a character the code page lacks fails with EILSEQ
    const size_t done = iconv(static_cast<iconv_t>(converter_), &in, &inLeft, &to, &toLeft);
    iconv(static_cast<iconv_t>(converter_), nullptr, nullptr, nullptr, nullptr);
    if (done == static_cast<size_t>(-1) || inLeft != 0 || to == output) return false;
    out.append(output, static_cast<size_t>(to - output));
    return true;
}

}  // namespace kestrap
