#!/usr/bin/env bash
# Configures, builds and runs the whole test suite. Pass "sanitize" to use the
# AddressSanitizer/UndefinedBehaviorSanitizer preset instead of the default one.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset" -j2
