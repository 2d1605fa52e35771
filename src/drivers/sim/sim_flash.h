#pragma once
// The controller's flash: a 24-bit address space (16 MiB) kept sparse, one page
// per 4 KiB that was ever written. Unwritten flash reads as erased (0xFF).
// Addresses wrap at the end of the space, as the chip's address counter does.
// Not locked; the controller model serialises access.

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <utility>

namespace velmor::sim {

class SimFlash {
  public:
    static constexpr std::uint32_t kSize = 1u << 24;
    static constexpr std::uint32_t kPageSize = 4096;
    static constexpr std::uint32_t kPageCount = kSize / kPageSize;
    static constexpr std::uint8_t kErased = 0xFF;

    using Page = std::array<std::uint8_t, kPageSize>;

    void Read(std::uint32_t address, std::span<std::uint8_t> out) const;
    void Write(std::uint32_t address, std::span<const std::uint8_t> data);

    // The written pages by page number, for saving and restoring the flash.
    const std::map<std::uint32_t, Page>& Pages() const { return pages_; }
    void SetPages(std::map<std::uint32_t, Page> pages) { pages_ = std::move(pages); }

  private:
    std::map<std::uint32_t, Page> pages_;
};

}  // namespace velmor::sim
