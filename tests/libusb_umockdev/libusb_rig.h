#pragma once
// A controller object on a real CUsbLink over the libusb backend, whose libusb
// talks through usbfs to a controller emulated under umockdev. The emulated
// devices exist before libusb starts, as libusb enumerates once at start.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controller/main_operation.h"
#include "drivers/libusb/device_id_sources.h"
#include "drivers/libusb/libusb_driver.h"
#include "support/usbfs_mock.h"
#include "usb/usb_link.h"

namespace velmor::testing {

inline std::unique_ptr<libusb::LibusbDriver> MakeLibusbDriver(
    std::vector<libusb::DeviceId> ids = libusb::BuiltInDeviceIds()) {
    std::string error;
    auto driver = libusb::LibusbDriver::Create(std::move(ids), error);
    EXPECT_TRUE(driver) << error;
    return driver;
}

struct LibusbRig {
    explicit LibusbRig(const std::vector<sim::SimDeviceOptions>& devices = {{}}) {
        for (const auto& options : devices) mock.AddDevice(options);
        driver = MakeLibusbDriver();
        if (!driver) return;
        op.SetDevice(std::make_unique<usb::CUsbLink>(*driver, usb::WindowId{0},
                                                     usb::kVendorInterfaceClass, true));
        op.deviceOpened = op.Device()->IsOpen() ? 1 : 0;
        op.connected = op.deviceOpened;
        Controller().ClearWriteLog();
    }
    ~LibusbRig() { op.SetDevice(nullptr); }  // the link goes before the driver

    sim::SimController& Controller() { return mock.Device(0).Controller(); }

    UsbfsMock mock;
    std::unique_ptr<libusb::LibusbDriver> driver;
    controller::CMainOperation op;
};

}  // namespace velmor::testing
