#!/usr/bin/env bash
# Configures, builds and runs the test suite of one preset: "default" (without an
# argument), "sanitize" (AddressSanitizer and UndefinedBehaviorSanitizer) or "tsan"
# (ThreadSanitizer, over the suites that run threads).
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset" -j2
