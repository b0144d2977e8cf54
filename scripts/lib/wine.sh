# A Wine prefix kept inside the Windows build tree, and a wineserver that lives for one run.

wine_setup() {
    local build_dir=$1
    export WINEPREFIX="$build_dir/wine-prefix" WINEARCH=win64 WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    unset DISPLAY
    if [ ! -f "$WINEPREFIX/.zeltor-ready" ]; then
        echo "Preparing the Wine prefix (once per build tree)"
        rm -rf "$WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wine wineboot -i </dev/null >/dev/null 2>&1
        ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
        # A crash must fail its test, not open a dialog that waits forever.
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
            </dev/null >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.zeltor-ready"
    fi
    wine_own_folders "$WINEPREFIX"
    # One persistent server for all tests, started with its own standard streams so that it
    # does not hold the test runner's pipes open.
    wineserver -w
    wineserver -p </dev/null >/dev/null 2>&1
    wine wineboot </dev/null >/dev/null 2>&1
}

wine_teardown() {
    [ -n "${WINEPREFIX:-}" ] || return 0
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
}

# wine_own_folders PREFIX: the user folders Wine links to the Unix home (Documents, Desktop, ...)
# become folders of the prefix, so that programs run in it never write into the home of whoever
# runs the tests.
wine_own_folders() {
    local link
    for link in "$1"/drive_c/users/*/*; do
        if [ -L "$link" ]; then
            rm -f "$link"
            mkdir -p "$link"
        fi
    done
}
