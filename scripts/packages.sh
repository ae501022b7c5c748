# The Debian packages this project needs, and their installation; sourced by ./test, ./run and
# ./release, so that each installs what it needs the same way.
#   need_packages SET...   installs the missing packages of the sets named when run as root
#                          (else names them and fails); the set wine also makes the locale
#                          ru_RU.UTF-8, from which Wine takes its code pages 1251 and 866.

# The native configuration includes the tests (googletest) and the benchmarks (libdeflate).
PACKAGES_build="cmake ninja-build g++ googletest zlib1g-dev libdeflate-dev"
PACKAGES_tests="clang libclang-rt-14-dev zip unzip liblnk-utils"
PACKAGES_windows="g++-mingw-w64-i686 g++-mingw-w64-x86-64"
# zlib for the Windows zipvol's Deflate and the Windows tests, linked in whole (the programs
# need no DLL of ours); without it the Windows zipvol stores only.
PACKAGES_windows_zlib="libz-mingw-w64-dev"
PACKAGES_wine="wine64 xvfb xauth x11-utils xdotool imagemagick locales"

need_packages() {
    local set p missing=() list wine=0
    for set in "$@"; do
        list=PACKAGES_$set
        [ "$set" = wine ] && wine=1
        for p in ${!list}; do
            dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
        done
    done
    if [ ${#missing[@]} -gt 0 ]; then
        if [ "$(id -u)" != 0 ]; then
            echo "missing packages (run as root to install them): ${missing[*]}" >&2
            return 1
        fi
        echo "installing: ${missing[*]}"
        DEBIAN_FRONTEND=noninteractive apt-get update -q >/dev/null &&
            DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null ||
            return 1
    fi
    [ $wine -eq 1 ] || return 0
    if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
        if [ "$(id -u)" = 0 ]; then
            sed -i 's/^# *ru_RU.UTF-8 UTF-8/ru_RU.UTF-8 UTF-8/' /etc/locale.gen
            grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' >> /etc/locale.gen
            locale-gen >/dev/null
        else
            echo "the locale ru_RU.UTF-8 is missing (run as root to generate it)" >&2
            return 1
        fi
    fi
}
