#pragma once
// Drives the simulated driver through the port with hand-built request blocks,
// as the USB layer would, without the USB layer.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "drivers/sim/sim_driver.h"
#include "usb/ioctl_codes.h"
#include "usb/xfer_request.h"

namespace velmor::sim::testing {

struct XferResult {
    std::uint32_t error = 0;
    std::uint32_t bytes = 0;
    usb::XferRequest header;         // the block as it came back
    std::vector<std::uint8_t> data;  // data that came back (in transfers)
};

class SimPort {
  public:
    explicit SimPort(SimDriver& driver, const std::string& path = "sim:0") : driver_(driver) {
        std::uint32_t error = 0;
        handle = driver_.Open(path, error);
        EXPECT_NE(handle, usb::kInvalidHandle) << "open " << path << " error " << error;
    }
    ~SimPort() {
        if (handle != usb::kInvalidHandle) driver_.Close(handle);
    }
    SimPort(const SimPort&) = delete;
    SimPort& operator=(const SimPort&) = delete;

    static std::vector<std::uint8_t> ControlBlock(std::uint8_t requestType, std::uint8_t request,
                                                  std::uint16_t value, std::uint16_t index,
                                                  const std::vector<std::uint8_t>& data) {
        usb::XferRequest h;
        h.bmRequestType = requestType;
        h.bRequest = request;
        h.wValue = value;
        h.wIndex = index;
        h.wLength = static_cast<std::uint16_t>(data.size());
        h.timeOutSeconds = 5;
        h.bufferOffset = usb::kXferHeaderSize;
        h.bufferLength = static_cast<std::uint32_t>(data.size());
        std::vector<std::uint8_t> block(usb::kXferHeaderSize);
        h.EncodeTo(block);
        block.insert(block.end(), data.begin(), data.end());
        return block;
    }

    // A control transfer; for an in transfer `data` is zeroed room of wLength bytes.
    XferResult Control(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
                       std::uint16_t index, const std::vector<std::uint8_t>& data) {
        return Issue(usb::ioctl::kSendControlTransfer,
                     ControlBlock(requestType, request, value, index, data));
    }

    XferResult GetDescriptor(std::uint8_t type, std::uint8_t index, std::uint16_t length,
                             std::uint16_t language = 0) {
        return Control(0x80, 6, static_cast<std::uint16_t>(type << 8 | index), language,
                       std::vector<std::uint8_t>(length));
    }

    static std::vector<std::uint8_t> BufferedBlock(std::uint8_t endpoint,
                                                   const std::vector<std::uint8_t>& data) {
        usb::XferRequest h;
        h.endpointAddress = endpoint;
        h.bufferOffset = usb::kXferHeaderSize;
        h.bufferLength = static_cast<std::uint32_t>(data.size());
        std::vector<std::uint8_t> block(usb::kXferHeaderSize);
        h.EncodeTo(block);
        block.insert(block.end(), data.begin(), data.end());
        return block;
    }

    XferResult Buffered(std::uint8_t endpoint, const std::vector<std::uint8_t>& data) {
        return Issue(usb::ioctl::kSendBufferedTransfer, BufferedBlock(endpoint, data));
    }

    // A direct transfer: the block goes in, `data` is the caller's buffer.
    XferResult Direct(std::uint8_t endpoint, std::vector<std::uint8_t>& data) {
        usb::XferRequest h;
        h.endpointAddress = endpoint;
        std::vector<std::uint8_t> block(usb::kXferHeaderSize);
        h.EncodeTo(block);
        XferResult r;
        r.error =
            driver_.IoControl(handle, usb::ioctl::kDirectTransfer, block, data, r.bytes, nullptr);
        usb::XferRequest::DecodeFrom(block, r.header);
        r.data.assign(data.begin(), data.begin() + std::min<std::size_t>(r.bytes, data.size()));
        return r;
    }

    // Register words out on 0x02; true when all bytes went.
    bool Send(const std::vector<std::uint8_t>& words) {
        const XferResult r = Buffered(0x02, words);
        return r.error == 0 && r.bytes == usb::kXferHeaderSize + words.size();
    }
    // One transfer in from 0x82 with `room` bytes.
    std::vector<std::uint8_t> Receive(std::size_t room) {
        return Buffered(0x82, std::vector<std::uint8_t>(room)).data;
    }

    XferResult Issue(std::uint32_t code, std::vector<std::uint8_t> block) {
        XferResult r;
        r.error = driver_.IoControl(handle, code, block, block, r.bytes, nullptr);
        usb::XferRequest::DecodeFrom(block, r.header);
        if (r.error == 0 && r.bytes > r.header.bufferOffset &&
            r.header.bufferOffset <= block.size())
            r.data.assign(block.begin() + r.header.bufferOffset,
                          block.begin() + std::min<std::size_t>(r.bytes, block.size()));
        return r;
    }

    usb::DriverHandle handle = usb::kInvalidHandle;

  private:
    SimDriver& driver_;
};

// Register word helpers, written out here rather than borrowed from the
// controller code, so the tests check the wire format independently.
inline void PutWrite(std::vector<std::uint8_t>& out, std::uint16_t address, std::uint8_t value) {
    out.insert(out.end(), {value, static_cast<std::uint8_t>(address),
                           static_cast<std::uint8_t>(address >> 8), 0x80});
}
inline std::vector<std::uint8_t> ReadCommand(std::uint16_t address, std::size_t count) {
    return {static_cast<std::uint8_t>(count - 1), static_cast<std::uint8_t>(address),
            static_cast<std::uint8_t>(address >> 8), 0x81};
}

}  // namespace velmor::sim::testing
