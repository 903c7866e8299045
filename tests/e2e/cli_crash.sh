#!/usr/bin/env bash
# kestrune-cli clean --backup stopped at each named step (the test hook
# KESTRUNE_TEST_STOP_AT ends the process there, as a kill or a power cut
# would): during the copies, while packing, between the archive and the
# removal, during the removal. After each stop every item is either still in
# place, byte for byte, or in a whole archive that restore brings back
# exactly; no archive that is not whole carries a backup's name or is listed;
# and the next backup leaves no unfinished archive and no temporary copy.
# Then restore stopped with a file written beside its place but not moved,
# and between two items: no file is half-written, the user's own file under
# --force is whole, the next restore brings back everything with its
# attributes and clears the temporary files of stopped runs, only those.
source "$(dirname "$0")/lib/e2e.sh"
work=$E2E_WORK

cat > "$work/defs.xml" <<'XML'
<KS>
  <SW NAME="KsCrash">
    <DIRECTORIES><DIR NAME="Tree" PATH="C:\kscrash"/></DIRECTORIES>
    <FILES>
      <FILE NAME="big.bin" PATH="C:\kscrash"/>
      <FILE NAME="small.txt" PATH="C:\kscrash"/>
    </FILES>
    <COOKIES><COOKIE NAME="Crash Tracker"/></COOKIES>
    <REGISTRY>
      <KEYS><REGKEY MAIN="HKEY_CURRENT_USER" SUB="Software\KsCrash" VALUE="Bad"/></KEYS>
      <VALUES><REGVALUE MAIN="HKEY_CURRENT_USER" SUB="Software\KsCrash\Run" VALUE="KsCrash"/></VALUES>
    </REGISTRY>
  </SW>
</KS>
XML
scramble "$work/defs.xml" "$work/defs.ks"
e2e_prefix
e2e_install_cli "$work/defs.ks"
drive_c=$E2E_C
archives=$E2E_CLI_DIR/KestruneBackup

cat > "$drive_c/plant.bat" <<'BAT'
@echo off
reg add HKCU\Software\Kestrune /v lfp /d C:\kslogs /f >nul
reg add HKCU\Software\KsCrash\Bad /v text /d "a text" /f >nul
reg add HKCU\Software\KsCrash\Bad\One /v number /t REG_DWORD /d 4660 /f >nul
reg add HKCU\Software\KsCrash\Run /v KsCrash /d "C:\kscrash\big.bin /run" /f >nul
reg add HKCU\Software\KsCrash\Run /v KsMine /d mine.exe /f >nul
mkdir C:\kscrash\Tree\sub
echo small> C:\kscrash\small.txt
attrib +r C:\kscrash\small.txt
echo top> C:\kscrash\Tree\top.txt
attrib +h C:\kscrash\Tree\top.txt
echo inner> C:\kscrash\Tree\sub\inner.txt
mkdir "%LOCALAPPDATA%\Microsoft\Windows\INetCookies"
echo c1> "%LOCALAPPDATA%\Microsoft\Windows\INetCookies\user@crashtracker[1].txt"
BAT
wine cmd /c 'C:\plant.bat' >/dev/null 2>&1
# Big enough that packing it takes many pieces.
python3 -c 'import random, sys; r = random.Random(7); sys.stdout.buffer.write(bytes(r.getrandbits(8) for _ in range(3 << 20)))' > "$drive_c/kscrash/big.bin"
cookies_unix=$(winepath -u "$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')\\Microsoft\\Windows\\INetCookies" 2>/dev/null)
temp_unix=$(winepath -u "$(wine cmd /c 'echo %TEMP%' 2>/dev/null | tr -d '\r')\\KestruneBackup" 2>/dev/null)

snapshot() {
    wine reg query 'HKCU\Software\KsCrash' /s 2>/dev/null | tr -d '\r'
    (cd "$drive_c/kscrash" && find . | sort && find . -type f | sort | xargs md5sum)
    wine cmd /c attrib /s 'C:\kscrash\*' 2>/dev/null | tr -d '\r' | sort
    (cd "$cookies_unix" && md5sum user@*)
}
snapshot > "$work/before.txt"
check "the planted state is complete" grep -q 'KsCrash    REG_SZ' "$work/before.txt"

cli() { (cd "$E2E_CLI_DIR" && env ${STOP:+KESTRUNE_TEST_STOP_AT=$STOP} wine 'C:\kestrune\kestrune-cli.exe' "$@" 2>>"$work/err.txt" | tr -d '\r'; exit "${PIPESTATUS[0]}"); }
# Every archive named .zip reads whole.
whole_archives() {
    local zip
    for zip in "$archives"/*.zip; do
        [ -e "$zip" ] || continue
        python3 -c 'import sys, zipfile; sys.exit(zipfile.ZipFile(sys.argv[1]).testzip() is not None)' "$zip" ||
            echo "not whole: ${zip##*/}"
    done
}
restores_exactly() {   # restores_exactly STEP ARCHIVE
    cli restore --quiet "$2" > "$work/restore-$1.txt"
    expect_eq "$1: restore exit" 0 $?
    snapshot > "$work/after-$1.txt"
    check "$1: everything back, byte for byte" diff "$work/before.txt" "$work/after-$1.txt"
}

for step in copies packing archive removal; do
    before=$(ls "$archives" 2>/dev/null | grep '\.zip$')
    STOP=$step cli clean --definitions defs.ks --backup --quiet > "$work/stop-$step.txt"
    expect_eq "$step: the hook stopped the run" 99 $?
    expect_eq "$step: every archive carrying the name is whole" "" "$(whole_archives)"
    made=$(comm -13 <(echo "$before") <(ls "$archives" | grep '\.zip$'))
    case $step in
        copies|packing)
            expect_eq "$step: no archive named" "" "$made"
            check "$step: the stopped run left its unfinished archive" \
                bash -c "ls '$archives' | grep -q '\.zip\.partial$'"
            check "$step: and its copies" test -n "$(ls -A "$temp_unix")"
            check "$step: everything still in place" diff "$work/before.txt" <(snapshot)
            expect_eq "$step: the unfinished archive is not listed" 0 \
                "$(cli restore --list | grep -c partial)" ;;
        archive)
            check "$step: one archive" test "$(echo "$made" | grep -c .)" = 1
            check "$step: nothing removed yet" diff "$work/before.txt" <(snapshot)
            restores_exactly "$step" "$made" ;;
        removal)
            check "$step: one archive" test "$(echo "$made" | grep -c .)" = 1
            snapshot > "$work/stopped-$step.txt"
            check "$step: something was removed" bash -c "! cmp -s '$work/before.txt' '$work/stopped-$step.txt'"
            restores_exactly "$step" "$made" ;;
    esac
    # The next backup clears what the stopped one left.
    STOP= cli clean --definitions defs.ks --backup --quiet > "$work/next-$step.txt"
    expect_eq "$step: the next run" 0 $?
    expect_eq "$step: no unfinished archive left" "" "$(ls "$archives" | grep -v '\.zip$')"
    expect_eq "$step: no temporary copy left" "" "$(ls -A "$temp_unix" 2>/dev/null)"
    check "$step: the temporary folder stays" test -d "$temp_unix"
    restores_exactly "$step-next" "$(sed -n 's/^backup: .*\\//p' "$work/next-$step.txt")"
done

# Restores stopped at their steps, after a backup that removed everything.
cli clean --definitions defs.ks --backup --quiet > "$work/restore-source.txt"
archive=$(sed -n 's/^backup: .*\\//p' "$work/restore-source.txt")
temporaries() { find "$drive_c/kscrash" "$cookies_unix" -name '~ks*' | sort; }
not_whole() {   # the files in place whose bytes are no archived file's
    find "$drive_c/kscrash" "$cookies_unix" -type f ! -name '~ks*' -print0 | xargs -0 -r md5sum |
        while read -r sum name; do grep -q "^$sum " "$work/before.txt" || echo "$name"; done
}
mkdir -p "$drive_c/kscrash"
echo gone > "$drive_c/kscrash/~ks4000000-0000abcd.tmp"   # of a run that is gone
for name in '~ks12-1.tmp' '~ksmine.tmp' '~ks4000000-0000abcd.tmp.txt'; do
    echo mine > "$cookies_unix/$name"                      # not named as Kestrune names them
done
for step in restore-write restore-between; do
    STOP=$step cli restore --quiet "$archive" > "$work/stop-$step.txt"
    expect_eq "$step: the hook stopped the run" 99 $?
    expect_eq "$step: no file half-written" "" "$(not_whole)"
    [ $step = restore-write ] && check "$step: the stopped run left its temporary file" \
        test -n "$(temporaries | grep -v -e '~ks4000000-' -e '~ks12-' -e '~ksmine')"
done
restores_exactly restore-next "$archive"
expect_eq "restore-next: only the temporary files of stopped runs removed" \
    "~ks12-1.tmp ~ks4000000-0000abcd.tmp.txt ~ksmine.tmp" "$(temporaries | xargs -n1 basename | xargs)"
rm -f "$cookies_unix"/~ks*
wine cmd /c attrib -r 'C:\kscrash\small.txt' >/dev/null 2>&1
restores_exactly restore-attributes "$archive"
# The user's own file in the place, replaced by force: whole until the move.
chmod u+w "$drive_c/kscrash/small.txt"
echo "the user's own" > "$drive_c/kscrash/small.txt"
STOP=restore-write cli restore --quiet --force "$archive" > "$work/stop-force.txt"
expect_eq "force: the hook stopped the run" 99 $?
expect_eq "force: the user's file is whole" "the user's own" "$(cat "$drive_c/kscrash/small.txt")"
cli restore --quiet --force "$archive" > "$work/force.txt"
expect_eq "force: the next run" 0 $?
check "force: everything back" diff "$work/before.txt" <(snapshot)
expect_eq "force: no temporary file left" "" "$(temporaries)"

if [ "$E2E_FAILURES" -ne 0 ]; then
    cat "$work/err.txt"; ls -la "$archives" "$temp_unix"
fi
e2e_finish
