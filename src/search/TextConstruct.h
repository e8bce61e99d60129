#pragma once
// Atom titles are text constructs: plain text, escaped HTML or inline XHTML, as Atom 1.0
// types them ("text", "html", "xhtml") and Atom 0.3 types and encodes them ("text/plain",
// "text/html", "application/xhtml+xml"; mode "xml", "escaped" or "base64").
#include <pugixml.hpp>

#include <string>

namespace kestrap {

// The text that a reader of the feed sees, in UTF-8, white space runs as one blank. Escaped
// or base64-encoded HTML shows as its text; inline XHTML (or Atom 0.3's inline HTML) as the
// text of its elements; anything else is plain text.
std::string TextConstructText(const pugi::xml_node& element);

}  // namespace kestrap
