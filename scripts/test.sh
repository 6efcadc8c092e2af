#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build,
# then again under AddressSanitizer and UndefinedBehaviorSanitizer, then the
# serial port and transfer tests under ThreadSanitizer, then the formatting
# check.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc)

echo "== Build and test"
cmake -S . -B build/ci -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSEL_BUILD_BENCHMARKS=ON
cmake --build build/ci -j "$jobs"
ctest --test-dir build/ci --output-on-failure -j "$jobs"

echo "== Build and test under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSEL_SANITIZE=address,undefined
cmake --build build/asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build/asan --output-on-failure -j "$jobs"

echo "== Serial port, transfers and the language server under ThreadSanitizer"
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSEL_SANITIZE=thread
cmake --build build/tsan -j "$jobs" --target serial_test transfer_test cli_test cli_transfer_test \
    lsp_test
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
    ctest --test-dir build/tsan --output-on-failure -j "$jobs" \
    -R '^(ComPortTest|ComPortSeamTest|TransferWorkerTest|TransferFlowsTest|CliTransfer[A-Za-z]*|Server|WorkQueue)\.'

echo "== The Windows build under Wine"
scripts/test-windows.sh build/ci

echo "== Formatting"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

echo "All tests passed."
