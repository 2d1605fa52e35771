#include "usb/usb_link.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "usb/descriptor_parser.h"
#include "usb/ioctl_codes.h"
#include "usb/usb_descriptors.h"
#include "usb/usb_error.h"
#include "usb/xfer_request.h"

namespace velmor::usb {

const Guid kVendorInterfaceClass = {0x60, 0xAA, 0x18, 0xAE, 0x6A, 0x7F, 0xD4, 0x11,
                                    0x97, 0xDD, 0x00, 0x01, 0x02, 0x29, 0xB9, 0x59};

namespace {

constexpr std::uint8_t kGetDescriptorRequestType = 0x80;  // standard, device, in
constexpr std::uint8_t kGetDescriptorRequest = 6;
constexpr std::uint32_t kDescriptorTimeOutSeconds = 5;
constexpr std::uint16_t kStringRequestLength = 255;  // the largest a bLength can declare

constexpr const char* kCloseHandleNotificationText =
    "Failed to close the handle notification handle.";
constexpr const char* kCloseHandleText = "Failed to close handle to driver.";
constexpr const char* kCloseDeviceNotificationText =
    "Failed to close the device notification handle.";
constexpr const char* kFindEndPointText = "Failed to find endpoint.";

// Errors that mean the device did not answer at all, rather than answering wrong.
bool DeviceSilent(std::uint32_t lastError) {
    switch (lastError) {
        case error::kFileNotFound:
        case error::kInvalidHandle:
        case error::kSemTimeout:
        case error::kOperationAborted:
        case error::kDeviceNotConnected:
            return true;
        default:
            return false;
    }
}

}  // namespace

struct CUsbLink::Impl {
    WindowId window = 0;
    Guid interfaceClass{};
    DescriptorNotifier notifier;
    NotificationHandle interfaceNotification = 0;
    NotificationHandle handleNotification = 0;

    std::unique_ptr<CControlEndPoint> control;
    std::array<std::vector<std::uint8_t>, kMaxConfigurations> configDescriptors;
    std::array<std::unique_ptr<UsbConfigRecord>, kMaxConfigurations> configs;
    std::vector<std::uint8_t> bosDescriptor;
    std::unique_ptr<UsbBosRecord> bos;

    std::array<CUsbEndPoint*, kEndPointSlots> table{};  // the current interface's slots
    std::uint8_t tableCount = 0;

    void Notify(const char* text, const char* caption) const {
        if (notifier) notifier(text, caption);
    }
};

CUsbLink::CUsbLink(UsbDriver& driver, WindowId window, const Guid& interfaceClass, bool openNow,
                   DescriptorNotifier notifier)
    : driver_(driver), impl_(std::make_unique<Impl>()) {
    impl_->window = window;
    impl_->interfaceClass = interfaceClass;
    impl_->notifier = std::move(notifier);
    if (window != 0) {
        impl_->interfaceNotification =
            driver_.RegisterInterfaceNotification(window, interfaceClass);
    }
    if (openNow) {
        try {
            OpenDevice(0);
        } catch (...) {
            // No destructor runs for a half-built object: let go of the registration.
            if (impl_->interfaceNotification != 0) {
                driver_.UnregisterNotification(impl_->interfaceNotification);
            }
            throw;
        }
    }
}

CUsbLink::~CUsbLink() {
    try {
        Shutdown();
    } catch (const UsbError&) {
        // Nobody can catch an error here; LastError keeps the driver's code.
    }
}

void CUsbLink::Shutdown() {
    std::optional<UsbError> failure;
    try {
        CloseDevice();
    } catch (const UsbError& e) {
        failure = e;
    }
    if (impl_->interfaceNotification != 0) {
        if (!driver_.UnregisterNotification(impl_->interfaceNotification)) {
            LastError = error::kGenFailure;
            if (!failure) failure.emplace(kCloseDeviceNotificationText, LastError);
        }
        impl_->interfaceNotification = 0;
    }
    if (failure) throw *failure;
}

std::uint8_t CUsbLink::CountDevices() {
    const std::size_t count = driver_.EnumerateInterfaces(impl_->interfaceClass).size();
    Devices = static_cast<std::uint8_t>(std::min<std::size_t>(count, 0xFF));
    return Devices;
}

bool CUsbLink::OpenHandle(std::uint8_t index) {
    const std::vector<std::string> paths = driver_.EnumerateInterfaces(impl_->interfaceClass);
    Devices = static_cast<std::uint8_t>(std::min<std::size_t>(paths.size(), 0xFF));
    if (Devices == 0 || index > Devices - 1) {
        LastError = error::kNoMoreItems;
        hDevice = kInvalidHandle;
        DevNum = 0;
        return false;
    }
    DevPath = paths[index];
    std::uint32_t lastError = 0;
    hDevice = driver_.Open(DevPath, lastError);
    if (hDevice == kInvalidHandle) {
        LastError = lastError;
        DevNum = 0;
        return false;
    }
    return true;
}

bool CUsbLink::GetDescriptor(std::uint8_t type, std::uint8_t index, std::uint16_t language,
                             std::uint16_t length, std::vector<std::uint8_t>& data) {
    data.clear();
    XferRequest header;
    header.bmRequestType = kGetDescriptorRequestType;
    header.bRequest = kGetDescriptorRequest;
    header.wValue = static_cast<std::uint16_t>(type << 8 | index);
    header.wIndex = language;
    header.wLength = length;
    header.timeOutSeconds = kDescriptorTimeOutSeconds;
    header.bufferOffset = static_cast<std::uint32_t>(kXferHeaderSize);
    header.bufferLength = length;
    std::vector<std::uint8_t> block = MakeRequestBlock(header, 0, length);

    std::uint32_t bytes = 0;
    LastError =
        driver_.IoControl(hDevice, ioctl::kSendControlTransfer, block, block, bytes, nullptr);
    BytesXfered = bytes;
    NtStatus = GetLe32(block.data() + kXferNtStatusOffset);
    UsbdStatus = GetLe32(block.data() + kXferUsbdStatusOffset);
    if (LastError != error::kSuccess) {
        // A device that is gone or silent gave no answer; any other failure (a
        // stall, above all) is the device refusing the request: no table.
        return !DeviceSilent(LastError);
    }
    if (NtStatus != 0 || UsbdStatus != 0) return true;
    const std::size_t received =
        std::min<std::size_t>(bytes > kXferHeaderSize ? bytes - kXferHeaderSize : 0, length);
    data.assign(block.begin() + kXferHeaderSize,
                block.begin() + static_cast<std::ptrdiff_t>(kXferHeaderSize + received));
    return true;
}

bool CUsbLink::Query(std::uint32_t code, std::span<std::uint8_t> out) {
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    std::uint32_t bytes = 0;
    LastError = driver_.IoControl(hDevice, code, out, out, bytes, nullptr);
    BytesXfered = bytes;
    return LastError == error::kSuccess && bytes == out.size();
}

void CUsbLink::ReadStrings() {
    std::vector<std::uint8_t> bytes;
    StrLangID = 0;
    if (GetDescriptor(kDescString, 0, 0, 2, bytes) && bytes.size() == 2 && bytes[0] > 2) {
        if (GetDescriptor(kDescString, 0, 0, bytes[0], bytes)) StrLangID = ChooseLanguage(bytes);
    }
    const auto readString = [&](std::uint8_t stringIndex, std::array<std::uint8_t, 256>& out) {
        out.fill(0);
        if (stringIndex == 0) return;  // the device has no such string
        if (GetDescriptor(kDescString, stringIndex, StrLangID, kStringRequestLength, bytes)) {
            CopyStringPayload(bytes, out);
        }
    };
    readString(USBDeviceDescriptor[14], Manufacturer);
    readString(USBDeviceDescriptor[15], Product);
    readString(USBDeviceDescriptor[16], SerialNumber);
}

CUsbLink::TableResult CUsbLink::ReadBos() {
    std::vector<std::uint8_t> head;
    if (!GetDescriptor(kDescBos, 0, 0, kBosDescriptorSize, head)) return TableResult::NoAnswer;
    if (head.size() < kBosDescriptorSize) return TableResult::Refused;
    const std::uint16_t total = GetLe16(head.data() + 2);
    if (total < kBosDescriptorSize) return TableResult::Refused;
    if (!GetDescriptor(kDescBos, 0, 0, total, impl_->bosDescriptor)) return TableResult::NoAnswer;
    impl_->bos = ParseBos(impl_->bosDescriptor);
    return impl_->bos ? TableResult::Parsed : TableResult::Refused;
}

void CUsbLink::ReadDriverInfo() {
    // Nothing of a previously opened device may survive a query that fails.
    USBAddress = 0;
    DriverVersion = USBDIVersion = 0;
    std::array<std::uint8_t, 4> word{};
    std::uint8_t byte = 0;
    if (Query(ioctl::kGetAddress, {&byte, 1})) USBAddress = byte;

    auto* name = reinterpret_cast<std::uint8_t*>(DeviceName.data());
    if (!Query(ioctl::kGetDeviceName, {name, DeviceName.size()})) DeviceName.fill(0);
    DeviceName.back() = 0;  // the text is shown: it must end inside the member
    auto* second = reinterpret_cast<std::uint8_t*>(FriendlyName.data());
    if (!Query(ioctl::kGetSecondName, {second, FriendlyName.size()})) FriendlyName.fill(0);
    FriendlyName.back() = 0;

    if (Query(ioctl::kGetDriverVersion, word)) DriverVersion = GetLe32(word.data());
    if (Query(ioctl::kGetUsbdiVersion, word)) USBDIVersion = GetLe32(word.data());
    std::uint32_t speed = 0;
    if (Query(ioctl::kGetDeviceSpeed, word)) speed = GetLe32(word.data());
    bHighSpeed = speed == ioctl::kSpeedHigh;
    bSuperSpeed = speed == ioctl::kSpeedSuper;
}

CUsbLink::TableResult CUsbLink::ReadConfiguration(std::uint8_t index) {
    std::vector<std::uint8_t> head;
    if (!GetDescriptor(kDescConfiguration, index, 0, kConfigDescriptorSize, head)) {
        return TableResult::NoAnswer;
    }
    if (head.size() < kConfigDescriptorSize) return TableResult::Refused;
    const std::uint16_t total = GetLe16(head.data() + 2);
    if (total < kConfigDescriptorSize) return TableResult::Refused;
    auto& raw = impl_->configDescriptors[index];
    if (!GetDescriptor(kDescConfiguration, index, 0, total, raw)) return TableResult::NoAnswer;
    const bool companions = (BcdUSB & 0xFF00) != 0x0200;
    impl_->configs[index] = ParseConfiguration(raw, companions, driver_, hDevice);
    return impl_->configs[index] ? TableResult::Parsed : TableResult::Refused;
}

bool CUsbLink::FailOpen(const char* text, const char* caption) {
    if (text != nullptr) impl_->Notify(text, caption);
    CloseDevice();
    return false;
}

bool CUsbLink::OpenDevice(std::uint8_t index) {
    if (IsOpen()) CloseDevice();
    if (!OpenHandle(index)) return false;
    DevNum = index;

    std::vector<std::uint8_t> device;
    if (!GetDescriptor(kDescDevice, 0, 0, kDeviceDescriptorSize, device)) {
        return FailOpen(nullptr, nullptr);
    }
    if (!IsDeviceDescriptor(device)) return FailOpen(kBadConfigText, kBadConfigCaption);
    std::copy_n(device.begin(), kDeviceDescriptorSize, USBDeviceDescriptor.begin());
    const std::uint8_t* d = USBDeviceDescriptor.data();
    BcdUSB = GetLe16(d + 2);
    DevClass = d[4];
    DevSubClass = d[5];
    DevProtocol = d[6];
    MaxPacketSize = ControlPacketSize(BcdUSB, d[7]);
    VendorID = GetLe16(d + 8);
    ProductID = GetLe16(d + 10);
    BcdDevice = GetLe16(d + 12);
    Configs = d[17];

    ReadStrings();

    if ((BcdUSB & 0xFF00) == 0x0300) {
        const TableResult bos = ReadBos();
        if (bos == TableResult::NoAnswer) return FailOpen(nullptr, nullptr);
        if (bos == TableResult::Refused) return FailOpen(kBadBosText, kBadBosCaption);
    }

    ReadDriverInfo();

    const std::uint8_t configs = std::min<std::uint8_t>(Configs, kMaxConfigurations);
    for (std::uint8_t i = 0; i < configs; ++i) {
        const TableResult config = ReadConfiguration(i);
        if (config == TableResult::NoAnswer) return FailOpen(nullptr, nullptr);
        if (config == TableResult::Refused) return FailOpen(kBadConfigText, kBadConfigCaption);
    }

    const std::uint8_t controlDescriptor[kEndPointDescriptorSize] = {
        static_cast<std::uint8_t>(kEndPointDescriptorSize),
        kDescEndPoint,
        0,
        0,
        static_cast<std::uint8_t>(MaxPacketSize & 0xFF),
        static_cast<std::uint8_t>(MaxPacketSize >> 8),
        0};
    impl_->control = std::make_unique<CControlEndPoint>(driver_, hDevice, controlDescriptor);
    ControlEndPt = impl_->control.get();

    const UsbConfigRecord* config = impl_->configs[0].get();
    if (config == nullptr || !config->interfaces[0]) return FailOpen(nullptr, nullptr);

    SelectInterface(*config);

    if (impl_->interfaceNotification != 0) {
        impl_->handleNotification = driver_.RegisterHandleNotification(impl_->window, hDevice);
    }
    return true;
}

void CUsbLink::SelectInterface(const UsbConfigRecord& config) {
    CfgNum = 0;
    IntfcNum = 0;
    std::uint8_t alternate = 0;
    if (Query(ioctl::kGetAltInterface, {&alternate, 1})) {
        for (std::uint8_t i = 0; i < config.interfaceCount; ++i) {
            if (config.interfaces[i]->AlternateSetting() == alternate) {
                IntfcNum = i;
                break;
            }
        }
    }
    const UsbInterfaceRecord& record = *config.interfaces[IntfcNum];

    ConfigValue = config.ConfigurationValue();
    ConfigAttrib = config.Attributes();
    MaxPower = config.MaxPower();
    Interfaces = config.NumInterfaces();
    AltInterfaces = record.altSettings;
    IntfcClass = record.InterfaceClass();
    IntfcSubClass = record.InterfaceSubClass();
    IntfcProtocol = record.InterfaceProtocol();

    impl_->table.fill(nullptr);
    impl_->table[0] = ControlEndPt;
    impl_->tableCount =
        static_cast<std::uint8_t>(std::min<std::size_t>(record.NumEndPoints(), kMaxEndPoints) + 1);
    for (std::size_t slot = 1; slot < kEndPointSlots; ++slot) {
        CUsbEndPoint* endPoint = record.endPoints[slot].get();
        impl_->table[slot] = endPoint;
        if (endPoint == nullptr) continue;
        endPoint->XferMode = kXferModeDirect;
        const bool in = (endPoint->Address & 0x80) != 0;
        switch (endPoint->Attributes & 3) {
            case kEndPointIsochronous: {
                auto*& shortcut = in ? IsocInEndPt : IsocOutEndPt;
                if (shortcut == nullptr) shortcut = static_cast<CIsocEndPoint*>(endPoint);
                break;
            }
            case kEndPointBulk: {
                auto*& shortcut = in ? BulkInEndPt : BulkOutEndPt;
                if (shortcut == nullptr) shortcut = static_cast<CBulkEndPoint*>(endPoint);
                break;
            }
            case kEndPointInterrupt: {
                auto*& shortcut = in ? InterruptInEndPt : InterruptOutEndPt;
                if (shortcut == nullptr) shortcut = static_cast<CInterruptEndPoint*>(endPoint);
                break;
            }
            default:
                break;
        }
    }
}

void CUsbLink::CloseDevice() {
    std::optional<UsbError> failure;
    if (impl_->handleNotification != 0) {
        if (!driver_.UnregisterNotification(impl_->handleNotification)) {
            LastError = error::kGenFailure;
            failure.emplace(kCloseHandleNotificationText, LastError);
        }
        impl_->handleNotification = 0;
    }
    if (hDevice != kInvalidHandle) {
        const std::uint32_t result = driver_.Close(hDevice);
        if (result != error::kSuccess) {
            LastError = result;
            if (!failure) failure.emplace(kCloseHandleText, LastError);
        }
        hDevice = kInvalidHandle;
    }

    USBDeviceDescriptor.fill(0);
    impl_->bosDescriptor.clear();
    impl_->bos.reset();
    for (auto& raw : impl_->configDescriptors) raw.clear();
    for (auto& config : impl_->configs) config.reset();
    impl_->table.fill(nullptr);
    impl_->tableCount = 0;
    IsocInEndPt = IsocOutEndPt = nullptr;
    BulkInEndPt = BulkOutEndPt = nullptr;
    InterruptInEndPt = InterruptOutEndPt = nullptr;
    ControlEndPt = nullptr;
    impl_->control.reset();
    Interfaces = AltInterfaces = Configs = 0;

    if (failure) throw *failure;
}

CUsbEndPoint* CUsbLink::FindEndPoint(std::uint8_t address) {
    // The control endpoint belongs to the device, not to an interface.
    if (address == 0) return ControlEndPt;
    for (std::size_t slot = 1; slot < impl_->tableCount; ++slot) {
        CUsbEndPoint* endPoint = impl_->table[slot];
        if (endPoint == nullptr) throw UsbError(kFindEndPointText, LastError);
        if (endPoint->Address == address) return endPoint;
    }
    return nullptr;
}

void CUsbLink::CopyConfigDesc(std::uint8_t out[9]) const {
    const UsbConfigRecord* config = ConfigRecord(CfgNum);
    if (config == nullptr) {
        std::memset(out, 0, kConfigDescriptorSize);
        return;
    }
    std::copy(config->descriptor.begin(), config->descriptor.end(), out);
}

void CUsbLink::CopyInterfaceDesc(std::uint8_t out[9]) const {
    const UsbConfigRecord* config = ConfigRecord(CfgNum);
    if (config == nullptr || IntfcNum >= config->interfaceCount) {
        std::memset(out, 0, kInterfaceDescriptorSize);
        return;
    }
    const auto& descriptor = config->interfaces[IntfcNum]->descriptor;
    std::copy(descriptor.begin(), descriptor.end(), out);
}

std::uint8_t CUsbLink::EndPointCount() const { return impl_->tableCount; }

CUsbEndPoint* CUsbLink::EndPoint(std::uint8_t slot) const {
    return slot < impl_->tableCount ? impl_->table[slot] : nullptr;
}

const UsbConfigRecord* CUsbLink::ConfigRecord(std::uint8_t index) const {
    return index < kMaxConfigurations ? impl_->configs[index].get() : nullptr;
}

const UsbBosRecord* CUsbLink::BosRecord() const { return impl_->bos.get(); }

std::span<const std::uint8_t> CUsbLink::ConfigDescriptor(std::uint8_t index) const {
    if (index >= kMaxConfigurations) return {};
    return impl_->configDescriptors[index];
}

std::span<const std::uint8_t> CUsbLink::BosDescriptor() const { return impl_->bosDescriptor; }

}  // namespace velmor::usb
