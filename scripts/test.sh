#!/usr/bin/env bash
# Sets up (packages, build) and runs the whole test suite, without a display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
cd build && ctest --output-on-failure -j "$(nproc)"
