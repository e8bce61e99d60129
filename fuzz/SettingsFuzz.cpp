// The settings reader on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzWindow.h"
#include "app/State.h"
#include "store/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrap;
    AppState state;
    state.programFolder = FuzzFolder();
    WriteFuzzFile(state.programFolder + "kestrap.ini", data, size);
    FuzzWindow window;
    LoadSettings(state, window);
    // a results file is always selected afterwards, and no name is longer than 199 bytes
    if (window.selected < 0 || window.selected >= window.ComboCount()) std::abort();
    for (const auto& item : window.items) {
        if (item.size() > 199) std::abort();
    }
    if (state.dialogWidth < 0 || state.dialogHeight < 0) std::abort();
    // the question is answered Cancel unless the file says it was answered before
    if (state.startMenuState != "later" && state.startMenuState != "done") std::abort();
    return 0;
}
