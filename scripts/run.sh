#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSEL_BUILD_TESTS=OFF
cmake --build build/release
echo "Built: $PWD/build/release/src/app/tessel"
echo "       $PWD/build/release/src/cli/tessel-cli"
exec build/release/src/app/tessel "$@"
