#!/usr/bin/env bash
# Installs the Debian packages that the build, the scripts and the tests
# need, if any is missing, and then checks that they brought what is called
# from them: every command on PATH, every file in its place. So a package
# missing from this list, or removed since, shows at once, in one line that
# names it, rather than as a failing step minutes later.
#
#   scripts/install-deps.sh          install what is missing, then check
#   scripts/install-deps.sh --check  check only (files are looked for below
#                                    $INSTALL_DEPS_ROOT, if set)
#   scripts/install-deps.sh --list   each package and what is used of it,
#                                    one a line
set -euo pipefail

# Each package, then what is used of it: a command looked up on PATH, a
# file by its absolute path, or qt:TOOL for a tool among Qt's own (which
# are not on PATH: the build takes them from Qt's folder of host tools, as
# qtpaths6 names it). Libraries and headers that CMake looks for itself, at
# once, need nothing here. README.md lists the same packages.
requirements=(
    "g++                         g++"
    "cmake                       cmake ctest cpack"
    "ninja-build                 ninja"
    "pkg-config                  pkg-config"
    "git                         git"
    "qt6-base-dev                qtpaths6"
    "qt6-tools-dev"
    "qt6-l10n-tools              qt:lrelease"
    "qt6-translations-l10n"
    "fonts-ipafont-gothic"
    "libgtest-dev"
    "libbenchmark-dev"
    "nlohmann-json3-dev"
    "poppler-utils               pdftotext pdfinfo"
    "socat                       socat"
    "g++-mingw-w64-x86-64-posix  x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-objdump"
    "mingw-w64-tools"
    "wine64                      /usr/lib/wine/wine64"
    "wine                        wine wineboot wineserver"
    "googletest                  /usr/src/googletest/CMakeLists.txt"
    "unzip                       unzip"
    "clang-format                clang-format"
    "mandoc                      mandoc"
    "desktop-file-utils          desktop-file-validate"
    "shared-mime-info            update-mime-database"
    "bash-completion             /usr/share/bash-completion/bash_completion"
    "dpkg-dev                    dpkg-shlibdeps"
    "neovim                      nvim"
)

mode=${1:-install}
case $mode in
install | --check | --list) ;;
*)
    echo "usage: $0 [--check | --list]" >&2
    exit 2
    ;;
esac

if [ "$mode" = --list ]; then
    printf '%s\n' "${requirements[@]}"
    exit 0
fi
packages=()
for line in "${requirements[@]}"; do
    packages+=("${line%% *}")
done

if [ "$mode" = install ]; then
    # One query for all: "NAME install ok installed" for each one installed.
    installed=$'\n'$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null || true)$'\n'
    missing=()
    for p in "${packages[@]}"; do
        [[ $installed == *$'\n'"$p install ok installed"$'\n'* ]] || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        # As root directly; otherwise through sudo, which must be there.
        sudo=()
        if [ "$(id -u)" -ne 0 ]; then
            if ! command -v sudo >/dev/null 2>&1; then
                echo "install-deps: run this as root, or install sudo, to install: ${missing[*]}" >&2
                exit 1
            fi
            sudo=(sudo)
        fi
        export DEBIAN_FRONTEND=noninteractive
        "${sudo[@]}" apt-get update -qq
        "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
fi

# The check: the shell's own commands only, so that it is quick and works
# whatever PATH holds.
root=${INSTALL_DEPS_ROOT:-}
qt_tool() {
    local bins
    if command -v qtpaths6 >/dev/null; then
        bins=$(qtpaths6 --query QT_HOST_BINS 2>/dev/null) || return 1
    else
        bins=$root/usr/lib/qt6/bin # where Debian's Qt 6 has them
    fi
    [ -x "$bins/$1" ]
}
status=0
for line in "${requirements[@]}"; do
    read -r package uses <<<"$line"
    lacking=()
    for use in $uses; do
        case $use in
        qt:*) qt_tool "${use#qt:}" && continue ;;
        /*) [ -e "$root$use" ] && continue ;;
        *) command -v "$use" >/dev/null && continue ;;
        esac
        lacking+=("${use#qt:}")
    done
    if [ ${#lacking[@]} -gt 0 ]; then
        echo "install-deps: missing ${lacking[*]}: install the package $package" \
            "(apt-get install --no-install-recommends $package)" >&2
        status=1
    fi
done
exit $status
