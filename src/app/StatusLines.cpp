#include "app/StatusLines.h"

#include <string>

#include "app/ControlIds.h"
#include "app/Window.h"

namespace kestrap {

// Both run as one call on the window's thread: from the search thread every single call
// would be a wait of its own.
void PostStatus(Window& window, std::string_view message) {
    window.RunOnWindowThread([&] {
        window.SetText(IDC_STATUS1, window.Text(IDC_STATUS2));
        window.SetText(IDC_STATUS2, window.Text(IDC_STATUS3));
        window.SetText(IDC_STATUS3, message);
    });
}

void AppendStatus(Window& window, std::string_view text) {
    window.RunOnWindowThread([&] {
        std::string line = window.Text(IDC_STATUS3);
        line.append(text);
        window.SetText(IDC_STATUS3, line);
    });
}

}  // namespace kestrap
