#!/usr/bin/env bash
# Builds the core and tessel-cli for Windows with the MinGW-w64 cross
# compiler and tests them under Wine: the core's and tessel-cli's test suites
# cross-built, the zip that cpack makes, and tessel-cli.exe itself through the
# process tests of a Linux build (HOST_BUILD, default build/ci), serial
# transfers over socat's null modem included.
#
#   scripts/test-windows.sh [HOST_BUILD]
#
# Without the cross compiler or Wine (scripts/install-deps.sh installs both;
# wineboot and wineserver come with the package wine) it says so and does
# nothing.
set -euo pipefail
cd "$(dirname "$0")/.."

host=${1:-build/ci}
win=build/win64
jobs=$(nproc)

wine=$(command -v wine64 || true)
[ -n "$wine" ] || [ ! -x /usr/lib/wine/wine64 ] || wine=/usr/lib/wine/wine64
if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || [ -z "$wine" ] ||
    ! command -v wineboot >/dev/null || ! command -v wineserver >/dev/null; then
    echo "test-windows: skipped (needs g++-mingw-w64-x86-64-posix, wine64 and wine)"
    exit 0
fi

# A prefix of our own, quiet, with one server for all the runs.
export WINEPREFIX=$PWD/build/wine-prefix WINEDEBUG=-all LC_ALL=C.UTF-8
rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wineserver -w
# Its output is its own debugging (an object dump when a serial pseudo-terminal
# it holds hangs up), not ours.
wineserver -p >/dev/null 2>&1
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

echo "-- Cross build"
cmake -S . -B "$win" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$win" -j "$jobs"

echo "-- The core's and tessel-cli's suites under Wine"
# One at a time: each takes a second, and a fresh prefix is best started by
# one program alone.
"$wine" "$win/src/cli/tessel-cli.exe" --version >/dev/null
ctest --test-dir "$win" --output-on-failure --timeout 120

echo "-- The zip"
(cd "$win" && rm -f tessel-cli-*-win64.zip && cpack -G ZIP >/dev/null)
zip=$(ls "$win"/tessel-cli-*-win64.zip)
listing=$(unzip -Z1 "$zip")
folder=$(basename "$zip" .zip)
for f in tessel-cli.exe README.md LICENSE docs/cli.md docs/serial.md; do
    grep -qx "$folder/$f" <<<"$listing" || { echo "$zip lacks $folder/$f" >&2; exit 1; }
done
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"; wineserver -k >/dev/null 2>&1 || true' EXIT
unzip -q "$zip" -d "$unpacked"
exe=$unpacked/$folder/tessel-cli.exe
# It needs no DLL beside it: only the system's own.
if x86_64-w64-mingw32-objdump -p "$exe" | grep "DLL Name" |
    grep -viE 'KERNEL32|msvcrt|SHELL32|USER32|ADVAPI32|SETUPAPI' ; then
    echo "tessel-cli.exe needs the DLLs above" >&2
    exit 1
fi
"$wine" "$exe" --version

echo "-- tessel-cli.exe through the process tests of $host"
if [ ! -f "$host/CMakeCache.txt" ]; then
    cmake -S . -B "$host" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$host" -j "$jobs" --target cli_process_test cli_transfer_test
for t in cli_process_test cli_transfer_test; do
    TESSEL_CLI_PROGRAM=$exe TESSEL_CLI_RUNNER=$wine "$host/tests/$t" --gtest_brief=1
done
echo "The Windows build passed."
