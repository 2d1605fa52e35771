#pragma once
// Sample contents for the store tests: a filled controller object and the checksum
// bytes that its lists should give, built here from the rules themselves.

#include <cstdint>
#include <string>
#include <vector>

#include "controller/main_operation.h"
#include "support/file_bytes.h"

namespace velmor::commands::testdata {

inline controller::MotorListInfo Step(std::uint8_t motors, std::int32_t base, const char* led) {
    controller::MotorListInfo e;
    e.nMotorNums = motors;
    e.motorIndex = static_cast<std::uint8_t>(base & 0x1F);
    e.strLedIndx = led;
    e.MotonnFrequency = base % 3;
    for (int i = 0; i < controller::kMotorSlots; ++i) {
        e.MotonTabLen[i] = base + i;
        e.MotonnMaxSpeed[i] = base * 100 + i;
        e.MotonnnMoveLenth[i] = (i % 2 ? -1 : 1) * (base * 1000 + i);
        e.MotonnnstrDir[i] = (base + i) % 2 ? "End" : "Orignal";
    }
    return e;
}

inline void Fill(controller::CMainOperation& op, int commands) {
    op.allCmdNames = {"InitDone", "电机组", "InitMovement"};
    op.cmdNames = {"InitDone", "InitMovement"};
    const char* keywords[] = {"RegWrite", "WriteAnd", "WriteOR", "RegRead", "ReadAnd",
                              "ReadOR",   "ReInit",   "InitEnd", "Custom"};
    op.cmdList.clear();
    for (int k = 0; k < commands; ++k) {
        controller::CMD_INFO c;
        c.KeyName = k % 2 ? "电机组" : "InitDone";
        c.RegName = "寄存器_" + std::to_string(k) + "[7:0]";
        c.OptType = keywords[k % 9];
        c.Addr = static_cast<std::uint16_t>(0x4000 + k * 3);
        c.Data = static_cast<std::uint8_t>(k * 7);
        op.cmdList.push_back(c);
    }
    op.motionList = {Step(1, 3, "A"), Step(2, 8, "none"), Step(3, 21, "F")};
    op.testMotionList = {Step(1, 5, "0")};
    auto& m = op.motorSettings;
    m.Y0Selected = 0;
    m.Y1Selected = 1;
    m.XMoto_LimtEable = 0;
    m.ZMoto1_LimtEable = 0x1FF;  // only its low byte enters the checksum
    m.XLimtPol = 1;
    m.Y1LimtPolLeft = 1;
    m.Z0DirPol = 1;
    m.Z0Gear = 70000;
    m.Z0Board = 1;
    m.BoardType = 0;
    m.Moto1LimtPolLeft = 1;
    m.Multiply = -7;
    op.language = controller::Language::kEnglish;
}

// The checksum bytes of a filled object: commands, both motion lists, then settings.
inline std::vector<std::uint8_t> ExpectedChecksumBytes(const controller::CMainOperation& op) {
    using velmor::testing::PushHighLow;
    std::vector<std::uint8_t> b;
    const std::pair<const char*, std::uint8_t> codes[] = {
        {"RegWrite", 0x10}, {"WriteAnd", 0x11}, {"WriteOR", 0x12}, {"RegRead", 0x20},
        {"ReadAnd", 0x21},  {"ReadOR", 0x22},   {"ReInit", 0x30},  {"InitEnd", 0x31}};
    for (const auto& c : op.cmdList) {
        for (const auto& [text, code] : codes) {
            if (c.OptType == text) b.push_back(code);
        }
        PushHighLow(b, c.Addr);
        b.push_back(c.Data);
    }
    for (const auto* list : {&op.motionList, &op.testMotionList}) {
        for (const auto& e : *list) {
            if (e.nMotorNums == 0) continue;
            for (int i = 0; i < controller::kMotorSlots; ++i) {
                PushHighLow(b, static_cast<std::uint32_t>(e.MotonTabLen[i]));
                PushHighLow(b, static_cast<std::uint32_t>(e.MotonnMaxSpeed[i]));
                PushHighLow(b, static_cast<std::uint32_t>(e.MotonnnMoveLenth[i]));
                b.push_back(e.MotonnnstrDir[i] == "Orignal" ? 1 : 0);
            }
        }
    }
    const auto& m = op.motorSettings;
    const std::uint32_t settings[] = {
        m.Y0Selected,       m.Y1Selected,       m.XMoto_LimtEable,
        m.YMoto0_LimtEable, m.YMoto1_LimtEable, m.ZMoto0_LimtEable,
        m.ZMoto1_LimtEable, m.XLimtPol,         m.Y0LimtPol,
        m.Y1LimtPol,        m.XLimtPolLeft,     m.Y0LimtPolLeft,
        m.Y1LimtPolLeft,    m.XDirPol,          m.Y0DirPol,
        m.Y1DirPol,         m.Z0LimtPol,        m.Z0LimtPolDown,
        m.Z0DirPol,         m.Z0Gear,           m.Z0Board,
        m.Z1LimtPol,        m.Z1DirPol,         m.BoardType,
        m.Moto0_LimtEable,  m.Moto0DirPol,      m.Moto0LimtPol,
        m.Moto0LimtPolDown, m.Moto1_LimtEable,  m.Moto1DirPol,
        m.Moto1LimtPol,     m.Moto1LimtPolLeft, static_cast<std::uint32_t>(m.Multiply)};
    for (std::uint32_t v : settings) b.push_back(static_cast<std::uint8_t>(v));
    return b;
}

}  // namespace velmor::commands::testdata
