#include "drivers/sim/sim_controller_model.h"

#include <algorithm>
#include <utility>

namespace velmor::sim {

namespace {

constexpr std::uint8_t kTagWrite = 0x80;
constexpr std::uint8_t kTagRead = 0x81;
constexpr std::size_t kWord = 4;
constexpr std::uint8_t kFlashBusy = 0x01;
constexpr std::uint8_t kResetBit = 0x80;
constexpr int kHeadBoards = 4;

std::uint8_t Sum8(std::span<const std::uint8_t> bytes) {
    std::uint32_t sum = 0;
    for (std::uint8_t b : bytes) sum += b;
    return static_cast<std::uint8_t>(sum);
}

}  // namespace

// Bytes 2..11 are the version numbers the tool shows, 12..15 a short text.
const Identity SimControllerModel::kMainBoardIdentity = {
    0x00, 0x00, 0x01, 0x05, 0x20, 0x26, 0x11, 0x30, 0x00, 0x00, 0x01, 0x25, 'M', 'B', '0', '1'};
const Identity SimControllerModel::kHeadBoardIdentity = {
    0x00, 0x01, 0x01, 0x03, 0x20, 0x26, 0x10, 0x15, 0x00, 0x00, 0x02, 0x07, 'H', 'B', '0', '1'};
const Identity SimControllerModel::kFirmwareIdentity = {
    0x00, 0x00, 0x02, 0x01, 0x20, 0x26, 0x11, 0x02, 0x00, 0x00, 0x00, 0x42, 'F', 'W', '0', '1'};

SimControllerModel::SimControllerModel(std::uint32_t flashBusyReads)
    : flashBusyReads_(flashBusyReads) {
    InstallHooks();
    StampIdentities();
}

void SimControllerModel::InstallHooks() {
    motors_.Install(regs_);
    // Version blocks are read-only: a write leaves the identity in place.
    auto keep = [](SimRegisterFile& file, std::uint16_t address, std::uint8_t previous,
                   std::uint8_t) { file.SetRaw(address, previous); };
    for (int board = 0; board <= kHeadBoards; ++board) {
        const auto first = static_cast<std::uint16_t>(reg::kMainBoard + board * reg::kBoardSpan +
                                                      reg::kVersionBlock);
        regs_.AddHook({first, static_cast<std::uint16_t>(first + 15), keep, {}});
    }

    // Resets act on the rising edge of bit 7; the register keeps what was written.
    for (std::uint16_t address : {reg::kMainReset, reg::kHeadReset}) {
        regs_.AddHook(
            {address,
             address,
             [this](SimRegisterFile&, std::uint16_t a, std::uint8_t previous, std::uint8_t value) {
                 if (!(previous & kResetBit) && (value & kResetBit)) {
                     ++resetPulses_[a];
                     if (a == reg::kMainReset) RunStartImage();
                 }
             },
             {}});
    }

    for (std::uint16_t base : {reg::kFlashBlockMain, reg::kFlashBlockHead}) {
        const auto command = static_cast<std::uint16_t>(base + reg::kFlashCommand);
        regs_.AddHook({command,
                       command,
                       [this, base](SimRegisterFile& file, std::uint16_t, std::uint8_t,
                                    std::uint8_t value) { RunFlashCommand(file, base, value); },
                       {}});
        const auto statusReg = static_cast<std::uint16_t>(base + reg::kFlashStatus);
        regs_.AddHook({statusReg,
                       statusReg,
                       {},
                       [this](SimRegisterFile&, std::uint16_t, std::uint8_t stored) {
                           return FlashStatus(stored);
                       }});
    }
}

void SimControllerModel::StampIdentities() {
    for (std::size_t i = 0; i < 16; ++i) {
        regs_.SetRaw(static_cast<std::uint16_t>(reg::kMainBoard + reg::kVersionBlock + i),
                     kMainBoardIdentity[i]);
    }
    for (int board = 1; board <= kHeadBoards; ++board) {
        Identity id = kHeadBoardIdentity;
        id[1] = static_cast<std::uint8_t>(board);
        const auto first = static_cast<std::uint16_t>(reg::kMainBoard + board * reg::kBoardSpan +
                                                      reg::kVersionBlock);
        for (std::size_t i = 0; i < 16; ++i)
            regs_.SetRaw(static_cast<std::uint16_t>(first + i), id[i]);
    }
}

// Command 0x11 (or 0x1D, the alternate write) writes the data window into
// flash, 0x01 reads flash into the window. Other values (such as the 0x51 the
// configuration download writes before its image) start nothing. The work is
// done at once, through the flash faults; the status then reads busy for a few
// reads. A length beyond the window is cut to the window.
void SimControllerModel::RunFlashCommand(SimRegisterFile& file, std::uint16_t base,
                                         std::uint8_t command) {
    const bool write = (command & 0xF3) == 0x11;
    const bool read = command == 0x01;
    if (!write && !read) return;
    const std::size_t length = std::min<std::size_t>(
        std::size_t{file.Raw(static_cast<std::uint16_t>(base + reg::kFlashLength))} +
            (std::size_t{file.Raw(static_cast<std::uint16_t>(base + reg::kFlashLength + 1))} << 8) +
            1,
        reg::kFlashWindowSize);
    const std::uint32_t address =
        std::uint32_t{file.Raw(static_cast<std::uint16_t>(base + reg::kFlashAddress))} |
        (std::uint32_t{file.Raw(static_cast<std::uint16_t>(base + reg::kFlashAddress + 1))} << 8) |
        (std::uint32_t{file.Raw(static_cast<std::uint16_t>(base + reg::kFlashAddress + 2))} << 16);
    std::vector<std::uint8_t> window(length);
    if (write) {
        for (std::size_t i = 0; i < length; ++i)
            window[i] = file.Raw(static_cast<std::uint16_t>(reg::kFlashWindow + i));
        faultyFlash_.Write(flash_, address, window);
    } else {
        faultyFlash_.Read(flash_, address, window);
        for (std::size_t i = 0; i < length; ++i)
            file.SetRaw(static_cast<std::uint16_t>(reg::kFlashWindow + i), window[i]);
    }
    busyRemaining_ = flashBusyReads_;
}

std::uint8_t SimControllerModel::FlashStatus(std::uint8_t stored) {
    bool busy = false;
    if (faultyFlash_.StuckBusy()) {
        busy = true;
    } else if (faults_.busyStatusReads > 0) {
        --faults_.busyStatusReads;
        busy = true;
    } else if (busyRemaining_ > 0) {
        --busyRemaining_;
        busy = true;
    }
    return busy ? static_cast<std::uint8_t>(stored | kFlashBusy)
                : static_cast<std::uint8_t>(stored & ~kFlashBusy);
}

std::uint8_t SimControllerModel::Reg(std::uint16_t address) const {
    std::lock_guard lock(mutex_);
    return regs_.Raw(address);
}

void SimControllerModel::SetReg(std::uint16_t address, std::uint8_t value) {
    std::lock_guard lock(mutex_);
    regs_.SetRaw(address, value);
    Changed();
}

std::vector<std::pair<std::uint16_t, std::uint8_t>> SimControllerModel::WriteLog() const {
    std::lock_guard lock(mutex_);
    return regs_.WriteLog();
}

void SimControllerModel::ClearWriteLog() {
    std::lock_guard lock(mutex_);
    regs_.ClearWriteLog();
}

std::vector<std::uint8_t> SimControllerModel::ReadFlash(std::uint32_t address,
                                                        std::size_t length) const {
    std::lock_guard lock(mutex_);
    std::vector<std::uint8_t> out(std::min<std::size_t>(length, SimFlash::kSize));
    flash_.Read(address, out);
    return out;
}

void SimControllerModel::WriteFlash(std::uint32_t address, std::span<const std::uint8_t> data) {
    std::lock_guard lock(mutex_);
    flash_.Write(address, data.first(std::min<std::size_t>(data.size(), SimFlash::kSize)));
    Changed();
}

std::vector<std::vector<std::uint8_t>> SimControllerModel::VendorFrames() const {
    std::lock_guard lock(mutex_);
    return vendorFrames_;
}

void SimControllerModel::ChangeFaults(
    const std::function<void(SimFaults&, SimFlashFaults&)>& change) {
    std::lock_guard lock(mutex_);
    change(faults_, faultyFlash_.Faults());
}

std::uint64_t SimControllerModel::FlashLyingReads() const {
    std::lock_guard lock(mutex_);
    return faultyFlash_.LyingReads();
}

void SimControllerModel::AddRegisterHook(RegisterHook hook) {
    std::lock_guard lock(mutex_);
    regs_.AddHook(std::move(hook));
}

std::uint32_t SimControllerModel::ResetPulses(std::uint16_t address) const {
    std::lock_guard lock(mutex_);
    const auto it = resetPulses_.find(address);
    return it == resetPulses_.end() ? 0 : it->second;
}

bool SimControllerModel::TakeUnplugRequest() {
    std::lock_guard lock(mutex_);
    return std::exchange(unplugRequested_, false);
}

void SimControllerModel::PowerUp() {
    std::lock_guard lock(mutex_);
    regs_.ClearAll();
    answer_.clear();
    busyRemaining_ = 0;
    StampIdentities();
    RunStartImage();
    Changed();
}

StartImageReplay SimControllerModel::LastStartImageReplay() const {
    std::lock_guard lock(mutex_);
    return lastReplay_;
}

// Runs with the model locked (from PowerUp or from the reset hook).
void SimControllerModel::RunStartImage() {
    lastReplay_ = ReplayStartImage(flash_, regs_);
    StampIdentities();
}

bool SimControllerModel::TakeTimeoutFault() {
    std::lock_guard lock(mutex_);
    if (faults_.timeoutTransfers <= 0) return false;
    --faults_.timeoutTransfers;
    return true;
}

SimOutcome SimControllerModel::BulkOut(std::span<const std::uint8_t> data) {
    std::lock_guard lock(mutex_);
    if (faults_.failTransfers > 0) {
        --faults_.failTransfers;
        return SimOutcome::Failed(status::kUsbdDevNotResponding);
    }
    if (faults_.zeroByteWrites > 0) {
        --faults_.zeroByteWrites;
        return SimOutcome::Moved(0);
    }
    bool wrote = false;
    for (std::size_t at = 0; at + kWord <= data.size(); at += kWord) {
        const std::uint8_t* w = data.data() + at;
        const auto address = static_cast<std::uint16_t>(w[1] | (w[2] << 8));
        if (w[3] == kTagWrite) {
            if (address >= reg::kFlashWindow &&
                address - reg::kFlashWindow < reg::kFlashWindowSize &&
                faultyFlash_.UnplugAtWindowWrite()) {
                // The cable goes in the middle of the transfer: the rest never arrives.
                unplugRequested_ = true;
                if (wrote) Changed();
                return SimOutcome::Failed(status::kUsbdDevNotResponding);
            }
            regs_.Write(address, w[0]);
            wrote = true;
        } else if (w[3] == kTagRead) {
            QueueRead(address, std::size_t{w[0]} + 1);
        }
    }
    if (wrote) Changed();
    return SimOutcome::Moved(data.size());
}

void SimControllerModel::QueueRead(std::uint16_t start, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (answer_.size() / kWord >= kAnswerLimitWords) return;  // the answer queue is full
        const auto address = static_cast<std::uint16_t>(start + i);
        std::uint8_t value = regs_.Read(address);
        if (faults_.complementReads) value = static_cast<std::uint8_t>(255 - value);
        answer_.insert(answer_.end(), {value, static_cast<std::uint8_t>(address),
                                       static_cast<std::uint8_t>(address >> 8), kTagRead});
    }
}

SimOutcome SimControllerModel::BulkIn(std::span<std::uint8_t> room) {
    std::lock_guard lock(mutex_);
    if (faults_.failTransfers > 0) {
        --faults_.failTransfers;
        return SimOutcome::Failed(status::kUsbdDevNotResponding);  // the answer stays queued
    }
    if (answer_.empty()) return SimOutcome::Moved(0);
    if (faults_.emptyAnswers > 0) {
        --faults_.emptyAnswers;
        answer_.clear();
        return SimOutcome::Moved(0);
    }
    std::size_t words = std::min(answer_.size() / kWord, room.size() / kWord);
    if (faults_.shortAnswers > 0 && words > 0) {
        --faults_.shortAnswers;
        --words;
    }
    std::copy_n(answer_.begin(), words * kWord, room.begin());
    answer_.clear();
    SpoilAnswer(room.first(words * kWord));
    return SimOutcome::Moved(words * kWord);
}

void SimControllerModel::SpoilAnswer(std::span<std::uint8_t> words) {
    if (words.empty()) return;
    const std::size_t index = std::min(faults_.faultWordIndex, words.size() / kWord - 1);
    std::uint8_t* w = words.data() + index * kWord;
    if (faults_.wrongTagAnswers > 0) {
        --faults_.wrongTagAnswers;
        w[3] = kTagWrite;
    }
    if (faults_.wrongAddressAnswers > 0) {
        --faults_.wrongAddressAnswers;
        const auto address = static_cast<std::uint16_t>((w[1] | (w[2] << 8)) + 1);
        w[1] = static_cast<std::uint8_t>(address);
        w[2] = static_cast<std::uint8_t>(address >> 8);
    }
}

SimOutcome SimControllerModel::VendorRequest(const usb::XferRequest& setup,
                                             std::span<std::uint8_t> data) {
    std::lock_guard lock(mutex_);
    const bool in = (setup.bmRequestType & 0x80) != 0;
    const bool toDevice = (setup.bmRequestType & 0x1F) == 0;
    if (!toDevice) return SimOutcome::Failed(status::kUsbdStall);
    switch (setup.bRequest) {
        case vendor::kFirmwareId: {
            if (!in) break;
            const std::size_t n = std::min(data.size(), kFirmwareIdentity.size());
            std::copy_n(kFirmwareIdentity.begin(), n, data.begin());
            return SimOutcome::Moved(n);
        }
        case vendor::kWriteChecked:
        case vendor::kWriteCheckedAlternate: {
            if (in || data.empty()) break;
            // The last byte is the 8-bit sum of the others; a frame that fails it is refused.
            if (data.back() != Sum8(data.first(data.size() - 1))) break;
            if (vendorFrames_.size() >= kVendorFrameLimit)
                vendorFrames_.erase(vendorFrames_.begin());
            vendorFrames_.emplace_back(data.begin(), data.end());
            panelAnswers_ = setup.bRequest == vendor::kWriteChecked && panel_.Receive(data);
            return SimOutcome::Moved(data.size());
        }
        case vendor::kReadChecked:
            if (!in) break;
            return ReadChecked(data);
        default:
            break;
    }
    return SimOutcome::Failed(status::kUsbdStall);
}

// Answers [N, d1 .. dN], dN the 8-bit sum of d1 .. d(N-1): the last accepted
// frame (whose own last byte is already such a sum), or [0] before any frame.
// When the host asked for fewer bytes, the answer is shortened and its check
// byte computed anew, so every answer the device gives is well formed.
// After a panel frame the answer is the panel's reply, or a stall while the
// panel stays silent.
SimOutcome SimControllerModel::ReadChecked(std::span<std::uint8_t> data) const {
    if (panelAnswers_) {
        const auto reply = panel_.CurrentReply();
        if (!reply) return SimOutcome::Failed(status::kUsbdStall);
        return Answer(data, *reply);
    }
    if (data.empty()) return SimOutcome::Moved(0);
    if (vendorFrames_.empty()) {
        data[0] = 0;
        return SimOutcome::Moved(1);
    }
    return Answer(data, vendorFrames_.back());
}

SimOutcome SimControllerModel::Answer(std::span<std::uint8_t> data,
                                      std::span<const std::uint8_t> frame) {
    if (data.empty()) return SimOutcome::Moved(0);
    std::size_t n = std::min<std::size_t>({frame.size(), data.size() - 1, 255});
    if (n == frame.size()) {
        std::copy(frame.begin(), frame.end(), data.begin() + 1);
    } else if (n > 0) {
        std::copy_n(frame.begin(), n - 1, data.begin() + 1);
        data[n] = Sum8(data.subspan(1, n - 1));
    }
    data[0] = static_cast<std::uint8_t>(n);
    return SimOutcome::Moved(n + 1);
}

std::vector<std::uint8_t> SimControllerModel::EncodedState() const {
    std::lock_guard lock(mutex_);
    return SimStateFile::Encode(regs_.All(), flash_.Pages());
}

void SimControllerModel::Restore(const SimStateView& state) {
    std::lock_guard lock(mutex_);
    regs_.SetAll(state.registers);
    std::map<std::uint32_t, SimFlash::Page> pages;
    for (const auto& [number, page] : state.flashPages)
        std::copy(page.begin(), page.end(), pages[number].begin());
    flash_.SetPages(std::move(pages));
    StampIdentities();
}

void SimControllerModel::SetChangeListener(std::function<void()> listener) {
    std::lock_guard lock(mutex_);
    onChange_ = std::move(listener);
}

void SimControllerModel::Changed() {
    if (onChange_) onChange_();
}

}  // namespace velmor::sim
