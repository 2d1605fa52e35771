#pragma once
// The controller's traffic every backend must carry, checked the same way over
// each: registers, a flash transfer of several chunks and a start-up image
// download with its read-back, from a controller object on a link over the backend
// to the simulated controller behind it.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "config/image_download.h"
#include "config/start_image.h"
#include "controller/main_operation.h"
#include "drivers/sim/sim_controller.h"
#include "registers/flash_reg.h"
#include "support/request_blocks.h"

namespace velmor::testing {

// 300 registers written and read: more than one bulk chunk of 256 words.
inline void ExpectRegistersRoundTrip(controller::CMainOperation& op, sim::SimController& device) {
    const Bytes values = RandomBytes(300, 7);
    ASSERT_TRUE(op.WriteRegs(0x6000, values.data(), 300));
    for (int i = 0; i < 300; ++i) ASSERT_EQ(device.Reg(0x6000 + i), values[i]) << i;

    device.SetReg(0x6003, 0xC3);
    Bytes back(300);
    ASSERT_TRUE(op.ReadRegs(0x6000, back.data(), 300));
    Bytes expected = values;
    expected[3] = 0xC3;
    EXPECT_EQ(back, expected);
}

inline void ExpectFlashRoundTripOf5000Bytes(controller::CMainOperation& op,
                                            sim::SimController& device) {
    op.SetBoardType(1);
    const Bytes data = RandomBytes(5000, 1);
    registers::CFlashReg flash(op);
    std::atomic<int> progress{-1};
    ASSERT_TRUE(flash.Write(data.data(), 0x001000, 5000, progress, false));
    EXPECT_EQ(device.ReadFlash(0x001000, 5000), data);
    Bytes back(5000);
    ASSERT_TRUE(flash.Read(back.data(), 0x001000, 5000, progress));
    EXPECT_EQ(back, data);
}

inline void ExpectStartImageDownloadAndReadBack(controller::CMainOperation& op,
                                                sim::SimController& device) {
    std::vector<controller::CMD_INFO> list;
    for (int i = 0; i < 300; ++i)
        list.push_back({"InitDone", "r", "RegWrite", static_cast<std::uint16_t>(0x4010 + i % 64),
                        static_cast<std::uint8_t>(i * 7)});
    list.push_back({"InitEnd", "end[7:0]", "InitEnd", 0x4E00, 0});
    const config::ImageBuild build = config::BuildStartImage(list, {"InitDone", "InitEnd"});

    registers::CFlashReg flash(op);
    config::CImageDownload download(op, flash);
    const config::DownloadResult result = download.Download(build.image, build.records);
    EXPECT_TRUE(result.Success());
    EXPECT_EQ(result.rounds, 1);
    const Bytes inFlash = device.ReadFlash(config::kImageFlashAddress, config::kImageSize);
    EXPECT_TRUE(std::equal(inFlash.begin(), inFlash.end(), build.image.begin()));
    EXPECT_TRUE(download.ReadBack().Success());
}

}  // namespace velmor::testing
