#pragma once
// A controller object on an opened controller whose every transfer is scripted from the
// fuzz bytes: each script completes at once with the given data and byte count and
// status, or is refused by the driver. Without scripts left, transfers complete empty.

#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "common/fuzz_input.h"
#include "controller/main_operation.h"
#include "support/fake_driver.h"
#include "usb/usb_link.h"

namespace velmor::fuzz {

struct FuzzController {
    FuzzController() {
        driver.AddDevice(usb::test::ControllerDevice());
        op.SetDevice(std::make_unique<usb::CUsbLink>(driver, usb::WindowId{0},
                                                     usb::kVendorInterfaceClass, true));
        op.deviceOpened = 1;
        op.connected = 1;
    }

    // Scripts up to `count` transfers from the input; remembers every answer's bytes.
    void ScriptTransfers(FuzzInput& in, int count) {
        for (int i = 0; i < count && !in.Empty(); ++i) {
            const std::uint8_t kind = in.Byte();
            usb::test::TransferScript script;
            if ((kind & 0x0F) == 0) {
                script.answer = usb::test::Answer::Fail;
                script.error = usb::error::kGenFailure;
            }
            if ((kind & 0x30) == 0x30) script.usbdStatus = 0xC0000004;  // a stall
            script.inData = in.Chunk();
            // Now and then the driver claims more (or fewer) bytes than it delivered.
            if (countsFromFuzz && (kind & 0xC0) == 0xC0) script.bytesReturned = in.U16();
            answers.push_back(script.inData);
            driver.Script(std::move(script));
        }
    }

    // Every (address, value) a well-formed read-answer word in the scripts carries, at
    // any four-byte position of an answer.
    std::set<std::pair<std::uint16_t, std::uint8_t>> AnsweredWords() const {
        std::set<std::pair<std::uint16_t, std::uint8_t>> words;
        for (const auto& a : answers) {
            for (std::size_t i = 0; i + 4 <= a.size(); i += 4) {
                if (a[i + 3] == 0x81)
                    words.insert({static_cast<std::uint16_t>(a[i + 1] | (a[i + 2] << 8)), a[i]});
            }
        }
        return words;
    }

    // Whether the driver's byte counts may disagree with the bytes it delivered.
    bool countsFromFuzz = true;
    usb::test::FakeDriver driver;
    controller::CMainOperation op;  // last: its device goes before the driver
    std::vector<std::vector<std::uint8_t>> answers;
};

}  // namespace velmor::fuzz
