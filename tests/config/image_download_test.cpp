#include "config/image_download.h"

#include <gtest/gtest.h>

#include <functional>
#include <future>

#include "config/command_list_update.h"
#include "controller/main_operation.h"
#include "registers/flash_reg.h"
#include "support/expected_dump.h"
#include "support/sim_rig.h"

namespace velmor::config {
namespace {

using controller::CMD_INFO;

std::vector<CMD_INFO> SampleList() {
    std::vector<CMD_INFO> list;
    for (int i = 0; i < 300; ++i)
        list.push_back({"InitDone", "r", "RegWrite", static_cast<std::uint16_t>(0x4010 + i % 64),
                        static_cast<std::uint8_t>(i * 7)});
    for (int i = 0; i < 3; ++i) list.push_back({"InitEnd", "end[7:0]", "InitEnd", 0x4E00, 0});
    return list;
}

class ImageDownloadTest : public ::testing::Test {
  protected:
    ImageDownloadTest() : flash(rig.op), download(rig.op, flash) {
        build = BuildStartImage(SampleList(), {"InitDone", "InitEnd"});
    }

    std::vector<std::uint8_t> Flash() {
        return rig.Controller().ReadFlash(kImageFlashAddress, kImageSize);
    }
    bool FlashHoldsImage() {
        const auto bytes = Flash();
        return std::equal(bytes.begin(), bytes.end(), build.image.begin());
    }

    testing::SimRig rig;
    registers::CFlashReg flash;
    CImageDownload download;
    ImageBuild build;
};

TEST_F(ImageDownloadTest, WritesTheControlByteThenTheImageAndVerifies) {
    for (std::uint8_t board : {0, 1, 2}) {
        rig.op.SetBoardType(board);
        rig.Controller().ClearWriteLog();
        ASSERT_TRUE(download.StartDownload(build.image, build.records));
        download.Wait();
        ASSERT_TRUE(download.Finished());
        const DownloadResult& result = download.LastDownload();
        EXPECT_TRUE(result.Success());
        EXPECT_EQ(result.rounds, 1);
        EXPECT_TRUE(FlashHoldsImage());

        const std::uint16_t base = board == 0 ? 0x40D0 : 0x40E0;
        const auto writes = rig.WritesIn(base, base);
        ASSERT_GE(writes.size(), 1u);
        EXPECT_EQ(writes.front().second, 0x51);  // before the image's write command 0x11
        EXPECT_EQ(writes.back().second, 0x01);   // the read-back's command comes last
        const std::vector<std::uint8_t> records(build.image.begin(), build.image.begin() + 303 * 4);
        EXPECT_EQ(result.log, testing::ExpectedDump(records, 0x1B0000, 6) + "\r\n");
    }
    EXPECT_EQ(DownloadMessage(download.LastDownload(), controller::Language::kEnglish).text,
              "     Download complete!");
    EXPECT_EQ(DownloadMessage(download.LastDownload(), controller::Language::kEnglish).caption,
              "VelmorTool");
    EXPECT_EQ(DownloadMessage(download.LastDownload(), controller::Language::kChinese).text,
              "     下载完成!");
    EXPECT_EQ(download.Progress().percent, 0);
}

struct FaultCase {
    const char* name;
    std::function<void(sim::SimFlashFaults&)> set;
    DownloadOutcome outcome;
    int rounds;
};

// Every way the flash can lie. Whatever happens, success is reported only when the
// simulator's flash holds the image; a fault that clears within five retries ends
// in success.
TEST_F(ImageDownloadTest, FaultMatrix) {
    constexpr int always = sim::SimFlashFaults::kAlways;
    using O = DownloadOutcome;
    const FaultCase cases[] = {
        {"none", [](auto&) {}, O::Verified, 1},
        {"flip write once", [](auto& f) { f.flipWrites = 1; }, O::Verified, 2},
        {"flip write five times", [](auto& f) { f.flipWrites = 5; }, O::Verified, 6},
        {"flip write always", [](auto& f) { f.flipWrites = always; }, O::VerifyFailed, 6},
        {"flip in this chunk only",
         [](auto& f) {
             f.flipWrites = always;
             f.flipOnlyChunkAt = 0x1B0FFF;
         },
         O::VerifyFailed, 6},
        {"flip in another chunk only",
         [](auto& f) {
             f.flipWrites = always;
             f.flipOnlyChunkAt = 0x1B1000;
         },
         O::Verified, 1},
        {"lost writes, five", [](auto& f) { f.lostWrites = 5; }, O::Verified, 6},
        {"lost writes, six", [](auto& f) { f.lostWrites = 6; }, O::VerifyFailed, 6},
        {"partial write once", [](auto& f) { f.partialWrites = 1; }, O::Verified, 2},
        {"partial write always", [](auto& f) { f.partialWrites = always; }, O::VerifyFailed, 6},
        // A stale read returns what the range held before its last write: the older
        // image after the first write, the image itself after the second.
        {"stale reads once", [](auto& f) { f.staleReads = 1; }, O::Verified, 2},
        {"stale reads always", [](auto& f) { f.staleReads = always; }, O::Verified, 2},
        {"flipped read once", [](auto& f) { f.flipReads = 1; }, O::Verified, 2},
        {"flipped reads always", [](auto& f) { f.flipReads = always; }, O::VerifyFailed, 6},
        {"stays busy", [](auto& f) { f.stuckBusy = true; }, O::FlashBusy, 6},
        {"unplugged mid-transfer", [](auto& f) { f.unplugAfterWindowWrites = 1000; },
         O::TransferFailed, 6},
    };
    for (const FaultCase& c : cases) {
        testing::SimRig fresh;
        fresh.op.SetBoardType(1);
        // An older image in flash, so that lost, partial and stale data differ.
        std::vector<std::uint8_t> older(kImageSize, 0x00);
        fresh.Controller().WriteFlash(kImageFlashAddress, older);
        sim::SimFlashFaults& faults = fresh.Controller().FlashFaults();
        faults.seed = 11;
        c.set(faults);

        registers::CFlashReg faultyFlash(fresh.op);
        CImageDownload job(fresh.op, faultyFlash);
        ASSERT_TRUE(job.StartDownload(build.image, build.records)) << c.name;
        job.Wait();
        const DownloadResult& result = job.LastDownload();
        faults = {};  // read the truth without faults

        const auto held = fresh.Controller().ReadFlash(kImageFlashAddress, kImageSize);
        const bool holds = std::equal(held.begin(), held.end(), build.image.begin());
        if (result.Success()) {
            EXPECT_TRUE(holds) << c.name;
        }
        EXPECT_EQ(result.outcome, c.outcome) << c.name;
        EXPECT_EQ(result.rounds, c.rounds) << c.name;
        const UserMessage message = DownloadMessage(result, controller::Language::kEnglish);
        EXPECT_EQ(message.text.find("Download complete!") != std::string::npos, result.Success())
            << c.name;
        if (c.outcome == O::VerifyFailed) {
            EXPECT_NE(result.log.find("Verify failed after 6 rounds"), std::string::npos) << c.name;
            EXPECT_FALSE(result.differences.empty()) << c.name;
        }
        if (!result.Success()) {
            EXPECT_EQ(message.text.rfind("Download failed\n", 0), 0u) << c.name;
        }
    }
}

TEST_F(ImageDownloadTest, SameSeedFlipsTheSameBit) {
    std::vector<std::vector<std::uint8_t>> runs;
    for (int run = 0; run < 2; ++run) {
        testing::SimRig fresh;
        fresh.Controller().FlashFaults().seed = 5;
        fresh.Controller().FlashFaults().flipWrites = 1;
        registers::CFlashReg f(fresh.op);
        std::atomic<int> progress{0};
        ASSERT_TRUE(f.Write(build.image.data(), kImageFlashAddress, 4096, progress, false));
        runs.push_back(fresh.Controller().ReadFlash(kImageFlashAddress, kImageSize));
    }
    EXPECT_EQ(runs[0], runs[1]);
    int flipped = 0;
    for (std::size_t i = 0; i < kImageSize; ++i)
        flipped += __builtin_popcount(runs[0][i] ^ build.image[i]);
    EXPECT_EQ(flipped, 1);
}

// A flash that stops inside its first write until the test lets it go.
class GatedFlash : public registers::CFlashReg {
  public:
    using CFlashReg::CFlashReg;
    bool Write(const std::uint8_t* data, std::uint32_t address, int length,
               std::atomic<int>& progress, bool alternate) override {
        entered.set_value();
        release.get_future().wait();
        return CFlashReg::Write(data, address, length, progress, alternate);
    }
    std::promise<void> entered;
    std::promise<void> release;
};

TEST_F(ImageDownloadTest, NeverFinishedWhileTheWorkerRuns) {
    GatedFlash gated(rig.op);
    CImageDownload job(rig.op, gated);
    ASSERT_TRUE(job.StartDownload(build.image, build.records));
    gated.entered.get_future().wait();
    EXPECT_FALSE(job.Finished());
    EXPECT_EQ(job.Progress().stage, TransferStage::Writing);
    EXPECT_FALSE(job.StartReadBack());  // one job at a time
    gated.release.set_value();
    job.Wait();
    EXPECT_TRUE(job.Finished());
    EXPECT_TRUE(job.LastDownload().Success());
    EXPECT_EQ(job.Progress().stage, TransferStage::Done);
}

// A flash whose read-back differs only in the CRC bytes does not hold a valid
// image: the whole block is compared, not only the records.
class CrcSpoilingFlash : public registers::CFlashReg {
  public:
    using CFlashReg::CFlashReg;
    bool Read(std::uint8_t* data, std::uint32_t address, int length,
              std::atomic<int>& progress) override {
        const bool ok = CFlashReg::Read(data, address, length, progress);
        data[0xFFB] ^= 0x01;
        return ok;
    }
};

TEST_F(ImageDownloadTest, CrcBytesAreVerifiedToo) {
    CrcSpoilingFlash spoiling(rig.op);
    CImageDownload job(rig.op, spoiling);
    const DownloadResult result = job.Download(build.image, build.records);
    EXPECT_EQ(result.outcome, DownloadOutcome::VerifyFailed);
    EXPECT_EQ(result.differences, std::vector<std::size_t>{0xFFB});
    EXPECT_NE(result.log.find(" 0xFFB: "), std::string::npos);
}

TEST_F(ImageDownloadTest, ReadBackParsesAndFailsClearly) {
    // Blank flash: no image.
    ReadBackResult blank = download.ReadBack();
    EXPECT_TRUE(blank.transferOk);
    EXPECT_EQ(blank.image.state, ImageState::Blank);
    EXPECT_EQ(ReadBackMessage(blank, controller::Language::kEnglish).text,
              "Read Failed!\nThe flash holds no start-up image (the block is blank).");

    ASSERT_TRUE(download.Download(build.image, build.records).Success());
    ASSERT_TRUE(download.StartReadBack());
    download.Wait();
    const ReadBackResult& good = download.LastReadBack();
    ASSERT_TRUE(good.Success());
    EXPECT_EQ(good.image.commands[0], (CMD_INFO{"", "", "RegWrite", 0x4010, 0}));
    EXPECT_EQ(ReadBackMessage(good, controller::Language::kChinese).text, "     读取完成!");

    // The read-back list and the parameter bytes; the motion read-back gets the slots.
    rig.op.SetBoardType(1);
    PrtConfigParams params;
    params.mbCtrl1 = 0x91;
    params.mbCtrl2b = 0x02;
    params.hbCtrl11 = 0x5A;
    params.hbCtrl22 = 0xA5;
    std::vector<CMD_INFO> list = ParameterCommands(params, 1);
    for (int i = 0; i < 3; ++i) list.push_back(EndCommand());
    const ImageBuild paramImage = BuildStartImage(list, {"InitDone", "InitEnd"});
    ASSERT_TRUE(download.Download(paramImage.image, paramImage.records).Success());
    const ReadBackResult withParams = download.ReadBack();
    ASSERT_TRUE(withParams.Success());
    std::size_t handed = 0;
    PrtConfigParams before;
    before.inkSupplyTime = 5;
    before.flashSpit = 0xC0;
    const PrtConfigParams taken =
        ApplyReadBack(rig.op, withParams.image, before,
                      [&](const std::vector<CMD_INFO>& slots, controller::CMainOperation&) {
                          handed = slots.size();
                      });
    EXPECT_EQ(handed, 1024u);
    EXPECT_EQ(rig.op.readBackList.size(), 1024u);
    PrtConfigParams expected = params;
    expected.inkSupplyTime = 5;
    expected.flashSpit = 0x00;  // "HB Ctrl3" is written as 0
    EXPECT_EQ(taken, expected);

    // A damaged image, then a truncated answer, then no device at all.
    rig.Controller().WriteFlash(kImageFlashAddress + 7, std::vector<std::uint8_t>{0xEE});
    EXPECT_EQ(download.ReadBack().image.state, ImageState::BadCrc);
    rig.Faults().shortAnswers = 100;
    const ReadBackResult cut = download.ReadBack();
    EXPECT_FALSE(cut.Success());
    rig.Faults().shortAnswers = 0;
    rig.Controller().FlashFaults().unplugAfterWindowWrites = 0;
    EXPECT_FALSE(download.Download(build.image, build.records).Success());
    const ReadBackResult gone = download.ReadBack();
    EXPECT_FALSE(gone.transferOk);
    EXPECT_EQ(ReadBackMessage(gone, controller::Language::kEnglish).text.rfind("Read Failed!\n", 0),
              0u);
    EXPECT_EQ(ApplyReadBack(rig.op, gone.image, before, {}), before);
}

}  // namespace
}  // namespace velmor::config
