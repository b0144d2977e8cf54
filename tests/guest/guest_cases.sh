#!/bin/bash
# The guest's cases, run as root inside the host's root (read-only) in a QEMU guest whose kernel
# has uhid. Each case is a function case_<name>: it returns 0 for a pass, or says why it failed
# on its last line of standard output. Its files go to $run/<name>.
#
# Usage: guest_cases.sh ROOT RUN [CASE...]   (default: every case, in the order of all_cases)
root=$1 run=$2
shift 2
export PATH=/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C.UTF-8 LANG=C.UTF-8
# udevd and udevadm do nothing in a chroot unless told that this one is the system.
export SYSTEMD_IGNORE_CHROOT=1
program=$root/build/linux/src/brennic-firmware-update
bridge=$root/build/linux/tests/guest/uhid_bridge
check=$root/build/linux/tests/guest/hidraw_check
wincheck=$root/build/windows/tests/guest/win32_hid_check.exe
winprogram=$root/build/windows/src/BrennicFirmwareUpdate.exe
rule=$root/resources/linux/70-brennic-firmware-update.rules
scenarios=$root/examples/scenarios
headset=2f5a:5c1b
dongle=2f5a:5c1a
nobody=65534
success="You have successfully updated the firmware."

# ---- the parts every case uses ----

bridge_pid=
# start_bridge ARGUMENT...: the simulated devices on the kernel's bus, their verdict at the end
# in $dir/bridge-status.
start_bridge() {
    "$bridge" --status="$dir/bridge-status" "$@" >"$dir/bridge.log" 2>&1 &
    bridge_pid=$!
}

stop_bridge() {
    [ -n "$bridge_pid" ] || return 0
    kill -TERM "$bridge_pid" 2>/dev/null
    wait "$bridge_pid"
    bridge_pid=
    wine_stop
}

# wait_nodes VID:PID COUNT: until the kernel shows that many nodes and udev has handled them.
wait_nodes() {
    "$check" wait "$1" "$2" 60000 >>"$dir/nodes.log" 2>&1 &&
        udevadm settle --timeout=30 &&
        "$check" probe >>"$dir/nodes.log" 2>&1
}

# run_program UID ARGUMENT...: the program as user UID in a home of its own, with no terminal,
# as a desktop launcher or a script starts it. Its exit code lands in $code.
run_program() {
    local uid=$1
    shift
    local home=/tmp/home-$case_name
    mkdir -p "$home/Documents" "$home/run"
    chmod 700 "$home/run"
    chown -R "$uid:$uid" "$home"
    HOME=$home XDG_RUNTIME_DIR=$home/run timeout "${ZELTOR_GUEST_PROGRAM_SECONDS:-600}" \
        setpriv --reuid="$uid" --regid="$uid" --clear-groups "$program" "$@" \
        </dev/null >"$dir/program.out" 2>&1
    code=$?
    cp "$home/Documents/BrennicFirmwareUpdate.log" "$dir/" 2>/dev/null
}

# expect_update: the run ended in success and the devices agree.
expect_update() {
    [ "$code" = 0 ] || { tail -n 5 "$dir/program.out"; echo "exit code $code, expected 0"; return 1; }
    grep -qF "$success" "$dir/program.out" || { echo "the program never said: $success"; return 1; }
    grep -q '^verdict: good$' "$dir/bridge-status" ||
        { head -n 1 "$dir/bridge-status"; echo "the devices' verdict is not good"; return 1; }
}

# node_of VID:PID: the one node of that identity.
node_of() {
    "$check" wait "$1" 1 1000 | awk '{ print $1 }'
}

# uaccess_tagged_nodes: how many hidraw nodes udev's own test of the rules tags for the seat's
# user. udevadm's output goes to $dir/udevadm-test.log.
uaccess_tagged_nodes() {
    local node count=0
    for node in /sys/class/hidraw/hidraw*; do
        udevadm test "$node" >"$dir/udevadm-one.log" 2>&1
        cat "$dir/udevadm-one.log" >>"$dir/udevadm-test.log"
        grep -q '^TAGS=.*:uaccess:' "$dir/udevadm-one.log" && count=$((count + 1))
    done
    rm -f "$dir/udevadm-one.log"
    echo "$count"
}

# wine_start / wine_stop: Wine on the prefix made on the host (with the guest's changes in
# memory), its server kept running between the programs of a case. Every case that needs Wine
# boots it afresh once its devices are up, and Wine is stopped when the case's devices go: Wine
# names a device by its identity, and devices of a name it has just seen leave, arriving again
# in the next case, are not shown by it again (its enumeration even hangs), as with a device
# replugged faster than Wine follows. Booting takes up to a minute under TCG.
wine_started=
wine_start() {
    wine_stop
    export WINEPREFIX=/tmp/wine-prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    mkdir -p /tmp/wine-home
    unset DISPLAY
    HOME=/tmp/wine-home wineserver -p || return 1
    wine_started=1
    HOME=/tmp/wine-home timeout 300 wine wineboot </dev/null >"$dir/wineboot.log" 2>&1 || return 1
    # A program's device notifications come through the plug-and-play service, which a Windows
    # machine always runs. Wine's boot in the guest does not always leave it running, and a
    # program that asks for notifications before it runs never hears of a device: the cases
    # start once it answers.
    local tries
    for tries in $(seq 60); do
        HOME=/tmp/wine-home wine sc query plugplay </dev/null 2>/dev/null | tr -d '\r' \
            >"$dir/plugplay.log"
        grep -q 'STATE.*RUNNING' "$dir/plugplay.log" && return 0
        HOME=/tmp/wine-home wine sc start plugplay </dev/null >>"$dir/wineboot.log" 2>&1
        sleep 1
    done
    echo "the plug-and-play service did not start"
    return 1
}

wine_stop() {
    [ -n "$wine_started" ] || return 0
    HOME=/tmp/wine-home wineserver -k
    HOME=/tmp/wine-home wineserver -w
    wine_started=
}

# win_run OUTPUT PROGRAM ARGUMENT...: a Windows program under Wine, its standard output in
# OUTPUT with the line ends of this side. The program runs from a copy in memory rather than
# from the 9p share, so that a rebuild on the host cannot change it under Wine's loader.
win_run() {
    local output=$1 program=$2
    shift 2
    mkdir -p /tmp/wine-programs
    cp "$program" /tmp/wine-programs/
    HOME=/tmp/wine-home WINEDEBUG=${ZELTOR_GUEST_WINEDEBUG:--all} \
        timeout "${ZELTOR_GUEST_PROGRAM_SECONDS:-600}" wine "/tmp/wine-programs/${program##*/}" "$@" \
        </dev/null 2>>"$dir/wine.err" | sed -u 's/\r$//' >"$output"
    return "${PIPESTATUS[0]}"
}

# ---- the cases ----

# The bridged devices as any program meets them through the raw hidraw calls, with bytes of the
# checker's own: the chip's version answer, the MCU's patch version, and the dongle's bootloader
# entry taking its node away for the scenario's delay before the bootloader's node arrives.
case_raw_device() {
    start_bridge --headset-nodes=1
    wait_nodes "$headset" 1 && wait_nodes "$dongle" 1 || { stop_bridge; echo "the devices never appeared"; return 1; }
    local dongle_node headset_node version patch
    dongle_node=$(node_of "$dongle")
    headset_node=$(node_of "$headset")
    version=$("$check" version "$dongle_node")
    patch=$("$check" mcu-version "$headset_node")
    "$check" reenumerate "$dongle_node" 170d:0100 1500 || { stop_bridge; echo "no bootloader entry"; return 1; }
    stop_bridge
    [ "$version" = T1.00.00 ] || { echo "the dongle answered version \"$version\", not T1.00.00"; return 1; }
    [ "$patch" = 12 ] || { echo "the MCU answered patch \"$patch\", not 12"; return 1; }
}

# The headset shows its wireless chip and its MCU as two collections of one node, as it does
# over USB: the whole update through hidraw and udev.
case_update() {
    start_bridge --headset-nodes=1
    wait_nodes "$headset" 1 && wait_nodes "$dongle" 1 || { stop_bridge; echo "the devices never appeared"; return 1; }
    # The program's backend splits the headset's node into its two collections.
    local view
    for view in "2f5a:5c1a usage ff00:0001 lengths 64/64/263" \
                "#col01 2f5a:5c1b usage ff00:0001 lengths 64/64/263" \
                "#col02 2f5a:5c1b usage ff42:0001 lengths 64/64/0"; do
        grep -qF -- "$view" "$dir/nodes.log" || { stop_bridge; echo "the backend does not see: $view"; return 1; }
    done
    run_program 0
    stop_bridge
    expect_update
}

# The dongle pulled out ten seconds into its transfer and plugged in again: the run waits for
# it, starts its transfer again and succeeds.
case_dongle_unplugged() {
    start_bridge --headset-nodes=1 --scenario="$scenarios/dongle-unplugged.json"
    wait_nodes "$headset" 1 && wait_nodes "$dongle" 1 || { stop_bridge; echo "the devices never appeared"; return 1; }
    run_program 0
    stop_bridge
    expect_update || return 1
    grep -q '^fault acted: ' "$dir/bridge-status" || { echo "the unplug never happened"; return 1; }
}

# A user without the rule may not open the nodes: the run ends before anything is sent, saying
# which device and how to fix it.
case_unprivileged_without_rule() {
    start_bridge --headset-nodes=1
    wait_nodes "$headset" 1 && wait_nodes "$dongle" 1 || { stop_bridge; echo "the devices never appeared"; return 1; }
    run_program "$nobody"
    stop_bridge
    [ "$code" = 2 ] || { tail -n 5 "$dir/program.out"; echo "exit code $code, expected 2"; return 1; }
    grep -q "cannot open .*Permission denied" "$dir/program.out" ||
        { cat "$dir/program.out"; echo "no message naming the device it cannot open"; return 1; }
    grep -q "70-brennic-firmware-update.rules" "$dir/program.out" || { echo "the fix is not named"; return 1; }
    grep -q '^device errors: 0$' "$dir/bridge-status" && ! grep -q '^fault acted: ' "$dir/bridge-status" ||
        { echo "the devices were touched"; return 1; }
    [ "$(uaccess_tagged_nodes)" = 0 ] || { echo "nodes are tagged for the seat without the rule"; return 1; }
}

# With the rule in place the same user updates the devices, the headset this time showing its
# two collections as two nodes. The guest has no login seat for the rule's uaccess tag to grant,
# so udev's own test shows the rule tagging each node (which no node is without it), and a copy
# of the rule that opens the nodes to everyone stands in for the seat's grant.
case_unprivileged_with_rule() {
    cp "$rule" /etc/udev/rules.d/
    sed 's/TAG+="uaccess"/MODE="0666"/' "$rule" >/etc/udev/rules.d/71-guest-seat-grant.rules
    udevadm control --reload
    start_bridge --headset-nodes=2
    wait_nodes "$headset" 2 && wait_nodes "$dongle" 1 || { stop_bridge; echo "the devices never appeared"; return 1; }
    local matched
    matched=$(uaccess_tagged_nodes)
    run_program "$nobody"
    stop_bridge
    rm -f /etc/udev/rules.d/*.rules
    udevadm control --reload
    [ "$matched" = 3 ] || { echo "the rule matched $matched nodes, expected the 3 of the devices"; return 1; }
    expect_update
}

# The Windows program's HID backend under Wine, whose HID bus reads the same hidraw nodes: it
# enumerates and probes the devices (the headset as two nodes, since Wine does not split a
# node's collections), reads a chip's version through feature reports, and the MCU's through
# output and input reports after a read it let time out and cancelled.
case_wine_hid() {
    start_bridge --headset-nodes=2
    wait_nodes "$headset" 2 && wait_nodes "$dongle" 1 || { stop_bridge; echo "the devices never appeared"; return 1; }
    wine_start || { stop_bridge; echo "Wine did not start (wineboot.log)"; return 1; }
    win_run "$dir/list.txt" "$wincheck" list
    win_run "$dir/version.txt" "$wincheck" version "$dongle"
    win_run "$dir/mcu-version.txt" "$wincheck" mcu-version "$headset"
    # Last, as it sends the headset's chip into its bootloader.
    win_run "$dir/watch.txt" "$wincheck" watch "$headset" handle
    local watched=$?
    stop_bridge
    local view
    for view in "2f5a:5c1a usage ff00:0001 lengths 64/64/263 " \
                "2f5a:5c1b usage ff00:0001 lengths 64/64/263 " \
                "2f5a:5c1b usage ff42:0001 lengths 64/64/0 "; do
        grep -qF -- "$view" "$dir/list.txt" || { echo "Wine's HID stack does not show: $view"; return 1; }
    done
    [ "$(cat "$dir/version.txt")" = T1.00.00 ] || { echo "the dongle's version through Wine: \"$(cat "$dir/version.txt")\""; return 1; }
    [ "$(cat "$dir/mcu-version.txt")" = 12 ] || { echo "the MCU's patch through Wine: \"$(cat "$dir/mcu-version.txt")\""; return 1; }
    cat "$dir/watch.txt"
    [ $watched = 0 ] || { echo "the chip's bootloader entry as the program sees it: $(tail -n 1 "$dir/wine.err")"; return 1; }
}

# wine_sees_devices: until Wine's HID bus shows the headset's two collections and the dongle, and
# no bootloader left from an earlier case (Wine takes a few seconds to follow the kernel under
# TCG). Its last view is in $dir/wine-view.txt.
wine_sees_devices() {
    local tries
    for tries in $(seq 30); do
        win_run "$dir/wine-view.txt" "$wincheck" list
        grep -q '^2f5a:5c1a usage ff00' "$dir/wine-view.txt" &&
            grep -q '^2f5a:5c1b usage ff00' "$dir/wine-view.txt" &&
            grep -q '^2f5a:5c1b usage ff42' "$dir/wine-view.txt" &&
            ! grep -q '^170d:' "$dir/wine-view.txt" && return 0
        sleep 2
    done
    return 1
}

# win_update ARGUMENT...: the Windows program's console front end under Wine, its log beside the
# case's other files.
win_update() {
    win_run "$dir/program.out" "$winprogram" /CONSOLE "$@"
    code=$?
    cp "$WINEPREFIX"/drive_c/users/*/Documents/BrennicFirmwareUpdate.log "$dir/" 2>/dev/null
}

# The Windows program's console front end under Wine on the same devices: a whole update, the
# bootloaders' arrivals and the re-enumerations seen through Wine's device notifications.
case_wine_update() {
    start_bridge --headset-nodes=2
    wait_nodes "$headset" 2 && wait_nodes "$dongle" 1 || { stop_bridge; echo "the devices never appeared"; return 1; }
    wine_start || { stop_bridge; echo "Wine did not start (wineboot.log)"; return 1; }
    wine_sees_devices || { stop_bridge; echo "Wine's HID bus does not show the devices (wine-view.txt)"; return 1; }
    win_update
    stop_bridge
    expect_update
}

# The dongle pulled out ten seconds into its transfer under the Windows program: it waits for
# the dongle, starts its transfer again and succeeds.
case_wine_dongle_unplugged() {
    start_bridge --headset-nodes=2 --scenario="$scenarios/dongle-unplugged.json"
    wait_nodes "$headset" 2 && wait_nodes "$dongle" 1 || { stop_bridge; echo "the devices never appeared"; return 1; }
    wine_start || { stop_bridge; echo "Wine did not start (wineboot.log)"; return 1; }
    wine_sees_devices || { stop_bridge; echo "Wine's HID bus does not show the devices (wine-view.txt)"; return 1; }
    win_update
    stop_bridge
    expect_update || return 1
    grep -q '^fault acted: ' "$dir/bridge-status" || { echo "the unplug never happened"; return 1; }
}

# expect_check TEXT JSON LOG: a check of the bridged devices said, as text and as JSON, what they
# hold (their chips at major 0, so an update is needed: exit 1 in $code and $text_code), sent
# them nothing but version requests (LOG's hex dump of every report, from the run with
# /VERBOSE): one per chip and one to five for the MCU, whose answer can miss an attempt's
# 100 ms on an emulated machine; and left them as they were (the bridge's verdict: neither chip flashed nor paired
# anew, no report found senseless).
expect_check() {
    local text=$1 json=$2 log=$3 line
    cat "$text" "$json"
    [ "$text_code" = 1 ] || { echo "exit code $text_code, expected 1"; return 1; }
    [ "$code" = 1 ] || { echo "exit code $code with --json, expected 1"; return 1; }
    for line in "Headset audio MCU           application  version 12     current" \
                "Headset wireless chip       application  version 0.00   update needed" \
                "USB receiver wireless chip  application  version 0.00   update needed"; do
        grep -qF -- "$line" "$text" || { echo "the check does not say: $line"; return 1; }
    done
    python3 -c 'import json, sys; r = json.load(open(sys.argv[1])); sys.exit(r["exitCode"] != 1 or [p["version"] for p in r["parts"]] != ["12", "0.00", "0.00"])' \
        "$json" || { echo "the JSON does not say what the text says"; return 1; }
    "$root/tests/program/version_requests_only.py" "$log" 3-7 ||
        { echo "the devices were sent more than version requests ($log)"; return 1; }
    grep -q '^Simulation: headset DIFFERS from its image, dongle DIFFERS from its image, MCU skipped, NOT paired' "$dir/bridge-status" &&
        grep -q '^device errors: 0$' "$dir/bridge-status" && ! grep -q '^fault acted: ' "$dir/bridge-status" ||
        { head -n 1 "$dir/bridge-status"; echo "the devices were changed"; return 1; }
}

# /CHECK on the kernel's devices through hidraw, as text and as JSON; and a user who may not
# open the nodes gets the message and the fix, exit 2, before anything is sent.
case_check() {
    start_bridge --headset-nodes=1
    wait_nodes "$headset" 1 && wait_nodes "$dongle" 1 || { stop_bridge; echo "the devices never appeared"; return 1; }
    run_program "$nobody" /CHECK
    local denied=$code
    cp "$dir/program.out" "$dir/denied.txt"
    run_program 0 /CHECK /VERBOSE
    text_code=$code
    cp "$dir/program.out" "$dir/check.txt"
    cp "$dir/BrennicFirmwareUpdate.log" "$dir/check.log" 2>/dev/null
    run_program 0 /CHECK --json
    stop_bridge
    cp "$dir/program.out" "$dir/check.json"
    cat "$dir/denied.txt"
    [ "$denied" = 2 ] || { echo "exit code $denied without access, expected 2"; return 1; }
    grep -q "cannot open .*Permission denied" "$dir/denied.txt" &&
        grep -q "70-brennic-firmware-update.rules" "$dir/denied.txt" ||
        { echo "no message naming the device it cannot open, or no fix"; return 1; }
    expect_check "$dir/check.txt" "$dir/check.json" "$dir/check.log"
}

# The Windows program's /CHECK under Wine on the same devices (the headset as two nodes, as
# Wine shows them), without /CONSOLE: the check takes the console by itself.
case_wine_check() {
    start_bridge --headset-nodes=2
    wait_nodes "$headset" 2 && wait_nodes "$dongle" 1 || { stop_bridge; echo "the devices never appeared"; return 1; }
    wine_start || { stop_bridge; echo "Wine did not start (wineboot.log)"; return 1; }
    wine_sees_devices || { stop_bridge; echo "Wine's HID bus does not show the devices (wine-view.txt)"; return 1; }
    # The log the check's hex dump is read from holds this run only.
    rm -f "$WINEPREFIX"/drive_c/users/*/Documents/BrennicFirmwareUpdate.log
    win_run "$dir/check.txt" "$winprogram" /CHECK /VERBOSE
    text_code=$?
    cp "$WINEPREFIX"/drive_c/users/*/Documents/BrennicFirmwareUpdate.log "$dir/check.log" 2>/dev/null
    win_run "$dir/check.json" "$winprogram" /CHECK --json
    code=$?
    stop_bridge
    expect_check "$dir/check.txt" "$dir/check.json" "$dir/check.log"
}

# ---- running them ----

if [ -x /lib/systemd/systemd-udevd ]; then
    # Rules of the cases' own on top of the host's (read-only) folder.
    mount -t tmpfs rules /etc/udev/rules.d
    /lib/systemd/systemd-udevd --daemon && udevadm control --ping ||
        echo "guest: setup: FAIL (udevd did not start)"
else
    echo "guest: setup: FAIL (no udevd in the host's root)"
fi

all_cases=(raw_device update dongle_unplugged unprivileged_without_rule unprivileged_with_rule
           wine_hid wine_update wine_dongle_unplugged check wine_check)
cases=("$@")
[ ${#cases[@]} -eq 0 ] && cases=("${all_cases[@]}")
for case_name in "${cases[@]}"; do
    dir=$run/$case_name
    mkdir -p "$dir"
    started=$(cut -d' ' -f1 /proc/uptime)
    if ! declare -F "case_$case_name" >/dev/null; then
        echo "guest: $case_name: FAIL (no such case)"
        continue
    fi
    "case_$case_name" >"$dir/case.log" 2>&1
    result=$?
    took=$(awk -v a="$started" -v b="$(cut -d' ' -f1 /proc/uptime)" 'BEGIN { printf "%.0f", b - a }')
    if [ $result = 0 ]; then
        echo "guest: $case_name: PASS (${took} s)"
    else
        echo "guest: $case_name: FAIL ($(tail -n 1 "$dir/case.log"); logs in $dir)"
    fi
done
wine_stop
echo "guest: cases done"
