#!/usr/bin/env bash
# Installs what is missing, builds Framora Pro and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target framora framora-cli
exec ./build/src/app/framora "$@"
