#!/usr/bin/env bash
# scripts/install-deps.sh: whatever one of its packages should have brought
# and did not (a command, a file, a tool of Qt's) stops it with one line that
# names the package; with nothing missing it says nothing. And README.md
# lists the packages it installs, no more and no fewer.
#
#   InstallDepsTest.sh SOURCE_DIR
set -euo pipefail

source_dir=$1
script=$source_dir/scripts/install-deps.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

mapfile -t requirements < <("$BASH" "$script" --list)
[ ${#requirements[@]} -gt 0 ] || fail "--list lists nothing"

# The packages of README's table of them: the names in backquotes in its
# first column.
readme=$(awk '/^\| Package \|/ { table = 1; next } table && !/^\|/ { exit } table' \
    "$source_dir/README.md" | cut -d '|' -f 2 | grep -oE '`[^`]+`' | tr -d '`' | sort)
listed=$(for line in "${requirements[@]}"; do echo "${line%% *}"; done | sort)
if [ "$readme" != "$listed" ]; then
    fail "README.md's packages differ from install-deps.sh's (< README, > script):"
    diff <(echo "$readme") <(echo "$listed") >&2 || true
fi

# Everything the check looks for, as an empty program on a PATH of its own or
# a file below a root of its own; Qt's tools where Debian's Qt has them, which
# the stand-in for qtpaths6 names.
bin=$work/bin
root=$work/root
qt_bins=$root/usr/lib/qt6/bin
mkdir -p "$bin" "$qt_bins"
uses=()
for line in "${requirements[@]}"; do
    read -r package items <<<"$line"
    for item in $items; do
        uses+=("$package $item")
        case $item in
        qt:*) path=$qt_bins/${item#qt:} ;;
        /*) path=$root$item ;;
        *) path=$bin/$item ;;
        esac
        mkdir -p "$(dirname "$path")"
        printf '#!/bin/sh\n' >"$path"
        chmod +x "$path"
    done
done
[ -x "$bin/qtpaths6" ] && printf '#!/bin/sh\necho %s\n' "$qt_bins" >"$bin/qtpaths6"

check() {
    PATH=$bin INSTALL_DEPS_ROOT=$root "$BASH" "$script" --check 2>&1
}

if ! out=$(check) || [ -n "$out" ]; then
    fail "with nothing missing: $out"
fi

# Takes away what the package $1 brings (the items $2..., or all of them), and
# expects one line that names what is missing and the package.
without() {
    local package=$1 item path status=0 out
    shift
    local items=("$@")
    [ ${#items[@]} -gt 0 ] || read -ra items <<<"$(for use in "${uses[@]}"; do
        [ "${use%% *}" = "$package" ] && echo -n "${use#* } "
    done)"
    local paths=()
    for item in "${items[@]}"; do
        case $item in
        qt:*) path=$qt_bins/${item#qt:} ;;
        /*) path=$root$item ;;
        *) path=$bin/$item ;;
        esac
        mv "$path" "$path.away"
        paths+=("$path")
    done
    out=$(check) || status=$?
    for path in "${paths[@]}"; do
        mv "$path.away" "$path"
    done
    local names=${items[*]}
    if [ $status -ne 1 ] || [ "$(wc -l <<<"$out")" -ne 1 ] ||
        [[ $out != *"missing ${names//qt:/}: "*"package $package "* ]]; then
        fail "without ${items[*]} (status $status): $out"
    fi
}

for use in "${uses[@]}"; do
    without $use
done
# A package removed: its commands in one line.
without wine

echo "${#uses[@]} commands and files checked, README's ${#requirements[@]} packages compared"
[ $failures -eq 0 ]
