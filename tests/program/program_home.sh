# Sourced by the program tests: a home and runtime folder of the test's own in $work, and
# wait_for FILE TEXT, a bounded wait until the program has printed TEXT (fails the test if it
# never does).
work=$(mktemp -d) || exit 2
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run"

wait_for() {
    i=0
    while [ $i -lt 100 ] && ! grep -q "$2" "$1" 2>/dev/null; do
        sleep 0.1
        i=$((i + 1))
    done
    grep -q "$2" "$1" || { cat "$1"; echo "FAIL: never printed: $2"; exit 1; }
}
