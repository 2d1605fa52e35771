#pragma once
// Endpoints of an opened device: one transfer at a time each, synchronous for the
// caller (RunTransfer), overlapped underneath.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "usb/overlapped.h"
#include "usb/usb_driver.h"
#include "usb/xfer_request.h"

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
    std::uint32_t length = 0;         // bytes the caller asked to move
    bool buffered = false;            // data travels inside `block`
    bool started = false;             // the driver accepted the request (done or pending)
};

// Endpoint types, the low two bits of bmAttributes.
inline constexpr std::uint8_t kEndPointControl = 0;
inline constexpr std::uint8_t kEndPointIsochronous = 1;
inline constexpr std::uint8_t kEndPointBulk = 2;
inline constexpr std::uint8_t kEndPointInterrupt = 3;

inline constexpr std::uint8_t kXferModeBuffered = 0;
inline constexpr std::uint8_t kXferModeDirect = 1;

class CUsbEndPoint {
  public:
    // Built from an endpoint descriptor (7 bytes) and, optionally, its SuperSpeed
    // companion (6 bytes; empty when absent). Missing bytes read as 0.
    CUsbEndPoint(UsbDriver& driver, DriverHandle handle, std::span<const std::uint8_t> descriptor,
                 std::span<const std::uint8_t> companion = {});
    virtual ~CUsbEndPoint() = default;
    CUsbEndPoint(const CUsbEndPoint&) = delete;
    CUsbEndPoint& operator=(const CUsbEndPoint&) = delete;

    // Runs one transfer and waits for it (at most TimeOut ms; then aborts, waits
    // for the abort to take effect and reports false).
    // `length` in: bytes to send or room to receive in `buffer`; out: bytes moved.
    // `packets` (isochronous only, may be null) receives one entry per packet of
    // MaxPktSize bytes, that is ceil(length / MaxPktSize) entries.
    bool RunTransfer(std::uint8_t* buffer, std::uint32_t& length, IsoPacketInfo* packets = nullptr);

    // Virtual slots, in order. A begin returns null when nothing could be built
    // (LastError tells why); otherwise the request, with `started` telling whether
    // the driver took it.
    virtual std::unique_ptr<PendingTransfer> BeginDirectTransfer(std::uint8_t* buffer,
                                                                 std::uint32_t length,
                                                                 Overlapped& overlapped);
    virtual std::unique_ptr<PendingTransfer> BeginBufferedTransfer(std::uint8_t* buffer,
                                                                   std::uint32_t length,
                                                                   Overlapped& overlapped);
    virtual std::unique_ptr<PendingTransfer> BeginTransfer(std::uint8_t* buffer,
                                                           std::uint32_t length,
                                                           Overlapped& overlapped) = 0;
    virtual bool FinishTransfer(std::uint8_t* buffer, std::uint32_t& length, Overlapped& overlapped,
                                std::unique_ptr<PendingTransfer> request, IsoPacketInfo* packets);

    // Aborts the endpoint's pending transfers (I/O control 0x220044).
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
    std::uint8_t XferMode = kXferModeDirect;

  protected:
    UsbDriver& driver_;

    // Builds the request block (the endpoint address and the offsets and lengths
    // filled into `header`; `packetCount` descriptors of MaxPktSize bytes each; for
    // a buffered transfer the caller's bytes at the data offset) and issues it with
    // I/O control `code`. LastError holds the driver's answer.
    std::unique_ptr<PendingTransfer> Start(XferRequest header, std::uint8_t* buffer,
                                           std::uint32_t length, bool buffered,
                                           std::uint32_t packetCount, std::uint32_t code,
                                           Overlapped& overlapped);
    // Direct or buffered by XferMode.
    std::unique_ptr<PendingTransfer> BeginByMode(std::uint8_t* buffer, std::uint32_t length,
                                                 Overlapped& overlapped);
    // Waits for `overlapped` as RunTransfer describes; aborts on time-out.
    // `timedOut` tells the caller that the abort path was taken.
    bool WaitForTransfer(Overlapped& overlapped, bool& timedOut);
};

class CControlEndPoint : public CUsbEndPoint {
  public:
    CControlEndPoint(UsbDriver& driver, DriverHandle handle,
                     std::span<const std::uint8_t> descriptor);

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
    std::unique_ptr<PendingTransfer> BeginDirectTransfer(std::uint8_t* buffer, std::uint32_t length,
                                                         Overlapped& overlapped) override;
    std::unique_ptr<PendingTransfer> BeginBufferedTransfer(std::uint8_t* buffer,
                                                           std::uint32_t length,
                                                           Overlapped& overlapped) override;
    std::unique_ptr<PendingTransfer> BeginTransfer(std::uint8_t* buffer, std::uint32_t length,
                                                   Overlapped& overlapped) override;

    // Packets a transfer of `length` bytes is split into; 0 when MaxPktSize is 0.
    std::uint32_t PacketCount(std::uint32_t length) const;

  private:
    std::unique_ptr<PendingTransfer> BeginPackets(std::uint8_t* buffer, std::uint32_t length,
                                                  bool buffered, Overlapped& overlapped);
};

}  // namespace velmor::usb
