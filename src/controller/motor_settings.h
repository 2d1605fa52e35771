#pragma once
// The motor settings held by the controller object and stored in [MotorState].
// Initial values are those of a newly created controller object; the defaults used
// when a key is missing from a file belong to the store.

#include <cstdint>

#include "controller/shared_field.h"

namespace velmor::controller {

struct MotorSettings {
    SharedField<std::uint32_t> Y0Selected = 1;
    SharedField<std::uint32_t> Y1Selected = 1;
    std::uint32_t XMoto_LimtEable = 1;
    std::uint32_t YMoto0_LimtEable = 1;
    std::uint32_t YMoto1_LimtEable = 1;
    std::uint32_t ZMoto0_LimtEable = 1;
    std::uint32_t ZMoto1_LimtEable = 1;
    std::uint8_t XLimtPol = 0;
    std::uint8_t Y0LimtPol = 0;
    std::uint8_t Y1LimtPol = 0;
    std::uint8_t XLimtPolLeft = 0;
    std::uint8_t Y0LimtPolLeft = 0;
    std::uint8_t Y1LimtPolLeft = 0;
    std::uint8_t XDirPol = 0;
    std::uint8_t Y0DirPol = 0;
    std::uint8_t Y1DirPol = 0;
    std::uint8_t Z0LimtPol = 0;
    std::uint8_t Z0LimtPolDown = 0;
    std::uint8_t Z0DirPol = 0;
    std::uint32_t Z0Gear = 1000;
    std::uint8_t Z0Board = 0;
    std::uint8_t Z1LimtPol = 0;
    std::uint8_t Z1DirPol = 0;
    SharedField<std::uint8_t> BoardType = 1;  // 0 "Mainboard", 1 "DoubleFiber", 2 "FourFiber"
    std::uint32_t Moto0_LimtEable = 1;
    std::uint8_t Moto0DirPol = 0;
    std::uint8_t Moto0LimtPol = 0;
    std::uint8_t Moto0LimtPolDown = 0;
    std::uint32_t Moto1_LimtEable = 1;
    std::uint8_t Moto1DirPol = 0;
    std::uint8_t Moto1LimtPol = 0;
    std::uint8_t Moto1LimtPolLeft = 0;
    std::int32_t Multiply = 2;  // X DC motor acceleration distance, mm

    friend bool operator==(const MotorSettings&, const MotorSettings&) = default;
};

}  // namespace velmor::controller
