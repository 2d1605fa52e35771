#include "usb/usb_end_point.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "usb/ioctl_codes.h"

namespace velmor::usb {

namespace {

std::uint8_t ByteAt(std::span<const std::uint8_t> bytes, std::size_t i) {
    return i < bytes.size() ? bytes[i] : 0;
}

std::uint16_t Le16At(std::span<const std::uint8_t> bytes, std::size_t i) {
    return static_cast<std::uint16_t>(ByteAt(bytes, i) | (ByteAt(bytes, i + 1) << 8));
}

// Packet sizes come from the device; a hostile burst or multiplier must not wrap
// the 16-bit size into something small (or zero).
std::uint16_t Saturate16(std::uint32_t value) {
    return static_cast<std::uint16_t>(std::min<std::uint32_t>(value, 0xFFFF));
}

}  // namespace

CUsbEndPoint::CUsbEndPoint(UsbDriver& driver, DriverHandle handle,
                           std::span<const std::uint8_t> descriptor,
                           std::span<const std::uint8_t> companion)
    : hDevice(handle), driver_(driver) {
    DscLen = ByteAt(descriptor, 0);
    DscType = ByteAt(descriptor, 1);
    Address = ByteAt(descriptor, 2);
    Attributes = ByteAt(descriptor, 3);
    const std::uint16_t wMaxPacketSize = Le16At(descriptor, 4);
    Interval = ByteAt(descriptor, 6);
    PktsPerFrame = static_cast<std::uint16_t>(((wMaxPacketSize >> 11) & 3) + 1);
    std::uint32_t size = static_cast<std::uint32_t>(wMaxPacketSize & 0x7FF) * PktsPerFrame;
    if (!companion.empty()) {
        ssdscLen = ByteAt(companion, 0);
        ssdscType = ByteAt(companion, 1);
        ssmaxburst = ByteAt(companion, 2);
        ssbmAttribute = ByteAt(companion, 3);
        ssbytesperinterval = Le16At(companion, 4);
        size *= static_cast<std::uint32_t>(ssmaxburst) + 1;
        if ((Attributes & 3) == kEndPointIsochronous) {
            size *= static_cast<std::uint32_t>(ssbmAttribute & 3) + 1;
        }
    }
    MaxPktSize = Saturate16(size);
    bIn = static_cast<std::uint8_t>(Address >> 7);
}

std::unique_ptr<PendingTransfer> CUsbEndPoint::Start(XferRequest header, std::uint8_t* buffer,
                                                     std::uint32_t length, bool buffered,
                                                     std::uint32_t packetCount, std::uint32_t code,
                                                     Overlapped& overlapped) {
    if (buffer == nullptr && length > 0) {
        LastError = error::kInvalidParameter;
        return nullptr;
    }
    // Offsets and lengths in the block are 32-bit.
    const std::uint64_t blockSize = kXferHeaderSize +
                                    std::uint64_t{packetCount} * kIsoPacketDescriptorSize +
                                    (buffered ? length : 0);
    if (blockSize > std::numeric_limits<std::uint32_t>::max()) {
        LastError = error::kInvalidParameter;
        return nullptr;
    }
    const std::uint32_t packetBytes =
        packetCount * static_cast<std::uint32_t>(kIsoPacketDescriptorSize);
    header.endpointAddress = Address;
    if (packetCount > 0) {
        header.isoPacketOffset = static_cast<std::uint32_t>(kXferHeaderSize);
        header.isoPacketLength = packetBytes;
    }
    auto request = std::make_unique<PendingTransfer>();
    request->length = length;
    request->buffered = buffered;
    request->packetCount = packetCount;
    if (buffered) {
        request->dataOffset = static_cast<std::uint32_t>(kXferHeaderSize) + packetBytes;
        header.bufferOffset = request->dataOffset;
        header.bufferLength = length;
    }
    request->block = MakeRequestBlock(header, packetCount, buffered ? length : 0);
    std::uint8_t* packets = request->block.data() + kXferHeaderSize;
    for (std::uint32_t i = 0; i < packetCount; ++i) {
        IsoPacketDescriptor packet;
        packet.offset = i * MaxPktSize;
        EncodeIsoPacket(packet, {packets + i * kIsoPacketDescriptorSize, kIsoPacketDescriptorSize});
    }
    if (buffered && length > 0) {
        std::memcpy(request->block.data() + request->dataOffset, buffer, length);
    }

    std::span<std::uint8_t> output = buffered ? std::span<std::uint8_t>(request->block)
                                              : std::span<std::uint8_t>(buffer, length);
    std::uint32_t bytesReturned = 0;
    LastError =
        driver_.IoControl(hDevice, code, request->block, output, bytesReturned, &overlapped);
    request->started = LastError == error::kSuccess || LastError == error::kIoPending;
    return request;
}

std::unique_ptr<PendingTransfer> CUsbEndPoint::BeginDirectTransfer(std::uint8_t* buffer,
                                                                   std::uint32_t length,
                                                                   Overlapped& overlapped) {
    return Start({}, buffer, length, false, 0, ioctl::kDirectTransfer, overlapped);
}

std::unique_ptr<PendingTransfer> CUsbEndPoint::BeginBufferedTransfer(std::uint8_t* buffer,
                                                                     std::uint32_t length,
                                                                     Overlapped& overlapped) {
    return Start({}, buffer, length, true, 0, ioctl::kSendBufferedTransfer, overlapped);
}

std::unique_ptr<PendingTransfer> CUsbEndPoint::BeginByMode(std::uint8_t* buffer,
                                                           std::uint32_t length,
                                                           Overlapped& overlapped) {
    return XferMode == kXferModeDirect ? BeginDirectTransfer(buffer, length, overlapped)
                                       : BeginBufferedTransfer(buffer, length, overlapped);
}

bool CUsbEndPoint::Abort() {
    std::uint8_t address = Address;
    std::uint32_t bytesReturned = 0;
    const std::uint32_t result =
        driver_.IoControl(hDevice, ioctl::kAbortPipe, {&address, 1}, {}, bytesReturned, nullptr);
    return result == error::kSuccess;
}

bool CUsbEndPoint::WaitForTransfer(Overlapped& overlapped, bool& timedOut) {
    timedOut = false;
    if (LastError == error::kSuccess) return true;  // completed at once
    if (LastError != error::kIoPending) return false;
    if (driver_.WaitForCompletion(overlapped, TimeOut) == WaitResult::Signalled) return true;
    // The driver still owns the request block and, in direct mode, the caller's
    // buffer: after the abort they may be released only once it has let go.
    timedOut = true;
    Abort();
    driver_.WaitForCompletion(overlapped, kInfinite);
    return false;
}

bool CUsbEndPoint::FinishTransfer(std::uint8_t* buffer, std::uint32_t& length,
                                  Overlapped& overlapped, std::unique_ptr<PendingTransfer> request,
                                  IsoPacketInfo* packets) {
    if (!request) {
        length = 0;
        bytesWritten = 0;
        return false;
    }
    std::uint32_t bytes = 0;
    std::uint32_t error = 0;
    const bool ok = driver_.GetOverlappedResult(hDevice, overlapped, bytes, error);
    LastError = ok ? error::kSuccess : error;

    // The driver's count is not trusted beyond what was asked for.
    std::uint32_t moved = bytes > request->dataOffset ? bytes - request->dataOffset : 0;
    moved = std::min(moved, request->length);
    length = moved;
    bytesWritten = moved;

    NtStatus = GetLe32(request->block.data() + kXferNtStatusOffset);
    UsbdStatus = GetLe32(request->block.data() + kXferUsbdStatusOffset);

    if (request->buffered && bIn && moved > 0) {
        std::memcpy(buffer, request->block.data() + request->dataOffset, moved);
    }
    if (packets != nullptr) {
        const std::uint8_t* p = request->block.data() + kXferHeaderSize;
        for (std::uint32_t i = 0; i < request->packetCount; ++i) {
            const IsoPacketDescriptor packet =
                DecodeIsoPacket({p + i * kIsoPacketDescriptorSize, kIsoPacketDescriptorSize});
            packets[i].length = packet.length;
            packets[i].status = packet.status;
        }
    }
    return ok && NtStatus == 0 && UsbdStatus == 0;
}

bool CUsbEndPoint::RunTransfer(std::uint8_t* buffer, std::uint32_t& length,
                               IsoPacketInfo* packets) {
    Overlapped overlapped;
    std::unique_ptr<PendingTransfer> request = BeginTransfer(buffer, length, overlapped);
    if (!request || !request->started) {
        // Nothing is in flight: no wait, and nothing moved.
        length = 0;
        bytesWritten = 0;
        return false;
    }
    bool timedOut = false;
    const bool waited = WaitForTransfer(overlapped, timedOut);
    const bool finished = FinishTransfer(buffer, length, overlapped, std::move(request), packets);
    if (timedOut) LastError = error::kSemTimeout;
    return waited && finished;
}

CControlEndPoint::CControlEndPoint(UsbDriver& driver, DriverHandle handle,
                                   std::span<const std::uint8_t> descriptor)
    : CUsbEndPoint(driver, handle, descriptor) {
    XferMode = kXferModeBuffered;
}

std::unique_ptr<PendingTransfer> CControlEndPoint::BeginTransfer(std::uint8_t* buffer,
                                                                 std::uint32_t length,
                                                                 Overlapped& overlapped) {
    if (hDevice == kInvalidHandle) {
        LastError = error::kInvalidHandle;
        return nullptr;
    }
    if (length > std::numeric_limits<std::uint16_t>::max()) {
        LastError = error::kInvalidParameter;  // wLength cannot describe it
        return nullptr;
    }
    bIn = static_cast<std::uint8_t>(Direction & 1);
    XferRequest header;
    header.bmRequestType =
        static_cast<std::uint8_t>((bIn << 7) | ((ReqType << 5) & 0x60) | (Target & 0x1F));
    header.bRequest = ReqCode;
    header.wValue = Value;
    header.wIndex = Index;
    header.wLength = static_cast<std::uint16_t>(length);
    header.timeOutSeconds = TimeOut == 0 ? 0 : (TimeOut < 1000 ? 1 : TimeOut / 1000);
    return Start(header, buffer, length, true, 0, ioctl::kSendControlTransfer, overlapped);
}

std::unique_ptr<PendingTransfer> CBulkEndPoint::BeginTransfer(std::uint8_t* buffer,
                                                              std::uint32_t length,
                                                              Overlapped& overlapped) {
    return BeginByMode(buffer, length, overlapped);
}

std::unique_ptr<PendingTransfer> CInterruptEndPoint::BeginTransfer(std::uint8_t* buffer,
                                                                   std::uint32_t length,
                                                                   Overlapped& overlapped) {
    return BeginByMode(buffer, length, overlapped);
}

std::uint32_t CIsocEndPoint::PacketCount(std::uint32_t length) const {
    if (MaxPktSize == 0) return 0;
    return length / MaxPktSize + (length % MaxPktSize != 0 ? 1 : 0);
}

std::unique_ptr<PendingTransfer> CIsocEndPoint::BeginDirectTransfer(std::uint8_t* buffer,
                                                                    std::uint32_t length,
                                                                    Overlapped& overlapped) {
    return BeginPackets(buffer, length, false, overlapped);
}

std::unique_ptr<PendingTransfer> CIsocEndPoint::BeginBufferedTransfer(std::uint8_t* buffer,
                                                                      std::uint32_t length,
                                                                      Overlapped& overlapped) {
    return BeginPackets(buffer, length, true, overlapped);
}

// No transfer at all when the packet size or the packet count is 0.
std::unique_ptr<PendingTransfer> CIsocEndPoint::BeginPackets(std::uint8_t* buffer,
                                                             std::uint32_t length, bool buffered,
                                                             Overlapped& overlapped) {
    const std::uint32_t packets = PacketCount(length);
    if (packets == 0) {
        LastError = error::kInvalidParameter;
        return nullptr;
    }
    return Start({}, buffer, length, buffered, packets,
                 buffered ? ioctl::kSendBufferedTransfer : ioctl::kDirectTransfer, overlapped);
}

std::unique_ptr<PendingTransfer> CIsocEndPoint::BeginTransfer(std::uint8_t* buffer,
                                                              std::uint32_t length,
                                                              Overlapped& overlapped) {
    return BeginByMode(buffer, length, overlapped);
}

}  // namespace velmor::usb
