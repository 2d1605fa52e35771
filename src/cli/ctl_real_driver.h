#pragma once
// The driver for real controllers that velmorctl uses without --simulate. In a
// build without a backend for real devices the factory reports why there is none.

#include "cli/ctl_session.h"

namespace velmor::cli {

RealDriverFactory DefaultRealDriverFactory();

}  // namespace velmor::cli
