#pragma once
// The links of the results list, each with the place in the list of the entry that was
// added last with it.
// Link bytes are copied into one growing buffer and found through an open-addressing table,
// so adding a link allocates nothing per entry and a lookup takes a string_view without
// building a string.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrap {

class LinkSet {
public:
    static constexpr size_t None = ~size_t{0};

    LinkSet();
    bool Contains(std::string_view link) const { return Find(link) != None; }
    // the place given when the link was last inserted, or None
    size_t Find(std::string_view link) const;
    void Insert(std::string_view link, size_t place);  // a link already held takes the new place
    // every place p becomes newPlaces[p] (after the list was reordered)
    void Renumber(const std::vector<size_t>& newPlaces);
    void Clear();
    size_t Size() const { return size_; }

private:
    struct Slot {
        size_t offset;  // into bytes_; None marks a free slot
        size_t length;
        size_t hash;
        size_t place;
    };

    // the slot holding `link`, or the free slot where it would go
    size_t Probe(std::string_view link, size_t hash) const;
    void Grow();

    std::string bytes_;
    std::vector<Slot> slots_;  // a power of two in size, at most half used
    size_t size_ = 0;
};

}  // namespace kestrap
