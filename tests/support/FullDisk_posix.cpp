#include "FullDisk.h"

#include <signal.h>
#include <sys/resource.h>

namespace kestrap {

// The file-size limit makes write() fail with EFBIG past the limit; the signal that comes
// with it would end the process, so it is ignored meanwhile.
FullDisk::FullDisk(size_t bytes) {
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0) return;
    oldLimit_ = limit.rlim_cur;
    oldHandler_ = signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = bytes;
    works_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    if (!works_) signal(SIGXFSZ, oldHandler_);
}

FullDisk::~FullDisk() {
    if (!works_) return;
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = oldLimit_;
    setrlimit(RLIMIT_FSIZE, &limit);
    signal(SIGXFSZ, oldHandler_);
}

}  // namespace kestrap
