#pragma once
// The text that a piece of HTML shows, for feeds that send their titles as escaped HTML.
#include <string>
#include <string_view>

namespace kestrap {

// `html` as its text, in UTF-8: tags, comments and declarations dropped, character
// references decoded (named ones of HTML's common set, decimal and hex ones; unknown ones
// stay as written), runs of white space and control characters as one blank, none at
// either end. The result is plain text: a "<" in it is a character, not markup.
std::string HtmlSourceText(std::string_view html);

// `html` with its character references decoded (as HtmlSourceText) and nothing else
// changed: an attribute's value as the page means it.
std::string DecodeHtmlReferences(std::string_view html);

// Runs of bytes below 33 (white space and control characters) as one blank, none at
// either end; in place.
void FoldBlanks(std::string& text);

// The character in UTF-8; U+FFFD for a surrogate or a value past U+10FFFF.
void AppendUtf8(char32_t character, std::string& out);

}  // namespace kestrap
