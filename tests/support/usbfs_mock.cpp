#include "support/usbfs_mock.h"

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <umockdev.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>

#include "drivers/sim/sim_descriptors.h"
#include "usb/usb_descriptors.h"

namespace velmor::testing {

namespace {

constexpr int kBus = 1;
constexpr int kFirstAddress = 2;
constexpr std::size_t kSetupSize = 8;

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char pair[3];
    for (std::uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", b);
        text += pair;
    }
    return text;
}

void Unref(UMockdevIoctlData* data) {
    if (data != nullptr) g_object_unref(data);
}

}  // namespace

#if defined(__SANITIZE_THREAD__)
// umockdev hands work to its thread through GLib, whose atomics ThreadSanitizer
// does not see: reports whose stacks run through those libraries are theirs.
// Our own code and libusb stay checked.
extern "C" const char* __tsan_default_suppressions() {
    return "race:libumockdev.so\n"
           "race:libglib-2.0.so\n"
           "race:libgobject-2.0.so\n"
           "race:libgio-2.0.so\n";
}
#endif

struct UsbfsMock::MockDevice {
    // A URB the client submitted and has not reaped yet: its memory as umockdev
    // mirrors it (the buffer resolved as its child), and the file it came on.
    struct Urb {
        UMockdevIoctlClient* client = nullptr;
        UMockdevIoctlData* data = nullptr;  // owned reference
        usbdevfs_urb* View() const { return reinterpret_cast<usbdevfs_urb*>(data->data); }
    };

    MockDevice(const sim::SimDeviceOptions& options, std::size_t index)
        : model(options, index, saveThread, {}),
          descriptors(options, index),
          address(kFirstAddress + static_cast<int>(index)) {}

    ~MockDevice() {
        std::lock_guard lock(mutex);
        for (auto& entry : ready) {
            for (Urb& urb : entry.second) Unref(urb.data);
        }
        for (Urb& urb : parked) Unref(urb.data);
        if (handler != nullptr) g_object_unref(handler);
    }

    sim::SimSaveThread saveThread;  // before the model, which saves on it
    sim::SimUsbDevice model;
    sim::SimDescriptors descriptors;
    int address;
    std::string sysPath;
    std::string devNode;
    UMockdevIoctlBase* handler = nullptr;

    mutable std::mutex mutex;
    std::map<UMockdevIoctlClient*, std::deque<Urb>> ready;  // done, to be reaped, per file
    std::vector<Urb> parked;                                // never completing until discarded
    bool gone = false;
    bool busy = false;
    std::size_t submitted = 0;
    std::size_t requests = 0;

    static gboolean OnIoctl(UMockdevIoctlBase* /*handler*/, UMockdevIoctlClient* client,
                            gpointer self) {
        static_cast<MockDevice*>(self)->Handle(client);
        return TRUE;
    }

    // The memory `arg` points to, `size` bytes, mirrored locally (owned reference).
    static UMockdevIoctlData* Resolve(UMockdevIoctlClient* client, std::size_t size) {
        GError* error = nullptr;
        UMockdevIoctlData* data =
            umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, size, &error);
        if (error != nullptr) g_error_free(error);
        return data;
    }

    static void Fail(UMockdevIoctlClient* client, int error) {
        umockdev_ioctl_client_complete(client, -1, error);
    }

    void Handle(UMockdevIoctlClient* client) {
        const gulong request = umockdev_ioctl_client_get_request(client);
        {
            std::lock_guard lock(mutex);
            ++requests;
            if (gone) {
                if (request == USBDEVFS_REAPURB || request == USBDEVFS_REAPURBNDELAY) {
                    Reap(client);  // URBs completed by the unplug are still handed out
                    return;
                }
                Fail(client, ENODEV);
                return;
            }
        }
        switch (request) {
            case USBDEVFS_GET_CAPABILITIES:
                AnswerU32(client, USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM);
                return;
            case USBDEVFS_CLAIMINTERFACE: {
                std::lock_guard lock(mutex);
                if (busy) {
                    Fail(client, EBUSY);
                    return;
                }
                umockdev_ioctl_client_complete(client, 0, 0);
                return;
            }
            case USBDEVFS_RELEASEINTERFACE:
            case USBDEVFS_SETINTERFACE:
            case USBDEVFS_CLEAR_HALT:
            case USBDEVFS_RESET:
                umockdev_ioctl_client_complete(client, 0, 0);
                return;
            case USBDEVFS_GET_SPEED:
                // USB_SPEED_SUPER is 5, USB_SPEED_HIGH 3 in the kernel's numbering.
                umockdev_ioctl_client_complete(client, descriptors.SuperSpeed() ? 5 : 3, 0);
                return;
            case USBDEVFS_CONNECTINFO: {
                UMockdevIoctlData* data = Resolve(client, sizeof(usbdevfs_connectinfo));
                if (data == nullptr) return Fail(client, EFAULT);
                auto* info = reinterpret_cast<usbdevfs_connectinfo*>(data->data);
                info->devnum = static_cast<unsigned>(address);
                info->slow = 0;
                umockdev_ioctl_client_complete(client, 0, 0);
                g_object_unref(data);
                return;
            }
            case USBDEVFS_SUBMITURB:
                Submit(client);
                return;
            case USBDEVFS_REAPURB:
            case USBDEVFS_REAPURBNDELAY: {
                std::lock_guard lock(mutex);
                Reap(client);
                return;
            }
            case USBDEVFS_DISCARDURB:
                Discard(client);
                return;
            default:
                Fail(client, ENOTTY);
                return;
        }
    }

    void AnswerU32(UMockdevIoctlClient* client, std::uint32_t value) {
        UMockdevIoctlData* data = Resolve(client, sizeof(std::uint32_t));
        if (data == nullptr) return Fail(client, EFAULT);
        std::memcpy(data->data, &value, sizeof value);
        umockdev_ioctl_client_complete(client, 0, 0);
        g_object_unref(data);
    }

    void Submit(UMockdevIoctlClient* client) {
        UMockdevIoctlData* data = Resolve(client, sizeof(usbdevfs_urb));
        if (data == nullptr) return Fail(client, EFAULT);
        auto* urb = reinterpret_cast<usbdevfs_urb*>(data->data);
        const std::size_t length = urb->buffer_length > 0 ? std::size_t(urb->buffer_length) : 0;
        GError* error = nullptr;
        UMockdevIoctlData* buffer =
            length > 0
                ? umockdev_ioctl_data_resolve(data, offsetof(usbdevfs_urb, buffer), length, &error)
                : nullptr;
        if (error != nullptr) g_error_free(error);
        // The URB keeps its buffer as a child: one reference is enough.
        Unref(buffer);
        urb = reinterpret_cast<usbdevfs_urb*>(data->data);
        std::uint8_t* bytes = static_cast<std::uint8_t*>(urb->buffer);

        std::optional<sim::SimTransfer> transfer = Transfer(*urb, bytes, length);
        if (!transfer) {
            g_object_unref(data);
            return Fail(client, urb->type == USBDEVFS_URB_TYPE_ISO ? EINVAL : ENOENT);
        }
        Urb entry{client, data};
        std::lock_guard lock(mutex);
        ++submitted;
        if (model.Model().TakeTimeoutFault()) {
            parked.push_back(entry);
        } else {
            std::span<std::uint8_t> stage(bytes + transfer->dataOffset, transfer->dataLength);
            const sim::SimOutcome outcome = model.Transfer(*transfer, stage);
            urb->status = outcome.Ok() ? 0 : -EPIPE;
            urb->actual_length = outcome.Ok() ? static_cast<int>(outcome.bytes) : 0;
            ready[client].push_back(entry);
        }
        umockdev_ioctl_client_complete(client, 0, 0);
    }

    // The transfer of a URB as the simulated device takes it, or none for an
    // endpoint the device does not have.
    static std::optional<sim::SimTransfer> Transfer(const usbdevfs_urb& urb,
                                                    const std::uint8_t* bytes, std::size_t length) {
        sim::SimTransfer t;
        t.endpoint = urb.endpoint;
        t.in = (urb.endpoint & 0x80) != 0;
        if (urb.type == USBDEVFS_URB_TYPE_CONTROL) {
            if (length < kSetupSize) return std::nullopt;
            t.kind = sim::SimTransferKind::Control;
            t.header.bmRequestType = bytes[0];
            t.header.bRequest = bytes[1];
            t.header.wValue = static_cast<std::uint16_t>(bytes[2] | bytes[3] << 8);
            t.header.wIndex = static_cast<std::uint16_t>(bytes[4] | bytes[5] << 8);
            t.header.wLength = static_cast<std::uint16_t>(bytes[6] | bytes[7] << 8);
            if (kSetupSize + t.header.wLength > length) return std::nullopt;
            t.in = (bytes[0] & 0x80) != 0;
            t.dataOffset = kSetupSize;
            t.dataLength = t.header.wLength;
            return t;
        }
        if (urb.type != USBDEVFS_URB_TYPE_BULK && urb.type != USBDEVFS_URB_TYPE_INTERRUPT)
            return std::nullopt;
        if (urb.endpoint != sim::kRegisterOutEndpoint && urb.endpoint != sim::kRegisterInEndpoint)
            return std::nullopt;
        t.kind = sim::SimTransferKind::Direct;
        t.dataLength = length;
        return t;
    }

    // Hands the client its oldest finished URB. The lock is held.
    void Reap(UMockdevIoctlClient* client) {
        auto it = ready.find(client);
        if (it == ready.end() || it->second.empty()) return Fail(client, gone ? ENODEV : EAGAIN);
        Urb urb = it->second.front();
        it->second.pop_front();
        UMockdevIoctlData* slot = Resolve(client, sizeof(void*));
        if (slot == nullptr) {
            Unref(urb.data);
            return Fail(client, EFAULT);
        }
        // The client's pointer is set to its own URB, whose fields go back with it.
        umockdev_ioctl_data_set_ptr(slot, 0, urb.data);
        umockdev_ioctl_client_complete(client, 0, 0);
        g_object_unref(slot);
        g_object_unref(urb.data);
    }

    void Discard(UMockdevIoctlClient* client) {
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        gulong address = 0;
        std::memcpy(&address, arg->data, sizeof address);
        std::lock_guard lock(mutex);
        for (auto it = parked.begin(); it != parked.end(); ++it) {
            if (it->client == client && it->data->client_addr == address) {
                it->View()->status = -ENOENT;
                it->View()->actual_length = 0;
                ready[client].push_back(*it);
                parked.erase(it);
                umockdev_ioctl_client_complete(client, 0, 0);
                return;
            }
        }
        Fail(client, EINVAL);  // finished already: the client reaps it as it is
    }

    void Unplug() {
        std::lock_guard lock(mutex);
        gone = true;
        for (Urb& urb : parked) {
            urb.View()->status = -ENODEV;
            urb.View()->actual_length = 0;
            ready[urb.client].push_back(urb);
        }
        parked.clear();
    }
};

UsbfsMock::UsbfsMock() : testbed_(umockdev_testbed_new()) {
    if (!umockdev_in_mock_environment()) {
        throw std::runtime_error(
            "umockdev's preload library is not loaded: link the test with velmor_usbfs_mock");
    }
}

UsbfsMock::~UsbfsMock() {
    auto* testbed = static_cast<UMockdevTestbed*>(testbed_);
    for (auto& device : devices_) {
        GError* error = nullptr;
        umockdev_testbed_detach_ioctl(testbed, device->devNode.c_str(), &error);
        if (error != nullptr) g_error_free(error);
    }
    g_object_unref(testbed);
    devices_.clear();
}

sim::SimUsbDevice& UsbfsMock::AddDevice(const sim::SimDeviceOptions& options) {
    auto* testbed = static_cast<UMockdevTestbed*>(testbed_);
    const std::size_t index = devices_.size();
    auto device = std::make_unique<MockDevice>(options, index);
    char node[64];
    std::snprintf(node, sizeof node, "/dev/bus/usb/%03d/%03d", kBus, device->address);
    device->devNode = node;
    const std::string name = "1-" + std::to_string(index + 1);

    std::vector<std::uint8_t> raw = *device->descriptors.Get(usb::kDescDevice, 0);
    const std::vector<std::uint8_t> config = *device->descriptors.Get(usb::kDescConfiguration, 0);
    raw.insert(raw.end(), config.begin(), config.end());

    // The handler must be in place before the device appears: libusb may open it
    // as soon as it is announced.
    device->handler = umockdev_ioctl_base_new();
    g_signal_connect(device->handler, "handle-ioctl", G_CALLBACK(&MockDevice::OnIoctl),
                     device.get());
    GError* error = nullptr;
    umockdev_testbed_attach_ioctl(testbed, node, device->handler, &error);
    if (error != nullptr) {
        const std::string message = error->message;
        g_error_free(error);
        throw std::runtime_error("umockdev_testbed_attach_ioctl: " + message);
    }

    const std::string description =
        "P: /devices/pci0000:00/0000:00:14.0/usb1/" + name + "\nN: " + std::string(node + 5) +
        "\nE: DEVNAME=" + node + "\nE: DEVTYPE=usb_device\nE: SUBSYSTEM=usb\nE: BUSNUM=001" +
        "\nE: DEVNUM=" + std::string(node + 17) + "\nA: busnum=" + std::to_string(kBus) +
        "\nA: devnum=" + std::to_string(device->address) +
        "\nA: speed=" + (device->descriptors.SuperSpeed() ? "5000" : "480") +
        "\nA: bConfigurationValue=1\nH: descriptors=" + Hex(raw) + "\n";
    if (!umockdev_testbed_add_from_string(testbed, description.c_str(), &error)) {
        const std::string message = error != nullptr ? error->message : "unknown error";
        if (error != nullptr) g_error_free(error);
        throw std::runtime_error("umockdev_testbed_add_from_string: " + message);
    }
    device->sysPath = "/sys/devices/pci0000:00/0000:00:14.0/usb1/" + name;
    devices_.push_back(std::move(device));
    return devices_.back()->model;
}

std::size_t UsbfsMock::DeviceCount() const { return devices_.size(); }

sim::SimUsbDevice& UsbfsMock::Device(std::size_t index) { return devices_.at(index)->model; }

std::string UsbfsMock::Path(std::size_t index) const {
    char path[32];
    std::snprintf(path, sizeof path, "usb:%03d:%03d", kBus, devices_.at(index)->address);
    return path;
}

void UsbfsMock::Unplug(std::size_t index) {
    MockDevice& device = *devices_.at(index);
    device.Unplug();
    umockdev_testbed_uevent(static_cast<UMockdevTestbed*>(testbed_), device.sysPath.c_str(),
                            "remove");
    umockdev_testbed_remove_device(static_cast<UMockdevTestbed*>(testbed_), device.sysPath.c_str());
}

void UsbfsMock::SetInterfaceBusy(std::size_t index, bool busy) {
    MockDevice& device = *devices_.at(index);
    std::lock_guard lock(device.mutex);
    device.busy = busy;
}

std::size_t UsbfsMock::Submitted(std::size_t index) const {
    const MockDevice& device = *devices_.at(index);
    std::lock_guard lock(device.mutex);
    return device.submitted;
}

}  // namespace velmor::testing

namespace velmor::testing {

std::size_t UsbfsMock::Requests(std::size_t index) const {
    const MockDevice& device = *devices_.at(index);
    std::lock_guard lock(device.mutex);
    return device.requests;
}

}  // namespace velmor::testing
