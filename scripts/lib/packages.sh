# Installs the Debian packages the project needs, once: nothing is fetched when all are there.
# Usage: ensure_packages PACKAGE...

ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
        --no-install-recommends "${missing[@]}" >/dev/null
}

# What every build needs: the desktop window's Qt with fonts for every language it shows
# (Japanese, Chinese and Korean from Noto CJK), its pictures rendered from their drawings, and
# what the Debian package is made with.
ZELTOR_BUILD_PACKAGES=(cmake ninja-build g++ python3 googletest libgtest-dev libgmock-dev
                       nlohmann-json3-dev pkg-config libsystemd-dev libudev-dev
                       qt6-base-dev fonts-dejavu-core fonts-noto-cjk librsvg2-bin dpkg-dev)
# The Windows cross build and Wine to run its tests; the icons rendered from their drawings; a
# display for the dialog's tests and its screenshots.
ZELTOR_WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64
                         fonts-wine librsvg2-bin icoutils
                         xvfb xauth x11-apps x11-utils imagemagick xdotool)
# The fuzz targets.
ZELTOR_FUZZ_PACKAGES=(clang libclang-rt-14-dev)
# The kernel-level tests in a QEMU guest (scripts/guest): the emulator, the guest's shell and
# the tools that unpack the kernel and pack its first root; udevd, so that the guest runs the
# rules and the udev event source the program listens to.
ZELTOR_GUEST_PACKAGES=(qemu-system-x86 busybox-static cpio xz-utils udev)
