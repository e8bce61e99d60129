#pragma once
// The three status lines at the bottom of the window: a scrolling status area.
#include <string_view>

namespace kestrap {

class Window;

// moves every line up by one and writes the message into the bottom line
void PostStatus(Window& window, std::string_view message);
// appends to the bottom line
void AppendStatus(Window& window, std::string_view text);

}  // namespace kestrap
