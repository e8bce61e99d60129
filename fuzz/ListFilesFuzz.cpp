// The list-file reader on arbitrary bytes: what it shows, saved and read again, is unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzFiles.h"
#include "platform/Files.h"
#include "store/ListFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrap;
    const std::string& folder = FuzzFolder();
    WriteFuzzFile(SearchListPath(folder, "fuzz", SearchList::Terms), data, size);
    WriteFuzzFile(SearchListPath(folder, "fuzz", SearchList::Cities), data, size);
    const std::string terms = ReadSearchList(folder, "fuzz", SearchList::Terms);
    if (terms != ReadSearchList(folder, "fuzz", SearchList::Cities)) std::abort();
    if (!WriteFileAtomically(SearchListPath(folder, "fuzz", SearchList::Terms), terms)) std::abort();
    if (ReadSearchList(folder, "fuzz", SearchList::Terms) != terms) std::abort();
    return 0;
}
