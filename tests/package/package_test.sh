#!/bin/sh
# The Debian package as a user gets it: built from the linux build, installed into a scratch
# root with dpkg, the simulated update run from the installed program, then purged again, after
# which nothing of it may be left.
#   package_test.sh <source folder> <build folder>
set -u
source_dir=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

deb=$("$source_dir/scripts/package" "$build" "$work/out") || fail "scripts/package failed"
[ -f "$deb" ] || fail "no package at '$deb'"
echo "Package: $deb"

# The files the package must hold, and what it needs.
contents=$(dpkg-deb --contents "$deb") || fail "dpkg-deb cannot read the package"
for file in ./usr/bin/brennic-firmware-update \
            ./usr/lib/udev/rules.d/70-brennic-firmware-update.rules \
            ./usr/share/applications/brennic-firmware-update.desktop \
            ./usr/share/icons/hicolor/48x48/apps/brennic-firmware-update.png \
            ./usr/share/icons/hicolor/256x256/apps/brennic-firmware-update.png \
            ./usr/share/icons/hicolor/scalable/apps/brennic-firmware-update.svg \
            ./usr/share/doc/brennic-firmware-update/README.md; do
    echo "$contents" | grep -q " $file\$" || fail "the package lacks $file"
done
depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
for library in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6 libudev1 libsystemd0 \
               qt6-qpa-plugins fonts-dejavu-core; do
    echo "$depends" | grep -q "$library" || fail "Depends lacks $library"
done

# A scratch root with an empty package database; the maintainer scripts run outside it.
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
: >"$root/var/lib/dpkg/status"
dpkg="dpkg --root=$root --force-not-root --force-script-chrootless --force-depends
      --log=$work/dpkg.log"
$dpkg -i "$deb" >"$work/install.out" 2>&1 || { cat "$work/install.out"; fail "dpkg -i failed"; }

# The installed program, in a terminal-less session without a display: the console front end.
home="$work/home"
mkdir -p "$home"
env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" LC_ALL=C.UTF-8 LANG=C.UTF-8 \
    "$root/usr/bin/brennic-firmware-update" /SIMULATE /INSTANT </dev/null >"$work/run.out" 2>&1
code=$?
cat "$work/run.out"
[ "$code" = 0 ] || fail "the installed program ended with $code"
grep -q "both paired" "$work/run.out" || fail "the installed program did not update"

$dpkg -P brennic-firmware-update >"$work/remove.out" 2>&1 ||
    { cat "$work/remove.out"; fail "dpkg -P failed"; }
left=$(cd "$root" && find . -path ./var/lib/dpkg -prune -o ! -type d -print)
[ -z "$left" ] || fail "left behind after removal: $left"
dirs=$(cd "$root" && find . -path ./var -prune -o -type d ! -name . -print)
[ -z "$dirs" ] || fail "folders left behind after removal: $dirs"
echo PASS
