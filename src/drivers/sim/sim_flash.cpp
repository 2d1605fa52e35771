#include "drivers/sim/sim_flash.h"

#include <algorithm>

namespace velmor::sim {

void SimFlash::Read(std::uint32_t address, std::span<std::uint8_t> out) const {
    std::size_t done = 0;
    while (done < out.size()) {
        const std::uint32_t at = static_cast<std::uint32_t>((address + done) % kSize);
        const std::uint32_t inPage = at % kPageSize;
        const std::size_t n = std::min<std::size_t>(kPageSize - inPage, out.size() - done);
        const auto page = pages_.find(at / kPageSize);
        if (page == pages_.end()) {
            std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(done), n, kErased);
        } else {
            std::copy_n(page->second.begin() + inPage, n,
                        out.begin() + static_cast<std::ptrdiff_t>(done));
        }
        done += n;
    }
}

void SimFlash::Write(std::uint32_t address, std::span<const std::uint8_t> data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const std::uint32_t at = static_cast<std::uint32_t>((address + done) % kSize);
        const std::uint32_t inPage = at % kPageSize;
        const std::size_t n = std::min<std::size_t>(kPageSize - inPage, data.size() - done);
        auto [page, fresh] = pages_.try_emplace(at / kPageSize);
        if (fresh) page->second.fill(kErased);
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(done), n,
                    page->second.begin() + inPage);
        done += n;
    }
}

}  // namespace velmor::sim
