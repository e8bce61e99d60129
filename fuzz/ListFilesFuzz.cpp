// The list-file reader on arbitrary bytes: what it shows, saved and read again, is unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzWindow.h"
#include "app/ControlIds.h"
#include "app/State.h"
#include "store/ListFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrap;
    AppState state;
    state.programFolder = FuzzFolder();
    WriteFuzzFile(state.programFolder + "fuzz.trm", data, size);
    WriteFuzzFile(state.programFolder + "fuzz.cit", data, size);
    FuzzWindow window;
    LoadSearchLists(state, window, "fuzz");
    const std::string terms = window.texts[IDC_TERMS];
    if (terms != window.texts[IDC_CITIES]) std::abort();
    if (!SaveSearchLists(state, window, "fuzz")) std::abort();
    LoadSearchLists(state, window, "fuzz");
    if (window.texts[IDC_TERMS] != terms) std::abort();
    return 0;
}
