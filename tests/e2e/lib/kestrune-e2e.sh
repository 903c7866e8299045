# Shared helpers of the end-to-end tests (sourced, not run). Each test gets a
# fresh 32-bit Wine prefix copied from the template, with drive C: only; the
# program and the sample reference file go to C:\Kestrune, the window driver
# to C:\tools. Everything is removed when the test ends.
#
# Environment (set by ctest): KESTRUNE_BUILD, KESTRUNE_SOURCE,
# KESTRUNE_WINE_TEMPLATE; DISPLAY from xvfb-run.
set -uo pipefail

: "${KESTRUNE_BUILD:?}" "${KESTRUNE_SOURCE:?}" "${KESTRUNE_WINE_TEMPLATE:?}"

E2E_PREFIX=$(mktemp -d "${TMPDIR:-/tmp}/kestrune-e2e.XXXXXX")
export WINEPREFIX=$E2E_PREFIX WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
E2E_PROGRAM_DIR=$E2E_PREFIX/drive_c/Kestrune
E2E_FAILURES=0
E2E_PIDS=()

e2e_cleanup() {
    local pid
    for pid in ${E2E_PIDS[@]+"${E2E_PIDS[@]}"}; do kill "$pid" 2>/dev/null; done
    wineserver -k >/dev/null 2>&1
    rm -rf "$E2E_PREFIX"
}
trap e2e_cleanup EXIT

cp -a "$KESTRUNE_WINE_TEMPLATE/." "$E2E_PREFIX/"
rm -f "$E2E_PREFIX/dosdevices/z:"
mkdir -p "$E2E_PROGRAM_DIR" "$E2E_PREFIX/drive_c/tools"
cp "$KESTRUNE_BUILD/Kestrune.exe" "$KESTRUNE_BUILD/kestrune_020404_v2.ks" "$E2E_PROGRAM_DIR/"
cp "$KESTRUNE_BUILD/windriver.exe" "$E2E_PREFIX/drive_c/tools/"
wineserver -p >/dev/null 2>&1   # keep one server for the whole test

say() { echo "[$(date +%T.%3N)] $*"; }

check() {   # check DESCRIPTION COMMAND...
    local what=$1; shift
    if "$@"; then say "ok: $what"; else say "FAILED: $what"; E2E_FAILURES=$((E2E_FAILURES + 1)); fi
}

expect_eq() {   # expect_eq DESCRIPTION EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then
        say "ok: $1"
    else
        say "FAILED: $1"; echo "    expected: [$2]"; echo "    actual:   [$3]"
        E2E_FAILURES=$((E2E_FAILURES + 1))
    fi
}

# Runs the window driver; its output without carriage returns.
drive() {
    wine 'C:\tools\windriver.exe' "$@" | tr -d '\r'
    return "${PIPESTATUS[0]}"
}

# Starts Kestrune.exe in the background with ARGS; its pid in E2E_LAST_PID.
start_kestrune() {
    (cd "$E2E_PROGRAM_DIR" && exec wine 'C:\Kestrune\Kestrune.exe' "$@") >/dev/null 2>&1 &
    E2E_LAST_PID=$!
    E2E_PIDS+=("$E2E_LAST_PID")
}

# Waits up to SECONDS for process PID to end; its exit status, or 124.
wait_exit() {
    local pid=$1 seconds=${2:-20} i
    for ((i = 0; i < seconds * 10; i++)); do
        if ! kill -0 "$pid" 2>/dev/null; then wait "$pid"; return $?; fi
        sleep 0.1
    done
    return 124
}

# The data of settings value NAME, or nothing when it is missing.
setting() {
    wine reg query 'HKCU\SOFTWARE\Kestrune' /v "$1" 2>/dev/null | tr -d '\r' |
        sed -n "s/^ *$1 *REG_SZ *//p"
}

# The names of all values of the settings key, sorted, one a line.
setting_names() {
    wine reg query 'HKCU\SOFTWARE\Kestrune' 2>/dev/null | tr -d '\r' |
        awk '$2 ~ /^REG_/ {print $1}' | sort
}

set_setting() { wine reg add 'HKCU\SOFTWARE\Kestrune' /v "$1" /d "$2" /f >/dev/null 2>&1; }

# A free TCP port on 127.0.0.1.
free_port() {
    python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}

e2e_finish() {
    if [ "$E2E_FAILURES" -eq 0 ]; then
        say "all checks passed"; exit 0
    fi
    say "$E2E_FAILURES check(s) failed"; exit 1
}

# Start the prefix's background programs now, with no pipe to inherit: one
# started by the first command of a "$(... | tr)" would hold that pipe open.
wine reg query 'HKCU\Software' >/dev/null 2>&1
