#pragma once
// Motor status bytes and the texts the movement pages show for them.
//
// A status register reads bit 0 = 0 while the motor moves; with bit 0 = 1 it is
// idle and bits 1-3 give the reason: 8 end of movement, 2 limit reached, 6
// stopped. A failed read counts as idle without a reason.

#include <array>
#include <cstdint>
#include <string>

namespace velmor::motion {

enum class MotorState { kMoving, kEnd, kLimit, kStopped, kIdle };

MotorState DecodeStatus(bool readOk, std::uint8_t status);

// The motors a status line can be about. Y is the single feed-motor line of the
// fiber page; Y0 and Y1 the two lines of the main-board page.
enum class StatusMotor { kX, kY, kY0, kY1, kZ, kM0, kM1 };

// The line for `state`, without its line end: English when `english`, except
// for Y0 and Y1, whose texts exist only in Chinese. kIdle gives "".
std::string StatusLine(StatusMotor motor, MotorState state, bool english);

// Counts of the X position counter are 720 per inch.
double CountToMm(std::uint32_t count);
// "X:%0.2f mm".
std::string XPositionText(std::uint32_t count);
// "X0:%0.2f mm,X1:%0.2f mm" for board type 1, the four-value form for 2, ""
// for the main board.
std::string HeadBoardPositionText(const std::array<std::uint32_t, 4>& counts,
                                  std::uint8_t boardType);

}  // namespace velmor::motion
