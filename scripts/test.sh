#!/usr/bin/env bash
# Sets everything up, builds, and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build"
cd "$root/build"
TLV_UI=tty ctest --output-on-failure -j"$(nproc)"
