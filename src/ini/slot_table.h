#pragma once
// Open addressing over 32-bit values (section numbers, body positions), each kept with
// the hash of its name. The names themselves stay where they are, in the lines: a probe
// asks the caller to compare names, and only on equal hashes.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmor::ini {

class SlotTable {
  public:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;  // no value may be this

    // The value whose name `same` accepts, or nullptr.
    template <typename Same>
    std::uint32_t* Find(std::uint32_t hash, Same same) {
        if (slots_.empty()) return nullptr;
        for (std::size_t i = Home(hash);; i = Next(i)) {
            Slot& slot = slots_[i];
            if (slot.value == kEmpty) return nullptr;
            if (slot.hash == hash && same(slot.value)) return &slot.value;
        }
    }
    // For a value whose name is not in the table yet.
    void Add(std::uint32_t hash, std::uint32_t value);
    // Room for this many values without growing.
    void Reserve(std::size_t entries);
    template <typename F>
    void ForEach(F f) {
        for (Slot& slot : slots_) {
            if (slot.value != kEmpty) f(slot.value);
        }
    }
    bool Empty() const { return used_ == 0; }

  private:
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t value = kEmpty;
    };
    std::size_t Home(std::uint32_t hash) const {
        return static_cast<std::size_t>((std::uint64_t{hash} * slots_.size()) >> 32);
    }
    std::size_t Next(std::size_t i) const { return i + 1 == slots_.size() ? 0 : i + 1; }
    void Place(std::uint32_t hash, std::uint32_t value);
    void Rehash(std::size_t size);

    std::vector<Slot> slots_;
    std::size_t used_ = 0;
};

}  // namespace velmor::ini
