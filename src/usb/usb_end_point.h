#pragma once
// Endpoints of an opened device: one transfer at a time each, synchronous for the
// caller (RunTransfer), overlapped underneath.

#include <cstdint>
#include <memory>
#include <vector>

#include "usb/overlapped.h"
#include "usb/usb_driver.h"

namespace velmor::usb {

// Per-packet results of an isochronous transfer.
struct IsoPacketInfo {
    std::uint32_t length = 0;
    std::uint32_t status = 0;
};

// The request block of one transfer in flight, with its packet descriptors and data.
struct PendingTransfer {
    std::vector<std::uint8_t> block;  // 38-byte header, then packets and/or data
    std::uint32_t dataOffset = 0;     // where the data starts in `block` (0 = direct)
    std::uint32_t packetCount = 0;    // isochronous packets described in `block`
};

class CUsbEndPoint {
public:
    // Built from an endpoint descriptor (7 bytes) and, optionally, its SuperSpeed
    // companion (6 bytes; null when absent).
    CUsbEndPoint(UsbDriver& driver, DriverHandle handle, const std::uint8_t* descriptor,
                 const std::uint8_t* companion);
    virtual ~CUsbEndPoint() = default;
    CUsbEndPoint(const CUsbEndPoint&) = delete;
    CUsbEndPoint& operator=(const CUsbEndPoint&) = delete;

    // Runs one transfer and waits for it (at most TimeOut ms; then aborts).
    // `length` in: bytes to send or room to receive; out: bytes moved.
    bool RunTransfer(std::uint8_t* buffer, std::uint32_t& length,
                     IsoPacketInfo* packets = nullptr);

    // Virtual slots, in order.
    virtual std::unique_ptr<PendingTransfer> BeginDirectTransfer(std::uint8_t* buffer,
                                                                 std::uint32_t length,
                                                                 Overlapped& overlapped);
    virtual std::unique_ptr<PendingTransfer> BeginBufferedTransfer(std::uint8_t* buffer,
                                                                   std::uint32_t length,
                                                                   Overlapped& overlapped);
    virtual std::unique_ptr<PendingTransfer> BeginTransfer(std::uint8_t* buffer,
                                                           std::uint32_t length,
                                                           Overlapped& overlapped) = 0;
    virtual bool FinishTransfer(std::uint8_t* buffer, std::uint32_t& length,
                                Overlapped& overlapped, std::unique_ptr<PendingTransfer> request,
                                IsoPacketInfo* packets);

    // Aborts the endpoint's pending transfers.
    bool Abort();

    // Fields, in the order of the data model.
    DriverHandle hDevice;
    std::uint8_t DscLen = 0;
    std::uint8_t DscType = 0;
    std::uint8_t Address = 0;
    std::uint8_t Attributes = 0;
    std::uint16_t MaxPktSize = 0;
    std::uint16_t PktsPerFrame = 0;
    std::uint8_t Interval = 0;
    std::uint8_t ssdscLen = 0;
    std::uint8_t ssdscType = 0;
    std::uint8_t ssmaxburst = 0;
    std::uint8_t ssbmAttribute = 0;
    std::uint16_t ssbytesperinterval = 0;
    std::uint32_t TimeOut = 10000;
    std::uint32_t UsbdStatus = 0;
    std::uint32_t NtStatus = 0;
    std::uint32_t bytesWritten = 0;
    std::uint32_t LastError = 0;
    std::uint8_t bIn = 0;
    std::uint8_t XferMode = 1;  // 1 direct, 0 buffered

protected:
    UsbDriver& driver_;
    // Waits for `overlapped` as RunTransfer describes; aborts on time-out.
    bool WaitForTransfer(Overlapped& overlapped);
};

class CControlEndPoint : public CUsbEndPoint {
public:
    CControlEndPoint(UsbDriver& driver, DriverHandle handle, const std::uint8_t* descriptor);

    std::unique_ptr<PendingTransfer> BeginTransfer(std::uint8_t* buffer, std::uint32_t length,
                                                   Overlapped& overlapped) override;

    std::uint32_t Target = 0;     // recipient: 0 device
    std::uint32_t ReqType = 2;    // 0 standard, 1 class, 2 vendor
    std::uint32_t Direction = 0;  // 0 host to device, 1 device to host
    std::uint8_t ReqCode = 0;
    std::uint16_t Value = 0;
    std::uint16_t Index = 0;
};

class CBulkEndPoint : public CUsbEndPoint {
public:
    using CUsbEndPoint::CUsbEndPoint;
    std::unique_ptr<PendingTransfer> BeginTransfer(std::uint8_t* buffer, std::uint32_t length,
                                                   Overlapped& overlapped) override;
};

class CInterruptEndPoint : public CUsbEndPoint {
public:
    using CUsbEndPoint::CUsbEndPoint;
    std::unique_ptr<PendingTransfer> BeginTransfer(std::uint8_t* buffer, std::uint32_t length,
                                                   Overlapped& overlapped) override;
};

class CIsocEndPoint : public CUsbEndPoint {
public:
    using CUsbEndPoint::CUsbEndPoint;
    std::unique_ptr<PendingTransfer> BeginDirectTransfer(std::uint8_t* buffer,
                                                         std::uint32_t length,
                                                         Overlapped& overlapped) override;
    std::unique_ptr<PendingTransfer> BeginBufferedTransfer(std::uint8_t* buffer,
                                                           std::uint32_t length,
                                                           Overlapped& overlapped) override;
    std::unique_ptr<PendingTransfer> BeginTransfer(std::uint8_t* buffer, std::uint32_t length,
                                                   Overlapped& overlapped) override;
};

}  // namespace velmor::usb
