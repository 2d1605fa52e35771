// The device object over the scripted driver: enumeration, the open sequence on
// the wire, what is parsed from USB 2.x and 3.0 devices, endpoint lookup,
// interface selection, broken descriptor tables, close and notifications.

#include "usb/usb_link.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/fake_driver.h"
#include "usb/descriptor_parser.h"
#include "usb/ioctl_codes.h"
#include "usb/null_usb_driver.h"
#include "usb/usb_descriptors.h"
#include "usb/usb_error.h"

namespace velmor::usb::test {
namespace {

struct Message {
    std::string text, caption;
};

class UsbLinkTest : public ::testing::Test {
  protected:
    std::unique_ptr<CUsbLink> MakeLink(WindowId window = 0, bool openNow = false) {
        return std::make_unique<CUsbLink>(
            driver, window, kVendorInterfaceClass, openNow,
            [this](const std::string& text, const std::string& caption) {
                messages.push_back({text, caption});
            });
    }

    // Control requests the layer issued, as (wValue, wIndex, wLength) of their blocks.
    struct Setup {
        std::uint16_t value, index, length;
        bool operator==(const Setup&) const = default;
    };
    std::vector<Setup> DescriptorRequests() const {
        std::vector<Setup> out;
        for (const auto& call : driver.CallsWith(ioctl::kSendControlTransfer)) {
            XferRequest r;
            XferRequest::DecodeFrom(call.input, r);
            out.push_back({r.wValue, r.wIndex, r.wLength});
        }
        return out;
    }

    FakeDriver driver;
    std::vector<Message> messages;
};

TEST_F(UsbLinkTest, CountsPresentInterfacesAfreshEachTime) {
    auto link = MakeLink();
    EXPECT_EQ(link->CountDevices(), 0);
    driver.AddDevice(ControllerDevice());
    FakeDevice second = ControllerDevice();
    second.path = "fake-1";
    driver.AddDevice(second);
    EXPECT_EQ(link->CountDevices(), 2);
    driver.Device(0).present = false;
    EXPECT_EQ(link->CountDevices(), 1);
    EXPECT_EQ(link->Devices, 1);
}

TEST_F(UsbLinkTest, OpenWithIndexEqualToCountFails) {
    driver.AddDevice(ControllerDevice());
    auto link = MakeLink();
    EXPECT_FALSE(link->OpenDevice(1));
    EXPECT_FALSE(link->IsOpen());
    EXPECT_EQ(link->hDevice, kInvalidHandle);
    EXPECT_EQ(link->DevNum, 0);
    EXPECT_TRUE(driver.Calls().empty());

    driver.Device(0).present = false;
    EXPECT_FALSE(link->OpenDevice(0));
    EXPECT_EQ(link->hDevice, kInvalidHandle);
}

TEST_F(UsbLinkTest, FailedOpenOfThePathKeepsTheLastError) {
    driver.AddDevice(ControllerDevice());
    driver.openFails = true;
    auto link = MakeLink();
    EXPECT_FALSE(link->OpenDevice(0));
    EXPECT_EQ(link->LastError, error::kFileNotFound);
    EXPECT_EQ(link->hDevice, kInvalidHandle);
}

TEST_F(UsbLinkTest, OpenSequenceOnTheWireForASuperSpeedDevice) {
    driver.AddDevice(ControllerDevice(true));
    auto link = MakeLink();
    ASSERT_TRUE(link->OpenDevice(0));

    std::vector<std::uint32_t> codes;
    for (const auto& call : driver.Calls()) codes.push_back(call.code);
    const std::uint32_t c = ioctl::kSendControlTransfer;
    EXPECT_EQ(codes, (std::vector<std::uint32_t>{
                         c, c, c, c, c, c,  // device, languages (head, list), three strings
                         c, c,              // BOS head and table
                         ioctl::kGetAddress, ioctl::kGetDeviceName, ioctl::kGetSecondName,
                         ioctl::kGetDriverVersion, ioctl::kGetUsbdiVersion, ioctl::kGetDeviceSpeed,
                         c, c,  // configuration 0 head and table
                         ioctl::kGetAltInterface}));
    const auto bosSize = static_cast<std::uint16_t>(driver.Device(0).bos.size());
    const auto configSize = static_cast<std::uint16_t>(driver.Device(0).configs[0].size());
    EXPECT_EQ(DescriptorRequests(), (std::vector<Setup>{{0x0100, 0, 18},
                                                        {0x0300, 0, 2},
                                                        {0x0300, 0, 4},
                                                        {0x0301, 0x0409, 255},
                                                        {0x0302, 0x0409, 255},
                                                        {0x0303, 0x0409, 255},
                                                        {0x0F00, 0, 5},
                                                        {0x0F00, 0, bosSize},
                                                        {0x0200, 0, 9},
                                                        {0x0200, 0, configSize}}));

    // The first request, byte for byte: a standard in request, 5 s, data at 38.
    const RecordedCall first = driver.Calls()[0];
    Bytes expected{0x80, 6, 0x00, 0x01, 0, 0, 18, 0, 5, 0, 0, 0, 0, 0};
    expected.resize(30, 0);
    expected.insert(expected.end(), {38, 0, 0, 0, 18, 0, 0, 0});
    expected.resize(38 + 18, 0);
    EXPECT_EQ(first.input, expected);
    EXPECT_FALSE(first.overlapped);
}

TEST_F(UsbLinkTest, SuperSpeedDeviceIsParsedWithBosAndCompanions) {
    driver.AddDevice(ControllerDevice(true));
    auto link = MakeLink();
    ASSERT_TRUE(link->OpenDevice(0));
    EXPECT_EQ(link->BcdUSB, 0x0300);
    EXPECT_EQ(link->MaxPacketSize, 512);
    EXPECT_EQ(link->ControlEndPt->MaxPktSize, 512);
    EXPECT_TRUE(link->bSuperSpeed);
    EXPECT_FALSE(link->bHighSpeed);
    ASSERT_NE(link->BosRecord(), nullptr);
    EXPECT_TRUE(link->BosRecord()->usb20Extension.present);
    EXPECT_TRUE(link->BosRecord()->superSpeed.present);
    EXPECT_EQ(link->BosRecord()->superSpeed.wU2DevExitLat, 0x01F4);
    EXPECT_EQ(link->BosDescriptor().size(), driver.Device(0).bos.size());

    ASSERT_NE(link->BulkOutEndPt, nullptr);
    ASSERT_NE(link->BulkInEndPt, nullptr);
    EXPECT_EQ(link->BulkOutEndPt->Address, 0x02);
    EXPECT_EQ(link->BulkOutEndPt->MaxPktSize, 1024 * 4);  // burst of 4
    EXPECT_EQ(link->BulkOutEndPt->ssmaxburst, 3);
    EXPECT_EQ(link->BulkInEndPt->Address, 0x82);
    EXPECT_EQ(link->BulkInEndPt->MaxPktSize, 1024);
    EXPECT_EQ(link->BulkInEndPt->XferMode, kXferModeDirect);
    EXPECT_EQ(link->ControlEndPt->XferMode, kXferModeBuffered);
    EXPECT_EQ(link->EndPointCount(), 3);
    EXPECT_EQ(link->EndPoint(0), link->ControlEndPt);
}

TEST_F(UsbLinkTest, HighSpeedDeviceHasNoBosAndNoCompanions) {
    FakeDevice device = ControllerDevice(false);
    // Even a companion-looking descriptor is not taken below USB 3.0.
    device.configs[0] = ConfigBuilder()
                            .Interface(0, 0, 2)
                            .EndPoint(0x02, 2, 512)
                            .Companion(3)
                            .EndPoint(0x82, 2, 512)
                            .Build();
    driver.AddDevice(device);
    auto link = MakeLink();
    ASSERT_TRUE(link->OpenDevice(0));
    EXPECT_EQ(link->BcdUSB, 0x0210);
    EXPECT_EQ(link->MaxPacketSize, 64);
    EXPECT_EQ(link->ControlEndPt->MaxPktSize, 64);
    EXPECT_TRUE(link->bHighSpeed);
    EXPECT_EQ(link->BosRecord(), nullptr);
    for (const Setup& s : DescriptorRequests()) EXPECT_NE(s.value >> 8, 0x0F);
    EXPECT_EQ(link->BulkOutEndPt->MaxPktSize, 512);
    EXPECT_EQ(link->BulkOutEndPt->ssdscLen, 0);
    EXPECT_EQ(link->BulkInEndPt->Address, 0x82);
}

TEST_F(UsbLinkTest, DeviceFactsFromDescriptorsAndDriver) {
    FakeDevice device = ControllerDevice(true);
    device.strings[0] = LanguageList({0x0804, 0x0409});
    driver.AddDevice(device);
    auto link = MakeLink();
    ASSERT_TRUE(link->OpenDevice(0));
    EXPECT_EQ(link->VendorID, 0x1234);
    EXPECT_EQ(link->ProductID, 0x5678);
    EXPECT_EQ(link->BcdDevice, 0x0201);
    EXPECT_EQ(link->DevClass, 0xFF);
    EXPECT_EQ(link->Configs, 1);
    EXPECT_EQ(link->USBAddress, 7);
    EXPECT_EQ(link->DriverVersion, 0x01020304u);
    EXPECT_EQ(link->USBDIVersion, 0x600u);
    EXPECT_STREQ(link->DeviceName.data(), "Fake Controller");
    EXPECT_STREQ(link->FriendlyName.data(), "Second");
    EXPECT_EQ(link->StrLangID, 0x0409);
    const std::uint8_t manufacturer[] = {'V', 0, 'e', 0, 'l', 0, 'm', 0, 'o', 0, 'r', 0, 0, 0};
    EXPECT_EQ(std::memcmp(link->Manufacturer.data(), manufacturer, sizeof manufacturer), 0);
    EXPECT_EQ(link->SerialNumber[0], '0');
    EXPECT_EQ(link->ConfigValue, 1);
    EXPECT_EQ(link->ConfigAttrib, 0x80);
    EXPECT_EQ(link->MaxPower, 50);
    EXPECT_EQ(link->Interfaces, 1);
    EXPECT_EQ(link->IntfcClass, 0xFF);
    EXPECT_EQ(link->DevPath, "fake-0");

    std::uint8_t config[9];
    std::uint8_t intf[9];
    link->CopyConfigDesc(config);
    link->CopyInterfaceDesc(intf);
    EXPECT_EQ(Bytes(config, config + 9),
              Bytes(driver.Device(0).configs[0].begin(), driver.Device(0).configs[0].begin() + 9));
    EXPECT_EQ(intf[1], 4);
    EXPECT_EQ(intf[4], 2);  // bNumEndpoints
}

TEST_F(UsbLinkTest, ControlPacketSizeFollowsTheUsbVersion) {
    struct Case {
        std::uint16_t bcdUSB;
        std::uint8_t maxPacket0;
        std::uint16_t expected;
    };
    for (const Case& c : {Case{0x0300, 9, 512}, Case{0x0200, 64, 64}, Case{0x0110, 8, 8}}) {
        FakeDriver fresh;
        FakeDevice device = ControllerDevice(c.bcdUSB >= 0x0300);
        device.deviceDescriptor = DeviceDescriptor(c.bcdUSB, c.maxPacket0);
        fresh.AddDevice(device);
        CUsbLink link(fresh, 0, kVendorInterfaceClass, true);
        ASSERT_TRUE(link.IsOpen()) << std::hex << c.bcdUSB;
        EXPECT_EQ(link.MaxPacketSize, c.expected);
        EXPECT_EQ(link.ControlEndPt->MaxPktSize, c.expected);
    }
}

TEST_F(UsbLinkTest, AtMostTwoConfigurationsAreRead) {
    FakeDevice device = ControllerDevice(false);
    device.deviceDescriptor = DeviceDescriptor(0x0210, 64, 3);
    device.configs[1] = ControllerConfig(false);
    device.configs[2] = ControllerConfig(false);
    driver.AddDevice(device);
    auto link = MakeLink();
    ASSERT_TRUE(link->OpenDevice(0));
    std::vector<std::uint16_t> configValues;
    for (const Setup& s : DescriptorRequests()) {
        if (s.value >> 8 == 2) configValues.push_back(s.value);
    }
    EXPECT_EQ(configValues, (std::vector<std::uint16_t>{0x0200, 0x0200, 0x0201, 0x0201}));
    EXPECT_NE(link->ConfigRecord(1), nullptr);
    EXPECT_EQ(link->ConfigRecord(2), nullptr);
}

class InterfaceSelectionTest : public UsbLinkTest {
  protected:
    void SetUp() override {
        FakeDevice device = ControllerDevice(false);
        device.configs[0] = ConfigBuilder()
                                .Interface(0, 0, 2, 0xFF, 0)
                                .EndPoint(0x02, 2, 512)
                                .EndPoint(0x82, 2, 512)
                                .Interface(0, 1, 3, 0xFF, 1)
                                .EndPoint(0x04, 2, 512)
                                .EndPoint(0x84, 2, 512)
                                .EndPoint(0x86, 2, 512)
                                .Build();
        driver.AddDevice(device);
    }
};

TEST_F(InterfaceSelectionTest, RecordOfTheReportedAlternateSetting) {
    driver.Device(0).altSetting = 1;
    auto link = MakeLink();
    ASSERT_TRUE(link->OpenDevice(0));
    EXPECT_EQ(link->IntfcNum, 1);
    EXPECT_EQ(link->IntfcSubClass, 1);
    EXPECT_EQ(link->AltInterfaces, 2);
    EXPECT_EQ(link->BulkOutEndPt->Address, 0x04);
    EXPECT_EQ(link->BulkInEndPt->Address, 0x84);  // the first in endpoint
    EXPECT_EQ(link->FindEndPoint(0x86)->Address, 0x86);
    EXPECT_EQ(link->FindEndPoint(0x02), nullptr);  // belongs to the other setting
    std::uint8_t intf[9];
    link->CopyInterfaceDesc(intf);
    EXPECT_EQ(intf[3], 1);
}

TEST_F(InterfaceSelectionTest, WithoutAMatchTheFirstRecordStays) {
    for (bool shortAnswer : {false, true}) {
        driver.Device(0).altSetting = shortAnswer ? 1 : 5;
        if (shortAnswer) driver.shortQueries.insert(ioctl::kGetAltInterface);
        auto link = MakeLink();
        ASSERT_TRUE(link->OpenDevice(0));
        EXPECT_EQ(link->IntfcNum, 0);
        EXPECT_EQ(link->BulkOutEndPt->Address, 0x02);
    }
}

TEST_F(UsbLinkTest, ShortcutsTakeTheFirstEndPointOfEachKindAndDirection) {
    FakeDevice device = ControllerDevice(false);
    device.configs[0] = ConfigBuilder()
                            .Interface(0, 0, 9)
                            .EndPoint(0x85, 0x05, 256, 1)  // isochronous in, asynchronous
                            .EndPoint(0x83, 3, 64, 4)      // interrupt in
                            .EndPoint(0x01, 1, 256, 1)     // isochronous out
                            .EndPoint(0x04, 3, 64, 4)      // interrupt out
                            .EndPoint(0x86, 2, 512)        // bulk in
                            .EndPoint(0x88, 2, 512)        // a second bulk in
                            .EndPoint(0x02, 2, 512)        // bulk out
                            .EndPoint(0x87, 3, 64, 4)      // a second interrupt in
                            .EndPoint(0x09, 0, 64)         // a control endpoint of the interface
                            .Build();
    driver.AddDevice(device);
    auto link = MakeLink();
    ASSERT_TRUE(link->OpenDevice(0));
    ASSERT_NE(link->IsocInEndPt, nullptr);
    EXPECT_EQ(link->IsocInEndPt->Address, 0x85);
    EXPECT_EQ(link->IsocOutEndPt->Address, 0x01);
    EXPECT_EQ(link->InterruptInEndPt->Address, 0x83);
    EXPECT_EQ(link->InterruptOutEndPt->Address, 0x04);
    EXPECT_EQ(link->BulkInEndPt->Address, 0x86);
    EXPECT_EQ(link->BulkOutEndPt->Address, 0x02);
    EXPECT_EQ(link->EndPointCount(), 10);
    for (std::uint8_t slot = 1; slot < link->EndPointCount(); ++slot) {
        EXPECT_EQ(link->EndPoint(slot)->XferMode, kXferModeDirect) << int(slot);
    }
    EXPECT_NE(dynamic_cast<CControlEndPoint*>(link->FindEndPoint(0x09)), nullptr);
    EXPECT_NE(link->FindEndPoint(0x09), link->ControlEndPt);
}

TEST_F(UsbLinkTest, FindEndPointByAddress) {
    FakeDevice device = ControllerDevice(false);
    // Three endpoints declared, two present: the third slot stays empty.
    device.configs[0] =
        ConfigBuilder().Interface(0, 0, 3).EndPoint(0x02, 2, 512).EndPoint(0x82, 2, 512).Build();
    driver.AddDevice(device);
    auto link = MakeLink();
    ASSERT_TRUE(link->OpenDevice(0));
    EXPECT_EQ(link->FindEndPoint(0), link->ControlEndPt);
    EXPECT_EQ(link->FindEndPoint(0x82), link->BulkInEndPt);
    try {
        link->FindEndPoint(0x06);
        FAIL() << "an empty slot before the address must raise";
    } catch (const UsbError& e) {
        EXPECT_STREQ(e.what(), "Failed to find endpoint.");
    }
}

TEST_F(UsbLinkTest, FindEndPointWithoutInterfaceEndPoints) {
    FakeDevice device = ControllerDevice(false);
    device.configs[0] = ConfigBuilder().Interface(0, 0, 0).Build();
    driver.AddDevice(device);
    auto link = MakeLink();
    EXPECT_EQ(link->FindEndPoint(0x82), nullptr);  // closed: nothing selected
    ASSERT_TRUE(link->OpenDevice(0));
    ASSERT_NE(link->ControlEndPt, nullptr);
    EXPECT_EQ(link->FindEndPoint(0), link->ControlEndPt);
    EXPECT_EQ(link->FindEndPoint(0x82), nullptr);  // simply absent
    EXPECT_EQ(link->BulkInEndPt, nullptr);
}

TEST_F(UsbLinkTest, ControlEndPointTalksThroughTheOpenHandle) {
    driver.AddDevice(ControllerDevice(true));
    auto link = MakeLink();
    ASSERT_TRUE(link->OpenDevice(0));
    driver.ClearCalls();
    CControlEndPoint* control = link->ControlEndPt;
    control->Direction = 1;
    control->ReqCode = 0xE0;
    control->TimeOut = 1000;
    driver.Script(AtOnce(Bytes(16, 0x42)));
    std::array<std::uint8_t, 16> id{};
    std::uint32_t length = 16;
    ASSERT_TRUE(control->RunTransfer(id.data(), length));
    EXPECT_EQ(id[15], 0x42);
    const auto calls = driver.CallsWith(ioctl::kSendControlTransfer);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].input[0], 0xC0);
    EXPECT_EQ(calls[0].input[1], 0xE0);
}

// Broken devices: the open fails cleanly with the right message.
struct BrokenDevice {
    const char* name;
    void (*spoil)(FakeDevice&, FakeDriver&);
    const char* text;  // null: no message
    const char* caption;
};

const BrokenDevice kBrokenDevices[] = {
    {"zero bLength in the configuration",
     [](FakeDevice& d, FakeDriver&) {
         d.configs[0] = ConfigBuilder().Interface(0, 0, 1).Raw({0, 5, 0x82, 2, 0, 2, 0}).Build();
     },
     kBadConfigText, kBadConfigCaption},
    {"wTotalLength below 9",
     [](FakeDevice& d, FakeDriver&) { d.configs[0] = ConfigBuilder().Interface(0, 0, 0).Build(5); },
     kBadConfigText, kBadConfigCaption},
    {"endpoint descriptor of 6 bytes",
     [](FakeDevice& d, FakeDriver&) {
         d.configs[0] = ConfigBuilder().Interface(0, 0, 1).Raw({6, 5, 0x82, 2, 0, 2}).Build();
     },
     kBadConfigText, kBadConfigCaption},
    {"configuration shorter than declared",
     [](FakeDevice&, FakeDriver& f) { f.descriptorFaults.push_back(Truncated(2, 0, 20)); },
     kBadConfigText, kBadConfigCaption},
    {"configuration that is not there", [](FakeDevice& d, FakeDriver&) { d.configs.clear(); },
     kBadConfigText, kBadConfigCaption},
    {"short device descriptor",
     [](FakeDevice&, FakeDriver& f) { f.descriptorFaults.push_back(Truncated(1, 0, 8)); },
     kBadConfigText, kBadConfigCaption},
    {"BOS with a zero-length capability",
     [](FakeDevice& d, FakeDriver&) {
         d.bos = BosBuilder().Capability({0, 0x10, 2}).Build();
     },
     kBadBosText, kBadBosCaption},
    {"BOS wTotalLength below 5",
     [](FakeDevice& d, FakeDriver&) { d.bos = BosBuilder().Usb20Extension(2).Build(4); },
     kBadBosText, kBadBosCaption},
    {"BOS missing on a USB 3.0 device", [](FakeDevice& d, FakeDriver&) { d.bos.clear(); },
     kBadBosText, kBadBosCaption},
    {"configuration request stalls",
     [](FakeDevice&, FakeDriver& f) {
         f.descriptorFaults.push_back(DriverFails(2, 0, error::kGenFailure));
     },
     kBadConfigText, kBadConfigCaption},
    {"BOS request stalls",
     [](FakeDevice&, FakeDriver& f) {
         f.descriptorFaults.push_back(DriverFails(0x0F, 0, error::kGenFailure));
     },
     kBadBosText, kBadBosCaption},
    {"device gone during the configuration read",
     [](FakeDevice&, FakeDriver& f) {
         f.descriptorFaults.push_back(DriverFails(2, 0, error::kDeviceNotConnected));
     },
     nullptr, nullptr},
    {"device silent on the device descriptor",
     [](FakeDevice&, FakeDriver& f) {
         f.descriptorFaults.push_back(DriverFails(1, 0, error::kSemTimeout));
     },
     nullptr, nullptr},
    {"no interface in the configuration",
     [](FakeDevice& d, FakeDriver&) { d.configs[0] = ConfigBuilder(0).Build(); }, nullptr, nullptr},
    {"no configuration at all",
     [](FakeDevice& d, FakeDriver&) { d.deviceDescriptor = DeviceDescriptor(0x0300, 9, 0); },
     nullptr, nullptr},
};

TEST_F(UsbLinkTest, BrokenDevicesFailToOpenAndStayClosed) {
    for (const BrokenDevice& broken : kBrokenDevices) {
        FakeDriver fresh;
        FakeDevice device = ControllerDevice(true);
        broken.spoil(device, fresh);
        fresh.AddDevice(device);
        std::vector<Message> shown;
        CUsbLink link(fresh, 0, kVendorInterfaceClass, false,
                      [&shown](const std::string& t, const std::string& c) {
                          shown.push_back({t, c});
                      });
        EXPECT_FALSE(link.OpenDevice(0)) << broken.name;
        EXPECT_FALSE(link.IsOpen()) << broken.name;
        EXPECT_EQ(fresh.closed, std::vector<DriverHandle>{100}) << broken.name;
        EXPECT_EQ(link.ControlEndPt, nullptr) << broken.name;
        EXPECT_EQ(link.BulkInEndPt, nullptr) << broken.name;
        EXPECT_EQ(link.ConfigRecord(0), nullptr) << broken.name;
        if (broken.text == nullptr) {
            EXPECT_TRUE(shown.empty()) << broken.name;
        } else {
            ASSERT_EQ(shown.size(), 1u) << broken.name;
            EXPECT_EQ(shown[0].text, broken.text) << broken.name;
            EXPECT_EQ(shown[0].caption, broken.caption) << broken.name;
        }
    }
}

TEST_F(UsbLinkTest, DeviceAnswersNeverOverrunTheMembers) {
    FakeDevice device = ControllerDevice(true);
    Bytes longString(255, 'y');
    longString[0] = 255;
    longString[1] = 3;
    device.strings[1] = longString;
    device.name = std::string(300, 'N');  // no terminating zero in 256 bytes
    driver.AddDevice(device);
    // The driver claims far more bytes than the requests could hold.
    driver.descriptorFaults.push_back(Overstated(3, 1, 4000));
    driver.descriptorFaults.push_back(Overstated(1, 0, 4000));
    auto link = MakeLink();
    ASSERT_TRUE(link->OpenDevice(0));
    EXPECT_EQ(link->Manufacturer[252], 'y');
    EXPECT_EQ(link->Manufacturer[253], 0);
    EXPECT_EQ(std::strlen(link->DeviceName.data()), 255u);
    EXPECT_EQ(link->VendorID, 0x1234);
}

TEST_F(UsbLinkTest, QueriesCountOnlyWithTheirWholeAnswer) {
    driver.AddDevice(ControllerDevice(true));
    driver.shortQueries = {ioctl::kGetDriverVersion, ioctl::kGetDeviceSpeed, ioctl::kGetDeviceName};
    auto link = MakeLink();
    ASSERT_TRUE(link->OpenDevice(0));
    EXPECT_EQ(link->DriverVersion, 0u);
    EXPECT_EQ(link->USBDIVersion, 0x600u);
    EXPECT_FALSE(link->bSuperSpeed);
    EXPECT_EQ(link->DeviceName[0], 0);
}

TEST_F(UsbLinkTest, ReopenClosesFirstAndCloseClearsEverything) {
    driver.AddDevice(ControllerDevice(true));
    auto link = MakeLink();
    ASSERT_TRUE(link->OpenDevice(0));
    ASSERT_TRUE(link->OpenDevice(0));
    EXPECT_EQ(driver.closed, std::vector<DriverHandle>{100});
    link->CloseDevice();
    EXPECT_FALSE(link->IsOpen());
    EXPECT_EQ(link->ControlEndPt, nullptr);
    EXPECT_EQ(link->BulkOutEndPt, nullptr);
    EXPECT_EQ(link->BosRecord(), nullptr);
    EXPECT_EQ(link->ConfigRecord(0), nullptr);
    EXPECT_EQ(link->EndPointCount(), 0);
    EXPECT_EQ(link->Configs, 0);
    EXPECT_EQ(link->USBDeviceDescriptor, (std::array<std::uint8_t, 18>{}));
    EXPECT_EQ(link->FindEndPoint(0), nullptr);
    EXPECT_EQ(driver.closed.size(), 2u);
}

TEST_F(UsbLinkTest, CloseErrorsCarryTheirTextsAndStillClose) {
    driver.AddDevice(ControllerDevice(true));
    {
        auto link = MakeLink();
        ASSERT_TRUE(link->OpenDevice(0));
        driver.closeError = error::kInvalidHandle;
        try {
            link->CloseDevice();
            FAIL() << "closing must raise";
        } catch (const UsbError& e) {
            EXPECT_STREQ(e.what(), "Failed to close handle to driver.");
            EXPECT_EQ(e.LastError(), error::kInvalidHandle);
        }
        EXPECT_EQ(link->LastError, error::kInvalidHandle);
        EXPECT_FALSE(link->IsOpen());
        EXPECT_EQ(link->ControlEndPt, nullptr);
        driver.closeError.reset();
    }
    {
        auto link = MakeLink(42);
        ASSERT_TRUE(link->OpenDevice(0));
        driver.unregisterFails = true;
        try {
            link->CloseDevice();
            FAIL() << "closing must raise";
        } catch (const UsbError& e) {
            EXPECT_STREQ(e.what(), "Failed to close the handle notification handle.");
        }
        EXPECT_FALSE(link->IsOpen());
        try {
            link->Shutdown();
            FAIL() << "shutting down must raise";
        } catch (const UsbError& e) {
            EXPECT_STREQ(e.what(), "Failed to close the device notification handle.");
        }
        link->Shutdown();  // nothing left to release
    }
}

TEST_F(UsbLinkTest, DestructionNeverRaises) {
    driver.AddDevice(ControllerDevice(true));
    auto link = MakeLink(42, true);
    ASSERT_TRUE(link->IsOpen());
    driver.unregisterFails = true;
    driver.closeError = error::kGenFailure;
    EXPECT_NO_THROW(link.reset());
    EXPECT_EQ(driver.closed.size(), 1u);
}

TEST_F(UsbLinkTest, NotificationsFollowTheWindow) {
    driver.AddDevice(ControllerDevice(true));
    {
        auto link = MakeLink(0, true);
        ASSERT_TRUE(link->IsOpen());
    }
    EXPECT_TRUE(driver.interfaceRegistrations.empty());
    EXPECT_TRUE(driver.handleRegistrations.empty());
    EXPECT_TRUE(driver.unregistered.empty());

    {
        auto link = MakeLink(42, true);
        ASSERT_TRUE(link->IsOpen());
        EXPECT_EQ(driver.interfaceRegistrations, std::vector<WindowId>{42});
        EXPECT_EQ(driver.handleRegistrations, std::vector<DriverHandle>{100});
        link->CloseDevice();
        // The handle's registration (the second one made) goes at close.
        EXPECT_EQ(driver.unregistered, std::vector<NotificationHandle>{101});
    }
    // The interface registration goes at destruction.
    EXPECT_EQ(driver.unregistered, (std::vector<NotificationHandle>{101, 100}));
}

TEST(NullUsbDriverTest, NothingToOpenAndNothingRaised) {
    NullUsbDriver null;
    CUsbLink link(null, 42, kVendorInterfaceClass, true);
    EXPECT_EQ(link.CountDevices(), 0);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_FALSE(link.OpenDevice(0));
    EXPECT_EQ(link.FindEndPoint(0), nullptr);
    EXPECT_NO_THROW(link.Shutdown());
    // An endpoint left over on a dead handle fails its transfer without waiting.
    const std::uint8_t descriptor[] = {7, 5, 0x82, 2, 0, 2, 0};
    CBulkEndPoint in(null, 1, descriptor);
    std::uint8_t byte = 0;
    std::uint32_t length = 1;
    EXPECT_FALSE(in.RunTransfer(&byte, length));
    EXPECT_EQ(in.LastError, error::kInvalidHandle);
    EXPECT_EQ(length, 0u);
}

}  // namespace
}  // namespace velmor::usb::test
