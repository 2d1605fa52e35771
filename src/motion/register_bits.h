#pragma once
// Single-register reads and writes and single-bit read-modify-writes over the
// controller object, as test moves and the status display make them.
//
// Each read and each write is one exchange under the controller object's lock,
// so other threads' polling goes on between the two halves of an update but
// never receives its answer. Updates made through one RegisterBits object are
// kept whole against each other (the move worker and the stop button touch the
// same control registers). A failed read leaves the byte as last read (0 if
// never), and the write goes ahead with it.

#include <cstdint>
#include <map>
#include <mutex>

namespace velmor::controller {
class CMainOperation;
}

namespace velmor::motion {

class RegisterBits {
  public:
    explicit RegisterBits(controller::CMainOperation& op) : op_(op) {}

    // One register with the protocol's retries; on failure `value` is the byte
    // as last read and the result false.
    bool Read(std::uint16_t address, std::uint8_t& value);
    bool Read32(std::uint16_t address, std::uint32_t& value);
    bool Write8(std::uint16_t address, std::uint8_t value);
    bool Write16(std::uint16_t address, std::uint32_t value);  // low 16 bits, low byte first
    bool Write32(std::uint16_t address, std::uint32_t value);

    void SetBit(std::uint16_t address, int bit) { Update(address, bit, true); }
    void ClearBit(std::uint16_t address, int bit) { Update(address, bit, false); }
    // Read the register, set or clear one bit, write it back.
    void Update(std::uint16_t address, int bit, bool on);

  private:
    controller::CMainOperation& op_;
    std::mutex updateMutex_;  // one read-modify-write at a time
    std::mutex lastMutex_;
    std::map<std::uint16_t, std::uint8_t> last_;
};

}  // namespace velmor::motion
