#pragma once
// The set of links of the results list. Link bytes are copied into one growing buffer and
// found through an open-addressing table, so adding a link allocates nothing per entry and
// a lookup takes a string_view without building a string.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrap {

class LinkSet {
public:
    LinkSet();
    bool Contains(std::string_view link) const;
    void Insert(std::string_view link);  // a link already held is not added twice
    void Clear();
    size_t Size() const { return size_; }

private:
    struct Slot {
        size_t offset;  // into bytes_; Empty marks a free slot
        size_t length;
        size_t hash;
    };
    static constexpr size_t Empty = ~size_t{0};

    // the slot holding `link`, or the free slot where it would go
    size_t Probe(std::string_view link, size_t hash) const;
    void Grow();

    std::string bytes_;
    std::vector<Slot> slots_;  // a power of two in size, at most half used
    size_t size_ = 0;
};

}  // namespace kestrap
