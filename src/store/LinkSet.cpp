#include "store/LinkSet.h"

#include <algorithm>
#include <functional>

namespace kestrap {

namespace {

constexpr size_t InitialSlots = 64;

}  // namespace

LinkSet::LinkSet() : slots_(InitialSlots, Slot{None, 0, 0, 0}) {}

size_t LinkSet::Probe(std::string_view link, size_t hash) const {
    const size_t mask = slots_.size() - 1;
    for (size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot& slot = slots_[at];
        if (slot.offset == None) return at;
        if (slot.hash == hash && std::string_view(bytes_).substr(slot.offset, slot.length) == link) return at;
    }
}

size_t LinkSet::Find(std::string_view link) const {
    const Slot& slot = slots_[Probe(link, std::hash<std::string_view>{}(link))];
    return slot.offset == None ? None : slot.place;
}

void LinkSet::Insert(std::string_view link, size_t place) {
    const size_t hash = std::hash<std::string_view>{}(link);
    size_t at = Probe(link, hash);
    if (slots_[at].offset != None) {
        slots_[at].place = place;
        return;
    }
    if ((size_ + 1) * 2 > slots_.size()) {
        Grow();
        at = Probe(link, hash);
    }
    slots_[at] = Slot{bytes_.size(), link.size(), hash, place};
    bytes_.append(link);
    ++size_;
}

void LinkSet::Renumber(const std::vector<size_t>& newPlaces) {
    for (Slot& slot : slots_)
        if (slot.offset != None) slot.place = newPlaces[slot.place];
}

void LinkSet::Clear() {
    bytes_.clear();
    // the table keeps its size: a list is usually cleared to be filled again at once
    std::fill(slots_.begin(), slots_.end(), Slot{None, 0, 0, 0});
    size_ = 0;
}

void LinkSet::Grow() {
    std::vector<Slot> old(slots_.size() * 2, Slot{None, 0, 0, 0});
    old.swap(slots_);
    const size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.offset == None) continue;
        size_t at = slot.hash & mask;
        while (slots_[at].offset != None) at = (at + 1) & mask;
        slots_[at] = slot;
    }
}

}  // namespace kestrap
