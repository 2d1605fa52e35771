#pragma once
// One controller on the USB link: enumeration, open and close, descriptors and
// their parsing, and the endpoints of the current interface.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "usb/usb_driver.h"
#include "usb/usb_end_point.h"

namespace velmor::usb {

// The interface class the vendor driver exposes controllers under:
// {AE18AA60-7F6A-11D4-97DD-00010229B959}.
extern const Guid kVendorInterfaceClass;

// Shows a message box for the USB layer (text, caption). The application installs
// one; without it the messages go nowhere. The USB layer draws nothing itself.
using DescriptorNotifier = std::function<void(const std::string& text, const std::string& caption)>;

struct UsbInterfaceRecord;  // parsed interface (usb_descriptors.h)
struct UsbConfigRecord;     // parsed configuration
struct UsbBosRecord;        // parsed BOS capabilities

// The message boxes of descriptor tables the device got wrong.
inline constexpr const char* kBadConfigText = "Please correct firmware descriptor table";
inline constexpr const char* kBadConfigCaption = "Wrong Device Configuration";
inline constexpr const char* kBadBosText = "Please correct firmware BOS descriptor table";
inline constexpr const char* kBadBosCaption = "Wrong BOS Descriptor";

class CUsbLink {
  public:
    // Remembers window and class, registers for arrival/removal notifications when a
    // window is given, and opens device 0 when `openNow` is set.
    CUsbLink(UsbDriver& driver, WindowId window, const Guid& interfaceClass, bool openNow,
             DescriptorNotifier notifier = {});
    // Closes the device and unregisters the arrival/removal notification. Never
    // raises: owners hold the link in std::unique_ptr, whose destructor must not
    // throw. Call Shutdown() first to learn about a failure.
    ~CUsbLink();
    CUsbLink(const CUsbLink&) = delete;
    CUsbLink& operator=(const CUsbLink&) = delete;

    // Number of present interfaces of the class, enumerated afresh on every call.
    std::uint8_t CountDevices();
    // Opens the interface at `index` of the enumeration, reads and parses its
    // descriptors and selects configuration 0 with the interface record of the
    // alternate setting the driver reports. False leaves the link closed. May
    // raise the errors of CloseDevice (it closes first when open).
    bool OpenDevice(std::uint8_t index);
    // Releases everything OpenDevice built. Raises UsbError("Failed to close the
    // handle notification handle.") or UsbError("Failed to close handle to
    // driver.") after the cleanup when unregistering or closing failed; the link
    // is closed in every case.
    void CloseDevice();
    // What destruction does, with its failure raised: closes the device, then
    // unregisters the arrival/removal notification (UsbError("Failed to close the
    // device notification handle.")). Idempotent.
    void Shutdown();
    bool IsOpen() const { return hDevice != kInvalidHandle; }

    // Address 0: the control endpoint, whatever the interface holds (null while
    // closed). Other addresses are searched among the current interface's
    // bNumEndpoints slots: UsbError("Failed to find endpoint.") on an empty slot
    // met before the address; an absent address gives null.
    CUsbEndPoint* FindEndPoint(std::uint8_t address);

    // The 9 bytes of the current configuration's and interface's descriptors
    // (zeros while closed).
    void CopyConfigDesc(std::uint8_t out[9]) const;
    void CopyInterfaceDesc(std::uint8_t out[9]) const;

    UsbDriver& Driver() { return driver_; }

    // Endpoint shortcuts of the current interface (null when absent).
    CControlEndPoint* ControlEndPt = nullptr;
    CIsocEndPoint* IsocInEndPt = nullptr;
    CIsocEndPoint* IsocOutEndPt = nullptr;
    CBulkEndPoint* BulkInEndPt = nullptr;
    CBulkEndPoint* BulkOutEndPt = nullptr;
    CInterruptEndPoint* InterruptInEndPt = nullptr;
    CInterruptEndPoint* InterruptOutEndPt = nullptr;

    std::uint16_t StrLangID = 0;
    std::uint32_t LastError = 0;
    std::uint32_t UsbdStatus = 0;
    std::uint32_t NtStatus = 0;
    std::uint32_t DriverVersion = 0;
    std::uint32_t USBDIVersion = 0;
    std::array<char, 256> DeviceName{};
    std::array<char, 256> FriendlyName{};          // the second name
    std::array<std::uint8_t, 256> Manufacturer{};  // raw UTF-16 payloads
    std::array<std::uint8_t, 256> Product{};
    std::array<std::uint8_t, 256> SerialNumber{};
    std::string DevPath;
    std::uint16_t BcdUSB = 0;
    std::uint16_t VendorID = 0;
    std::uint16_t ProductID = 0;
    std::uint8_t USBAddress = 0;
    std::uint8_t DevClass = 0;
    std::uint8_t DevSubClass = 0;
    std::uint8_t DevProtocol = 0;
    std::uint16_t MaxPacketSize = 0;  // control packet size
    std::uint16_t BcdDevice = 0;
    std::uint8_t ConfigValue = 0;
    std::uint8_t ConfigAttrib = 0;
    std::uint8_t MaxPower = 0;
    std::uint8_t IntfcClass = 0;
    std::uint8_t IntfcSubClass = 0;
    std::uint8_t IntfcProtocol = 0;
    bool bHighSpeed = false;
    bool bSuperSpeed = false;
    std::uint32_t BytesXfered = 0;
    std::array<std::uint8_t, 18> USBDeviceDescriptor{};

    DriverHandle hDevice = kInvalidHandle;
    std::uint8_t Devices = 0;  // device count of the last enumeration
    std::uint8_t Interfaces = 0;
    std::uint8_t AltInterfaces = 0;
    std::uint8_t Configs = 0;
    std::uint8_t DevNum = 0;  // index of the opened interface
    std::uint8_t CfgNum = 0;
    std::uint8_t IntfcNum = 0;  // current interface record

    // The endpoints of the current interface (index 0 = control endpoint); at
    // most 32 slots, null = empty.
    // EndPointCount: slots in use (1 + the interface's bNumEndpoints, at most 32;
    // 0 while closed). EndPoint: the slot's endpoint or null.
    std::uint8_t EndPointCount() const;
    CUsbEndPoint* EndPoint(std::uint8_t slot) const;

    // Parsed records and the raw tables they came from, for inspection (null and
    // empty while closed or absent).
    const UsbConfigRecord* ConfigRecord(std::uint8_t index) const;
    const UsbBosRecord* BosRecord() const;
    std::span<const std::uint8_t> ConfigDescriptor(std::uint8_t index) const;
    std::span<const std::uint8_t> BosDescriptor() const;

  private:
    struct Impl;
    // How reading one descriptor table ended: parsed; answered with a table that
    // cannot be parsed (or refused); or not answered at all (device gone or silent).
    enum class TableResult { Parsed, Refused, NoAnswer };

    bool OpenHandle(std::uint8_t index);
    // A standard GET_DESCRIPTOR request, synchronous. False when the device did
    // not answer (gone, closed, timed out); otherwise `data` holds what arrived,
    // empty when the device refused the request (a stall, a failed request).
    bool GetDescriptor(std::uint8_t type, std::uint8_t index, std::uint16_t language,
                       std::uint16_t length, std::vector<std::uint8_t>& data);
    // A driver query without input: counts only when exactly `out.size()` bytes came back.
    bool Query(std::uint32_t code, std::span<std::uint8_t> out);
    void ReadStrings();
    TableResult ReadBos();
    void ReadDriverInfo();
    TableResult ReadConfiguration(std::uint8_t index);
    void SelectInterface(const UsbConfigRecord& config);
    // Shows `text` (unless null), closes and returns false.
    bool FailOpen(const char* text, const char* caption);

    UsbDriver& driver_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace velmor::usb
