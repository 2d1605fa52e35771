#include "cli/ctl_real_driver.h"

#include <cstdlib>

#include "cli/ctl_exit_codes.h"

#ifdef VELMOR_HAVE_LIBUSB
#include "drivers/libusb/libusb_texts.h"
#include "drivers/libusb/program_backend.h"
#endif

namespace velmor::cli {

RealDriverFactory DefaultRealDriverFactory() {
    return [](const CtlOptions& options) {
        RealDriver real;
#ifdef VELMOR_HAVE_LIBUSB
        libusb::ProgramBackend backend = libusb::StartProgramBackend(
            options.executableFolder, std::getenv(libusb::kMatchEnvironment), options.matches);
        if (!backend.driver) {
            // A controller ID that is not one is a mistake on the command line or in
            // the ID files; no libusb is no backend.
            real.failureCode =
                backend.failure == libusb::BackendFailure::kBadIds ? kExitUsage : kExitUnavailable;
            real.error = backend.error;
            return real;
        }
        libusb::LibusbDriver* driver = backend.driver.get();
        real.noDevice = [driver] { return libusb::NoDeviceText(driver->Ids()); };
        real.openFailure = [driver] { return driver->LastErrorText(); };
        real.driver = std::move(backend.driver);
#else
        (void)options;
        real.failureCode = kExitUnavailable;
        real.error = "no USB backend for real devices in this build; use --simulate";
#endif
        return real;
    };
}

}  // namespace velmor::cli
