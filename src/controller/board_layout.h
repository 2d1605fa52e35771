#pragma once
// The board types the controller comes in, and the questions the code asks of
// them. The board type is kept, stored and sent as a number: 0 "Mainboard" (the
// main board alone), 1 "DoubleFiber" and 2 "FourFiber" (the main board with head
// boards reached over fiber links; "FourFiber" has head boards 3 and 4 as well).
// A number outside these is treated as a fiber layout without head boards 3 and
// 4, as every page has always treated it.

#include <cstdint>

namespace velmor::controller {

inline constexpr std::uint8_t kMainboardType = 0;
inline constexpr std::uint8_t kDoubleFiberType = 1;
inline constexpr std::uint8_t kFourFiberType = 2;

// The two layouts the motion registers, the movement pages, the configuration page
// and the flash control block follow.
enum class BoardLayout { kMainBoard, kFiber };

constexpr BoardLayout LayoutOf(std::uint8_t boardType) {
    return boardType == kMainboardType ? BoardLayout::kMainBoard : BoardLayout::kFiber;
}
// The main board alone: no head boards on fiber links.
constexpr bool SingleBoard(std::uint8_t boardType) { return boardType == kMainboardType; }
// "FourFiber": head boards 3 and 4 are there too.
constexpr bool HasHeadBoards3And4(std::uint8_t boardType) { return boardType == kFourFiberType; }

}  // namespace velmor::controller
