// The cleaning file load, on any file, then a save and loads again.
//
// Properties: a file the program saved passes its own checksum on the next load, and
// saving what was loaded is stable: the second generation reads back as the first did
// (reals kept to six decimals by the file format are compared as integers and doubles;
// single-precision reals only through the checksum).

#include <cmath>
#include <cstdint>
#include <string>

#include "commands/cmds_mag.h"
#include "common/fuzz_check.h"
#include "common/memory_file_ops.h"
#include "controller/main_operation.h"

namespace {

using velmor::controller::CleanParams;

// The parameters with the single-precision reals left out and NaN made comparable.
CleanParams Comparable(CleanParams p) {
    for (float* f : {&p.fCarMoveAccDistance, &p.fXMoveSpeed, &p.fYMoveSpeed, &p.dbXAcceDistance,
                     &p.fYMoveSpeedWhenReady, &p.fXMoveSpeedWhenReady, &p.fMaxYAcceDistance})
        *f = 0;
    for (double* d : {&p.uiCarbackclear, &p.dbXMotorGearRate, &p.dbYMotorGearRate})
        if (std::isnan(*d)) *d = 0;
    return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmor;
    const std::string folder = "/velmor-fuzz-missing/";
    fuzz::MemoryFileOps ops;
    ops.files[folder + "clean.cfg"] = std::string(reinterpret_cast<const char*>(data), size);

    controller::CMainOperation op;
    commands::CCmdsMag(op, ops).LoadCleanParams(folder + "clean.cfg");

    FUZZ_CHECK(commands::CCmdsMag(op, ops).SaveCleanParams(folder + "one.cfg"));
    controller::CMainOperation second;
    FUZZ_CHECK(commands::CCmdsMag(second, ops).LoadCleanParams(folder + "one.cfg"));

    FUZZ_CHECK(commands::CCmdsMag(second, ops).SaveCleanParams(folder + "two.cfg"));
    controller::CMainOperation third;
    FUZZ_CHECK(commands::CCmdsMag(third, ops).LoadCleanParams(folder + "two.cfg"));
    FUZZ_CHECK(Comparable(third.cleanParams) == Comparable(second.cleanParams));
    return 0;
}
