#pragma once
// The controller firmware's start-up replay, as the simulator plays it. On a
// power-up or a main-board reset the firmware looks at the 4096-byte block at
// flash address 0x1B0000 and, when it is a valid start-up image, carries out its
// records in order. The rules chosen here:
//
// - Valid image: the CRC-16/MODBUS over bytes 0x000..0xFF9 equals the value
//   stored high byte first at 0xFFA. Anything else (erased flash, a zeroed block,
//   a damaged image) runs nothing. The tool accepts a stored CRC of 0 when it reads
//   an image back; the firmware does not run one.
// - Records are 4 bytes [code, address high, address low, data] from offset 0,
//   at most 1022 of them. Codes:
//     0x10 write:      register = data
//     0x11 AND update: register = register & data
//     0x12 OR update:  register = register | data
//     0x20 read:       the register is read, nothing changes
//     0x21 read wait:  read until (register & data) == data (all masked bits set)
//     0x22 read wait:  read until (register & data) != 0 (any masked bit set)
//     0x30 marker:     counted, the replay goes on
//     0x31 end:        the replay stops
//   Any other code (0x00 is the unused rest of the image) also stops it.
// - A wait gives up after kReplayWaitReads reads and the replay goes on, as the
//   firmware's watchdog would let it: a status that never comes must not hang
//   the board.
// - The firmware stores register values directly, not through the host's bus:
//   stores do not trigger the host-side behaviour of a register (the flash engine,
//   reset pulses) and do not appear in the host write log. So a table length at
//   0x40D0 does not start a flash command, and a reset bit in the image does not
//   start another replay. Reads go through the register behaviour, so simulated
//   status registers answer the waits.
// - A replay with a watch also drives the device's own behaviour: its stores run
//   the hooks that serve firmware stores (the motion generators start and stop),
//   and a wait whose condition does not hold asks the watch to let time pass
//   before the next read. The power-up replay has none: it runs with the
//   controller locked, where no time can pass, so it leaves the generators alone
//   rather than cut every move short at its wait.
// - The version blocks stay read-only: the model restamps them after a replay.

#include <cstddef>
#include <cstdint>
#include <span>

namespace velmor::sim {

class SimFlash;
class SimRegisterFile;

inline constexpr std::uint32_t kStartImageAddress = 0x1B0000;
inline constexpr std::uint32_t kStartImageSize = 4096;
inline constexpr std::uint32_t kStartImageCrcOffset = 0xFFA;
inline constexpr int kStartImageMaxRecords = 1022;
inline constexpr int kReplayWaitReads = 1000;

// Record codes.
namespace record {
inline constexpr std::uint8_t kWrite = 0x10;
inline constexpr std::uint8_t kAnd = 0x11;
inline constexpr std::uint8_t kOr = 0x12;
inline constexpr std::uint8_t kRead = 0x20;
inline constexpr std::uint8_t kWaitAll = 0x21;
inline constexpr std::uint8_t kWaitAny = 0x22;
inline constexpr std::uint8_t kMarker = 0x30;
inline constexpr std::uint8_t kEnd = 0x31;
}  // namespace record

struct StartImageRecord {
    std::uint8_t code = 0;
    std::uint16_t address = 0;
    std::uint8_t data = 0;
};

// Watches a replay record by record, and carries the time its waits take.
class StartImageWatch {
  public:
    virtual ~StartImageWatch() = default;
    // Before the record in `slot` is carried out.
    virtual void Begin(int slot, const StartImageRecord& record) = 0;
    // After it was carried out; `waitMet` is false for a wait that gave up.
    virtual void Carried(int slot, const StartImageRecord& record, bool waitMet) = 0;
    // A wait's condition did not hold: let time pass until something can change.
    // False when nothing will change any more; the wait then gives up at once.
    virtual bool LetTimePass() = 0;
};

struct StartImageReplay {
    bool valid = false;  // the block was a valid image and was replayed
    int records = 0;     // records carried out, the end record included
    int markers = 0;     // 0x30 records met
    int waitsGivenUp = 0;
};

StartImageReplay ReplayStartImage(const SimFlash& flash, SimRegisterFile& regs);
// The same on an image of kStartImageSize bytes (a shorter one runs nothing).
StartImageReplay ReplayStartImage(std::span<const std::uint8_t> image, SimRegisterFile& regs,
                                  StartImageWatch* watch = nullptr);

// CRC-16/MODBUS as the firmware computes it over its image.
std::uint16_t FirmwareCrc16(const std::uint8_t* bytes, std::size_t length);

}  // namespace velmor::sim
