#pragma once
// Makes the disk look full to this process while the object lives: a write that would take
// any file past `bytes` fails, as on a disk without free space. Where the platform cannot
// do this, Works() is false and the test should skip.
#include <cstddef>

namespace kestrap {

class FullDisk {
public:
    explicit FullDisk(size_t bytes);
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool Works() const { return works_; }

private:
    bool works_ = false;
    unsigned long long oldLimit_ = 0;
    void (*oldHandler_)(int) = nullptr;
};

}  // namespace kestrap
