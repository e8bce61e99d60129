#pragma once
// Context help texts and the results-list menu's texts.
#include <string>
#include <string_view>

namespace kestrap {

// The help text for a control id; empty for controls without help.
std::string_view HelpText(int controlId);

// "List contains 1,234 items."
std::string ListCountMenuText(int count);

// x of the menu when the pointer is outside the list: the middle of its bottom edge
int MenuMiddleX(int left, int right);

}  // namespace kestrap
