# The helpers of every end-to-end script (sourced, not run): results, a
# throw-away Wine prefix with drive C: only (copied from the template by
# scripts/wine-prefix, one Wine server kept for the whole script; 32-bit or
# 64-bit Windows as the template was booted), the shared
# definitions of tests/e2e/data packed into reference files, the machines the
# scripts set up, and the window driver. A work folder, the prefix and every
# program started here are gone when the script ends.
#
# Environment (set by ctest): KESTRUNE_BUILD, KESTRUNE_SOURCE,
# KESTRUNE_WINE_TEMPLATE (the script's own prefix: e2e_NAME runs it in a
# 32-bit one, e2e_NAME_64 in a 64-bit one), KESTRUNE_WINE_TEMPLATE64 (a booted
# 64-bit template for rows that need one beside; see e2e_template64);
# DISPLAY from xvfb-run for the window scripts.
set -uo pipefail

: "${KESTRUNE_BUILD:?}" "${KESTRUNE_SOURCE:?}" "${KESTRUNE_WINE_TEMPLATE:?}"
source "$KESTRUNE_SOURCE/scripts/lib/prefix.sh"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

E2E_DATA=$KESTRUNE_SOURCE/tests/e2e/data
E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/kestrune-e2e-work.XXXXXX")
E2E_PREFIX=""
E2E_FAILURES=0
E2E_KNOWN=""
E2E_KNOWN_FAILURES=0
E2E_PIDS=()
E2E_READ_ONLY=()
E2E_USER=$(id -un)

e2e_cleanup() {
    local pid dir
    for pid in ${E2E_PIDS[@]+"${E2E_PIDS[@]}"}; do kill "$pid" 2>/dev/null; done
    for dir in ${E2E_READ_ONLY[@]+"${E2E_READ_ONLY[@]}"}; do chattr -i "$dir" 2>/dev/null; done
    if [ -n "$E2E_PREFIX" ]; then
        wineserver -k >/dev/null 2>&1
        rm -rf "$E2E_PREFIX"
    fi
    rm -rf "$E2E_WORK"
}
trap e2e_cleanup EXIT

# --- Results -----------------------------------------------------------------

say() { echo "[$(date +%T.%3N)] $*"; }

fail() {   # fail DESCRIPTION [DETAIL...]
    local line
    if [ -n "$E2E_KNOWN" ]; then
        say "KNOWN FAILING in a 64-bit prefix (issue: $E2E_KNOWN): $1"
        E2E_KNOWN_FAILURES=$((E2E_KNOWN_FAILURES + 1))
    else
        say "FAILED: $1"
        E2E_FAILURES=$((E2E_FAILURES + 1))
    fi
    shift
    for line in "$@"; do echo "    $line"; done
}

ok() {
    if [ -n "$E2E_KNOWN" ]; then
        say "ok: $1 (marked known-failing in a 64-bit prefix for \"$E2E_KNOWN\": the mark can go)"
    else
        say "ok: $1"
    fi
}

check() {   # check DESCRIPTION COMMAND...
    local what=$1; shift
    if "$@"; then ok "$what"; else fail "$what"; fi
}

expect_eq() {   # expect_eq DESCRIPTION EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then
        ok "$1"
    else
        fail "$1" "expected: [$2]" "actual:   [$3]"
    fi
}

# known_failing_64 ISSUE CHECK...: runs the check (check, expect_eq, ...) as
# it is; in a 64-bit prefix its failure is a known fault of the program,
# named after the issue that fixes it, said but not counted. The row keeps
# asserting what it asserts everywhere.
known_failing_64() {
    local issue=$1; shift
    e2e_is64 && E2E_KNOWN=$issue
    "$@"
    E2E_KNOWN=""
}

e2e_finish() {
    if [ "$E2E_KNOWN_FAILURES" -gt 0 ]; then
        say "$E2E_KNOWN_FAILURES known-failing check(s) in a 64-bit prefix (see above)"
    fi
    if [ "$E2E_FAILURES" -eq 0 ]; then
        say "all checks passed"; exit 0
    fi
    say "$E2E_FAILURES check(s) failed"; exit 1
}

# --- 32-bit and 64-bit Windows -----------------------------------------------

# True when the script's prefix is a 64-bit Windows, where Kestrune, a 32-bit
# program, sees HKLM\Software through Wow6432Node and System32 as SysWOW64.
e2e_is64() { [ "$WINEARCH" = win64 ]; }

# True when KESTRUNE_WINE_TEMPLATE64 names a booted 64-bit template prefix
# (the contract for rows that need a 64-bit Windows beside the script's own
# prefix); otherwise says that the rows of WHAT are skipped, and why.
e2e_template64() {   # e2e_template64 WHAT
    local t=${KESTRUNE_WINE_TEMPLATE64:-}
    if [ -n "$t" ] && [ -f "$t/.kestrune-ready" ] && [ "$(prefix_arch "$t")" = win64 ]; then
        return 0
    fi
    say "skipped: $1 (KESTRUNE_WINE_TEMPLATE64 names no booted 64-bit template prefix)"
    return 1
}

# Takes the bitness of template TEMPLATE: WINEARCH, and E2E_SYSTEM32, the real
# System32 as the scripts' batch files (run by the 32-bit cmd.exe, to which
# C:\windows\system32 is SysWOW64 in a 64-bit prefix) reach it.
e2e_bitness() {   # e2e_bitness TEMPLATE
    local arch
    arch=$(prefix_arch "$1")
    export WINEARCH=${arch:-win32}
    if e2e_is64; then
        export E2E_SYSTEM32='C:\windows\Sysnative'
    else
        export E2E_SYSTEM32='C:\windows\system32'
    fi
}
e2e_bitness "$KESTRUNE_WINE_TEMPLATE"

# Runs the reg.exe of the registry view a 32-bit program sees: the 32-bit one
# of SysWOW64 in a 64-bit prefix, so that what the scripts plant under
# HKLM\Software lands in Wow6432Node as a 32-bit installer's keys do.
e2e_reg() {   # e2e_reg ARGS... (as reg.exe takes them)
    if e2e_is64; then wine 'C:\windows\syswow64\reg.exe' "$@"; else wine reg "$@"; fi
}
# Runs the reg.exe of the prefix's own bitness: in a 64-bit prefix the 64-bit
# one, which sees HKLM\Software as 64-bit programs do.
e2e_reg64() { "$(prefix_native_wine "$WINEPREFIX")" reg "$@"; }
# True when KEY holds no value NAME in either registry view.
e2e_reg_absent() {   # e2e_reg_absent KEY NAME
    ! e2e_reg query "$1" /v "$2" >/dev/null 2>&1 && ! e2e_reg64 query "$1" /v "$2" >/dev/null 2>&1
}

# --- The prefix --------------------------------------------------------------

# Makes the script's prefix (from KESTRUNE_WINE_TEMPLATE, or from TEMPLATE,
# such as KESTRUNE_WINE_TEMPLATE64 once e2e_template64 said yes) and starts
# its Wine server, kept until the end. E2E_C is drive C: seen from Linux;
# E2E_COOKIES the user's cookie folder.
e2e_prefix() {   # e2e_prefix [TEMPLATE]
    local template=${1:-$KESTRUNE_WINE_TEMPLATE}
    e2e_bitness "$template"
    E2E_PREFIX=$("$KESTRUNE_SOURCE/scripts/wine-prefix" "$template" kestrune-e2e) ||
        { echo "e2e: no prefix" >&2; exit 1; }
    export WINEPREFIX=$E2E_PREFIX
    E2E_C=$E2E_PREFIX/drive_c
    E2E_COOKIES=$E2E_C/users/$E2E_USER/AppData/Local/Microsoft/Windows/INetCookies
    mkdir -p "$E2E_C/tools"
    # Wine programs start in drive C:, not in a Linux folder they cannot see.
    cd "$E2E_C" || exit 1
    wineserver -p >/dev/null 2>&1
    # Start the prefix's background programs now, with no pipe to inherit: one
    # started by the first command of a "$(... | tr)" would hold that pipe open.
    wine reg query 'HKCU\Software' >/dev/null 2>&1
}

# The window program and the sample reference file in C:\Kestrune
# (E2E_PROGRAM_DIR), the window driver in C:\tools.
e2e_install_window_program() {
    E2E_PROGRAM_DIR=$E2E_C/Kestrune
    mkdir -p "$E2E_PROGRAM_DIR"
    cp "$KESTRUNE_BUILD/Kestrune.exe" "$KESTRUNE_BUILD/kestrune_020404_v2.ks" "$E2E_PROGRAM_DIR/"
    cp "$KESTRUNE_BUILD/windriver.exe" "$E2E_C/tools/"
}

# The console tool and FILES in C:\kestrune (E2E_CLI_DIR), where run_batch
# runs batch files and the programs write what they print.
e2e_install_cli() {
    E2E_CLI_DIR=$E2E_C/kestrune
    mkdir -p "$E2E_CLI_DIR"
    cp "$KESTRUNE_BUILD/kestrune-cli.exe" "$@" "$E2E_CLI_DIR/"
}

# Runs the batch file read from standard input in C:\kestrune, as NAME.bat.
run_batch() {   # run_batch NAME <<'BAT' ... BAT
    cat > "$E2E_CLI_DIR/$1.bat"
    (cd "$E2E_CLI_DIR" && wine cmd /c "$1.bat") >/dev/null 2>&1
}

# Makes folder DIR (a Linux path) one that nobody can create files in, root
# included (chattr +i), as Program Files is for a user without administrator
# rights; undone by writable_folder or when the script ends. False when the
# system does not allow it.
read_only_folder() {
    chattr +i "$1" 2>/dev/null || return 1
    E2E_READ_ONLY+=("$1")
}
writable_folder() { chattr -i "$1"; }

# Imports registry entries in the .reg format (without its first line) from
# standard input, all in one Wine process, in the 32-bit program's view.
set_registry() {
    { echo 'REGEDIT4'; echo; cat; } > "$E2E_C/e2e-import.reg"
    e2e_reg import 'C:\e2e-import.reg' >/dev/null 2>&1 || fail "registry set-up" "$(cat "$E2E_C/e2e-import.reg")"
    rm -f "$E2E_C/e2e-import.reg"
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

# Serves folder DIR (a Linux path) over HTTP on 127.0.0.1 and a free port as
# the program's update server, once it answers; the request log goes to LOG.
# The server's pid in E2E_SERVER_PID.
serve_updates() {   # serve_updates DIR [LOG]
    local port i
    port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()')
    python3 -m http.server --bind 127.0.0.1 "$port" --directory "$1" >"${2:-/dev/null}" 2>&1 &
    E2E_SERVER_PID=$!
    E2E_PIDS+=("$E2E_SERVER_PID")
    export KESTRUNE_UPDATE_SERVER=127.0.0.1:$port
    for ((i = 0; i < 100; i++)); do
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && return 0
        sleep 0.05
    done
    fail "the update server does not answer"
}

# Signs DEF/NAME and writes the release statement DEF/release.txt naming it
# (+ .sig) with the development key, as an operator could by hand. EXPIRES
# is a date (YYYY-MM-DD).
sign_release() {   # sign_release DEF NAME SERIAL EXPIRES
    local key=$KESTRUNE_SOURCE/data/keys/development-private.pem file=$1/$2
    openssl dgst -sha256 -sign "$key" -out "$file.sig" "$file"
    printf 'name=%s\nsha256=%s\nsize=%s\nserial=%s\nexpires=%s\n' "$2" \
        "$(sha256sum "$file" | cut -d' ' -f1)" "$(stat -c %s "$file")" "$3" "$4" > "$1/release.txt"
    openssl dgst -sha256 -sign "$key" -out "$1/release.txt.sig" "$1/release.txt"
}

# --- Definitions -------------------------------------------------------------

# Scrambles markup into a reference file as it is.
scramble() { python3 "$KESTRUNE_SOURCE/scripts/scramble.py" "$1" "$2"; }

# Packs the parasites of markup files in tests/e2e/data into one reference
# file; FILE:NAME,NAME takes only the parasites named. @USER@ becomes the
# prefix's user.
pack_definitions() {   # pack_definitions OUT FILE[:NAMES]...
    local out=$1; shift
    python3 - "$E2E_DATA" "$E2E_USER" "$@" > "$E2E_WORK/packed.xml" <<'PY' || { fail "packing $*"; return 1; }
import re, sys
data, user, sources = sys.argv[1], sys.argv[2], sys.argv[3:]
parasites = []
for source in sources:
    name, _, wanted = source.partition(":")
    with open(f"{data}/{name}", encoding="latin-1") as f:
        text = re.sub(r"<!--.*?-->", "", f.read(), flags=re.S)
    for sw in re.findall(r"<SW\b.*?</SW>", text, flags=re.S):
        if not wanted or re.match(r'<SW NAME="([^"]*)"', sw).group(1) in wanted.split(","):
            parasites.append(sw.replace("@USER@", user))
sys.stdout.write("<KS>\n  " + "\n  ".join(parasites) + "\n</KS>\n")
PY
    scramble "$E2E_WORK/packed.xml" "$out"
}

# Prints what the Python expression EXPR makes of the JSON document in FILE,
# bound to d (with Python's re at hand): a list one item a line. Fails unless
# FILE holds exactly one JSON document.
json_query() {   # json_query FILE EXPR
    python3 -c 'import json, re, sys
d = json.load(open(sys.argv[1], encoding="utf-8"))
r = eval(sys.argv[2])
print("\n".join(map(str, r)) if isinstance(r, list) else r)' "$1" "$2"
}

# --- Machines ----------------------------------------------------------------

# A tree of FOLDERS folders of FILES empty files below DIR (a Linux path).
plant_tree() { "$KESTRUNE_SOURCE/scripts/plant-tree" "$@"; }

# What the parasites of scan.xml leave on a machine, below C:\kestrune-e2e,
# and a tree of 40,000 files beside them (C:\kestrune-e2e\bulk): a scan
# lasts long enough to print several progress lines, and its count shows
# that it walked the tree.
plant_scan_machine() {
    local c=$E2E_C/kestrune-e2e
    mkdir -p "$c/AlphaData" "$c/deep/BetaCache" "$c/one" "$c/two" "$E2E_COOKIES"
    : > "$c/alpha.dll"
    : > "$c/one/twice.dat"
    : > "$c/two/twice.dat"
    : > "$E2E_COOKIES/root@AlphaTrack.txt"
    : > "$E2E_COOKIES/root@unrelated.txt"
    plant_tree "$c/bulk" 160 250
    set_registry <<'REG'
[HKEY_CURRENT_USER\Software\KestruneE2E\Alpha]

[HKEY_CURRENT_USER\Software\KestruneE2E]
"Run"="alpha.exe"
REG
}

# What KsBad of removal.xml leaves on a machine: a registry key with a tree
# below it and a value beside another, C:\ksbad with a folder tree, the
# program bad.exe (not started) and a file to keep, and cookie files, one of
# them someone else's.
plant_removal_machine() {
    local c=$E2E_C/ksbad
    mkdir -p "$c/BadDir/sub" "$E2E_COOKIES"
    echo tree > "$c/BadDir/sub/deep.txt"
    echo top > "$c/BadDir/top.txt"
    echo keep > "$c/keep.txt"
    cp "$KESTRUNE_BUILD/removal_helper.exe" "$c/bad.exe"
    echo c > "$E2E_COOKIES/user@badtracker[1].txt"
    echo c > "$E2E_COOKIES/user@BadTracker[2].txt"
    echo c > "$E2E_COOKIES/user@news[1].txt"
    set_registry <<'REG'
[HKEY_CURRENT_USER\Software\KsBad\Bad\One\Two\Three]
"deep"="3"

[HKEY_CURRENT_USER\Software\KsBad\Bad]
@="default"

[HKEY_CURRENT_USER\Software\KsBad\Run]
"KsBad"="bad.exe"
"Good"="good.exe"
REG
}

# The real items beside the protected places of removal-greedy.xml, a Run
# value to keep, and a file (keep.txt) that only a refused item names.
plant_greedy_machine() {
    local c=$E2E_C/ksgreedy
    mkdir -p "$c/GreedyDir" "$E2E_COOKIES"
    echo greedy > "$c/GreedyDir/greedy.txt"
    echo greedy > "$c/greedy.txt"
    echo keep > "$c/keep.txt"
    cp "$KESTRUNE_BUILD/removal_helper.exe" "$c/greedy.exe"
    echo c > "$E2E_COOKIES/user@greedytracker[1].txt"
    set_registry <<'REG'
[HKEY_CURRENT_USER\Software\KsGreedy\Bad]
"v"="1"

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run]
"KsGreedy"="greedy.exe"
"KsKeep"="keep.exe"
REG
}

# --- The window program ------------------------------------------------------

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

# The driver follows control ID's texts (watch-text) from before the program
# starts, so that it sees the first text and the whole time it is shown:
# watch_from_start ID TIMEOUT_MS, then start_kestrune, then watched puts what
# the driver saw into E2E_WATCHED.
watch_from_start() {
    local i
    wine 'C:\tools\windriver.exe' watch-text "$1" "$2" > "$E2E_WORK/watched.txt" 2>&1 &
    E2E_WATCHER=$!
    E2E_PIDS+=("$E2E_WATCHER")
    # Polling begins a moment after the driver's image is loaded.
    for ((i = 0; i < 200; i++)); do
        grep -q 'windriver\.exe' "/proc/$E2E_WATCHER/maps" 2>/dev/null && break
        sleep 0.02
    done
    sleep 0.2
}
watched() {
    wait "$E2E_WATCHER"
    E2E_WATCHED=$(tr -d '\r' < "$E2E_WORK/watched.txt")
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
