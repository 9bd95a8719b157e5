#!/usr/bin/env bash
# Configures (once) and builds Trevisk in ./build.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -f build/build.ninja ]; then
    # Line tables (-g1) are enough for a backtrace and build a quarter faster than full debug info.
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
fi
cmake --build build --parallel "$(nproc)"
