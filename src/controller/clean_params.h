#pragma once
// The cleaning station parameter set. Field names are the keys of the cleaning file.
// Initial values are the file's load defaults.

#include <array>
#include <cstdint>

namespace velmor::controller {

struct CleanParams {
    // [PARAMS_CLEAR]
    std::uint32_t uiCarleaveclear1 = 0;
    std::uint32_t uiCarmoveblow1 = 0;
    std::uint32_t uiCarleaveclear2 = 0;
    std::uint32_t uiCarmoveblow2 = 0;
    float fCarMoveAccDistance = 0.0f;
    std::uint32_t uiCarMoveSpeed = 0;
    double uiCarbackclear = 0.0;
    std::uint32_t uiCarCleanPos = 0;
    std::uint32_t uiMoto1moveout = 0;
    std::uint32_t uiMoto1movein = 0;
    std::uint32_t uiMoto1moveout2 = 0;
    std::uint32_t uiMoto1movein2 = 0;
    std::uint32_t uiMoto1AcceDistance = 0;
    std::uint32_t uiMoto1SpeedMax = 0;
    std::uint32_t uiFlashMoto0Up = 0;
    std::uint32_t uiMoto0movedown = 0;
    std::uint32_t uiMoto0moveupblow = 0;
    std::uint32_t uiMoto0moveup = 0;
    std::uint32_t uiNoclearmoveup = 0;
    std::uint32_t uiMoto0AcceDistance = 0;
    std::uint32_t uiMoto0SpeedMax = 0;
    // [PARAMS_MOMENT]
    double dbXMotorGearRate = 4.738689;
    double dbYMotorGearRate = 570.003235;
    std::uint32_t uiMaxDistanceOfXMove = 1800;
    float fXMoveSpeed = 400.0f;
    float fYMoveSpeed = 100.0f;
    std::uint8_t byMachineType = 0;
    float dbXAcceDistance = 110.0f;
    float fYMoveSpeedWhenReady = 40.0f;
    float fXMoveSpeedWhenReady = 400.0f;
    float fMaxYAcceDistance = 6.0f;
    std::int32_t nDcEndLeveluiDcCarMoveSpeed = 0;
    std::int32_t nDcStartLevel = -1;  // -1: absent from the file
    std::int32_t nDcEndLevelLow = 0;
    std::int32_t nDcEndLevelMid = 0;
    std::int32_t nDcFrequencyLow = 0;
    std::int32_t nDcFrequencyMid = 0;
    std::uint8_t byStackType = 0;
    std::uint8_t byMotoType = 0;
    std::uint8_t byMotoHead = 0;
    std::uint8_t byMotorType = 0;
    // [PARAMS_CLEAR2]: uiTimeConsuming, uiTimeConsuming1 .. uiTimeConsuming10
    std::array<std::uint32_t, 11> uiTimeConsuming{};

    friend bool operator==(const CleanParams&, const CleanParams&) = default;
};

}  // namespace velmor::controller
