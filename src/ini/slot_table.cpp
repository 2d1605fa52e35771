#include "ini/slot_table.h"

#include <algorithm>
#include <utility>

namespace velmor::ini {

void SlotTable::Add(std::uint32_t hash, std::uint32_t value) {
    if ((used_ + 1) * 4 > slots_.size() * 3) Rehash(std::max<std::size_t>(16, used_ * 3));
    Place(hash, value);
    ++used_;
}

void SlotTable::Reserve(std::size_t entries) {
    const std::size_t wanted = entries + entries / 3 + 1;
    if (wanted > slots_.size()) Rehash(wanted);
}

void SlotTable::Place(std::uint32_t hash, std::uint32_t value) {
    std::size_t i = Home(hash);
    while (slots_[i].value != kEmpty) i = Next(i);
    slots_[i] = Slot{hash, value};
}

void SlotTable::Rehash(std::size_t size) {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(size, Slot{});
    for (const Slot& slot : old) {
        if (slot.value != kEmpty) Place(slot.hash, slot.value);
    }
}

}  // namespace velmor::ini
