#include "FullDisk.h"

namespace kestrap {

// Windows has no per-process file-size limit; the end-to-end tests fill a real disk instead.
FullDisk::FullDisk(size_t) {}
FullDisk::~FullDisk() {}

}  // namespace kestrap
