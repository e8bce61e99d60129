#pragma once
// What the readers of feed elements share: names without prefix, children, element text.
#include <pugixml.hpp>

#include <string>
#include <string_view>

namespace kestrap {

// The element's name without its prefix: feeds mix prefixes freely (rdf:RDF, atom:link).
std::string_view LocalName(const pugi::xml_node& node);

// The first child element of that local name; empty when there is none.
pugi::xml_node Child(const pugi::xml_node& parent, std::string_view localName);

// Appends the text of every text and CDATA node inside the element, in document order.
void AppendText(const pugi::xml_node& node, std::string& text);

// All text inside the element, blanks, tabs and line ends folded into single blanks.
std::string ElementText(const pugi::xml_node& node);

}  // namespace kestrap
