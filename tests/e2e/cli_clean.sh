#!/usr/bin/env bash
# kestrune-cli clean end to end in a throw-away Wine prefix: a machine set up
# with a parasite's registry key and value, a running program, a file held
# open, a folder tree and cookie files; an incomplete backup that stops the
# removal; a forced removal with its archive, log and exit code; the file
# held open gone after Wine's restart; the argument errors; and a reference
# file that names the system's own places beside real items, cleaned with
# --json, where one item is held open, a folder holds a link, and the ignore
# list keeps a file and a value inside a key; without settings the log goes
# to the per-user data folder, not the drive's root.
source "$(dirname "$0")/lib/e2e.sh"
w=$E2E_WORK
pack_definitions "$w/defs.ks" removal.xml
pack_definitions "$w/greedy.ks" removal-greedy.xml
pack_definitions "$w/none.ks" nothing.xml
scramble "$E2E_DATA/broken.xml" "$w/broken.ks"
echo '<KS><SW NAME="KsNoSettings"><FILES><FILE NAME="gone.dat" PATH="C:\ksnoset"/></FILES></SW></KS>' > "$w/nosettings.xml"
scramble "$w/nosettings.xml" "$w/nosettings.ks"
printf '<KS></KS>' > "$w/empty.xml" && scramble "$w/empty.xml" "$w/empty.ks"
printf '%s' '<KS><SW NAME="KsStuck"><FILES><FILE NAME="stuck.txt" PATH="C:\ksstuck"/></FILES></SW></KS>' > "$w/stuck.xml"
scramble "$w/stuck.xml" "$w/stuck.ks"

e2e_prefix
e2e_install_cli "$KESTRUNE_BUILD/removal_helper.exe" "$w/defs.ks" "$w/broken.ks" "$w/none.ks" "$w/greedy.ks" \
    "$w/nosettings.ks" "$w/empty.ks" "$w/stuck.ks"
plant_removal_machine
# A file of KsBad that a program holds open.
echo busy > "$E2E_C/ksbad/busy.dat"

run_batch run <<'BAT'
@echo off
reg add HKCU\Software\Kestrune /v lfp /d C:\kslogs /f >nul
start "" C:\ksbad\bad.exe wait
start "" removal_helper.exe hold C:\ksbad\busy.dat
removal_helper.exe sleep 1000

kestrune-cli.exe clean --definitions defs.ks --backup --quiet > stopped.out 2> stopped.err
echo stopped=%ERRORLEVEL%> codes.txt
if exist C:\ksbad\BadDir (echo dir=kept>> codes.txt) else (echo dir=gone>> codes.txt)

kestrune-cli.exe clean --definitions defs.ks --backup --force > forced.out 2> forced.err
echo forced=%ERRORLEVEL%>> codes.txt
reg query HKCU\Software\KsBad\Bad >nul 2>&1
echo keyquery=%ERRORLEVEL%>> codes.txt
reg query HKCU\Software\KsBad\Run /v KsBad >nul 2>&1
echo badvalue=%ERRORLEVEL%>> codes.txt
reg query HKCU\Software\KsBad\Run /v Good >nul 2>&1
echo goodvalue=%ERRORLEVEL%>> codes.txt
dir /b "%LOCALAPPDATA%\Microsoft\Windows\INetCookies" > cookies.txt
dir /b C:\ksbad > ksbad.txt

kestrune-cli.exe clean --definitions none.ks --quiet > none.out 2> none.err
echo none=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe clean --definitions broken.ks > broken.out 2> broken.err
echo broken=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe clean --definitions empty.ks > empty.out 2> empty.err
echo empty=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe clean --definitions missing.ks > missing.out 2> missing.err
echo missing=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe clean --force > force.out 2> force.err
echo forcealone=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe clean --frobnicate > frob.out 2> frob.err
echo unknown=%ERRORLEVEL%>> codes.txt
BAT

plant_greedy_machine
# A link keeps GreedyDir from going; greedy.txt is held open.
mkdir -p "$E2E_C/ksgreedy/linked"
ln -s ../linked "$E2E_C/ksgreedy/GreedyDir/link"
run_batch greedy <<'BAT'
@echo off
reg add HKCU\Software\Kestrune /v lfp /d C:\ksgreedylogs /f >nul
start "" C:\ksgreedy\greedy.exe wait
start "" removal_helper.exe hold C:\ksgreedy\greedy.txt
removal_helper.exe sleep 1000
removal_helper.exe processes > procs-before.txt
kestrune-cli.exe ignore --add file C:\ksgreedy\GREEDY.EXE >nul
kestrune-cli.exe ignore --add RegValue "HKEY_CURRENT_USER\Software\KsGreedy\Bad : v" >nul
kestrune-cli.exe clean --definitions greedy.ks --quiet --json > greedy.json 2> greedy.err
echo greedy=%ERRORLEVEL%> greedy-codes.txt
removal_helper.exe processes > procs-after.txt
if exist %E2E_SYSTEM32%\kernel32.dll echo kernel32.dll>> greedy-left.txt
if exist %E2E_SYSTEM32%\services.exe echo services.exe>> greedy-left.txt
if exist C:\windows\explorer.exe echo explorer.exe>> greedy-left.txt
if exist "C:\Program Files\Common Files" echo Common Files>> greedy-left.txt
if exist "%USERPROFILE%\Documents" echo Documents>> greedy-left.txt
if exist C:\ksgreedy\keep.txt echo keep.txt>> greedy-left.txt
if exist C:\ksgreedy\GreedyDir echo GreedyDir>> greedy-left.txt
if exist C:\ksgreedy\greedy.exe echo greedy.exe>> greedy-left.txt
reg query HKCU\Software\Microsoft\Windows\CurrentVersion\Run /v KsKeep >nul 2>&1
echo runkey=%ERRORLEVEL%>> greedy-codes.txt
reg query HKCU\Software\Microsoft\Windows\CurrentVersion\Run /v KsGreedy >nul 2>&1
echo runvalue=%ERRORLEVEL%>> greedy-codes.txt
reg query HKCU\Software\KsGreedy\Bad >nul 2>&1
echo greedykey=%ERRORLEVEL%>> greedy-codes.txt
dir /b "%LOCALAPPDATA%\Microsoft\Windows\INetCookies" > greedy-cookies.txt
BAT
run_batch nosettings <<'BAT'
@echo off
reg delete HKCU\Software\Kestrune /f >nul 2>&1
mkdir C:\ksnoset
echo x> C:\ksnoset\gone.dat
kestrune-cli.exe clean --definitions nosettings.ks --quiet > nosettings.out 2> nosettings.err
echo nosettings=%ERRORLEVEL%> nosettings-codes.txt
BAT
o=$E2E_CLI_DIR

# The machine's hives and boot files, Kestrune's own files beside the program,
# the settings' reference file while --definitions names another, a restore
# log and a scan report, the Windows temp folder itself, a clean Windows'
# services, Lsa, a standard class and the values every Windows holds: all
# stay byte for byte, while a file in the temp folder goes.
protected_files=(bootmgr boot.ini Boot/BCD windows/system32/config/SYSTEM
    "users/$E2E_USER/NTUSER.DAT" kestrune/uninst.exe ksrfp/rfp.ks
    "kslistlogs/Restore 1-2-2026 (3-4-5).txt" "kslistlogs/Scan 1-2-2026 (3-4-5).txt")
for f in "${protected_files[@]}"; do mkdir -p "$(dirname "$E2E_C/$f")"; echo "$f" > "$E2E_C/$f"; done
echo temp > "$E2E_C/windows/temp/kstemp.exe"
hashes() { (cd "$E2E_C" && md5sum "${protected_files[@]}"); }
hashes_before=$(hashes)
scramble /dev/stdin "$o/lists.ks" <<XML
<KS><SW NAME="Lists">
<DIRECTORIES><DIR NAME="Boot" PATH="C:"/><DIR NAME="temp" PATH="WinDir"/></DIRECTORIES>
<FILES>
<FILE NAME="bootmgr" PATH="C:"/><FILE NAME="boot.ini" PATH="C:\"/>
<FILE NAME="SYSTEM" PATH="Sys32Dir\config"/><FILE NAME="NTUSER.DAT" PATH="C:\users\\$E2E_USER"/>
<FILE NAME="uninst.exe" PATH="C:\kestrune"/><FILE NAME="rfp.ks" PATH="C:\ksrfp"/>
<FILE NAME="Restore 1-2-2026 (3-4-5).txt" PATH="C:\kslistlogs"/>
<FILE NAME="Scan 1-2-2026 (3-4-5).txt" PATH="C:\kslistlogs"/>
<FILE NAME="kstemp.exe" PATH="C:\windows\temp"/>
</FILES>
<REGISTRY><KEYS>
<REGKEY MAIN="HKEY_LOCAL_MACHINE" SUB="SYSTEM\CurrentControlSet\Services" VALUE="RpcSs"/>
<REGKEY MAIN="HKEY_LOCAL_MACHINE" SUB="SYSTEM\CurrentControlSet\Services" VALUE="PlugPlay"/>
<REGKEY MAIN="HKEY_LOCAL_MACHINE" SUB="SYSTEM\CurrentControlSet\Control" VALUE="Lsa"/>
<REGKEY MAIN="HKEY_CLASSES_ROOT" SUB="" VALUE="txtfile"/>
</KEYS><VALUES>
<REGVALUE MAIN="HKEY_LOCAL_MACHINE" SUB="SYSTEM\CurrentControlSet\Control\Session Manager\Environment" VALUE="PATHEXT"/>
<REGVALUE MAIN="HKEY_LOCAL_MACHINE" SUB="SYSTEM\CurrentControlSet\Control\Session Manager\Environment" VALUE="TEMP"/>
<REGVALUE MAIN="HKEY_CURRENT_USER" SUB="Environment" VALUE="TEMP"/>
<REGVALUE MAIN="HKEY_LOCAL_MACHINE" SUB="Software\Microsoft\Windows\CurrentVersion" VALUE="ProgramFilesDir"/>
<REGVALUE MAIN="HKEY_CURRENT_USER" SUB="Software\Microsoft\Internet Explorer\Main" VALUE="Search Page"/>
</VALUES></REGISTRY>
</SW></KS>
XML
run_batch lists <<'BAT'
@echo off
reg add HKCU\Software\Kestrune /v lfp /d C:\kslistlogs /f >nul
reg add HKCU\Software\Kestrune /v rfp /d C:\ksrfp\rfp.ks /f >nul
kestrune-cli.exe clean --definitions lists.ks --quiet > lists.out 2> lists.err
echo lists=%ERRORLEVEL%> lists-codes.txt
BAT
environment='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment'
gone=$(for entry in 'HKLM\SYSTEM\CurrentControlSet\Services\RpcSs|' 'HKCR\txtfile|' \
        'HKLM\SYSTEM\CurrentControlSet\Services\PlugPlay|' 'HKLM\SYSTEM\CurrentControlSet\Control\Lsa|' \
        "$environment|PATHEXT" "$environment|TEMP" 'HKCU\Environment|TEMP' \
        'HKLM\Software\Microsoft\Windows\CurrentVersion|ProgramFilesDir' \
        'HKCU\Software\Microsoft\Internet Explorer\Main|Search Page'; do
    value=${entry#*|}
    wine reg query "${entry%|*}" ${value:+/v "$value"} >/dev/null 2>&1 || echo "gone: $entry"
done)
expect_eq "lists: only the temp folder's file went, every key and value stays" \
    "lists=0|deleted	File	Lists	C:\windows\temp\kstemp.exe|" \
    "$(tr -d '\r' < "$o/lists-codes.txt")|$(tr -d '\r' < "$o/lists.out" | head -n 1)|$gone"
expect_eq "lists: the files stay byte for byte" "$hashes_before" "$(hashes)"
check "lists: the Windows temp folder stays" [ -d "$E2E_C/windows/temp" ]
check "lists: its file went" [ ! -e "$E2E_C/windows/temp/kstemp.exe" ]
# In a 64-bit prefix the 32-bit view's ProgramFilesDir is one more.
expect_eq "lists: each protected place is named" "$(e2e_is64 && echo 20 || echo 19)" \
    "$(tr -d '\r' < "$o/lists.err" | grep -c '^protected: .* (.* of Lists) is never touched$')"

nosettings_log=$(tr -d '\r' < "$o/nosettings.out" | sed -n 's/^log: //p')
expect_eq "no settings: the file is gone, exit 0" "nosettings=0 gone" \
    "$(tr -d '\r' < "$o/nosettings-codes.txt") $([ -e "$E2E_C/ksnoset/gone.dat" ] && echo kept || echo gone)"
expect_eq "no settings: the log is in the per-user data folder" \
    'C:\users\'"$E2E_USER"'\AppData\Local\Kestrune\logs' "${nosettings_log%\\*}"
check "no settings: the log is written there" [ -f "$(winepath -u "$nosettings_log" 2>/dev/null)" ]
check "no settings: no log at the drive's root" \
    bash -c "! ls '$E2E_C' | grep -qE '^[0-9]{1,2}-[0-9]{1,2}-[0-9]{4} \\('"

# A folder that refuses changes keeps its file whatever the delete answers:
# the file is not called deleted.
mkdir -p "$E2E_C/ksstuck" && echo stuck > "$E2E_C/ksstuck/stuck.txt"
if read_only_folder "$E2E_C/ksstuck"; then
    run_batch stuck <<'BAT'
@echo off
reg add HKCU\Software\Kestrune /v lfp /d C:\ksstucklogs /f >nul
kestrune-cli.exe clean --definitions stuck.ks --quiet --json > stuck.json 2> stuck.err
echo exit=%ERRORLEVEL%> stuck-code.txt
BAT
    writable_folder "$E2E_C/ksstuck"
    expect_eq "stuck: still there, scheduled for the restart, exit 3" \
        "stuck scheduled File C:\ksstuck\stuck.txt exit=3" \
        "$(tr -d '\r' < "$E2E_C/ksstuck/stuck.txt") $(json_query "$o/stuck.json" '" ".join((d["outcomes"][0]["result"], d["outcomes"][0]["kind"], d["outcomes"][0]["location"]))') $(tr -d '\r ' < "$o/stuck-code.txt")"
    rm -f "$E2E_C/ksstuck/stuck.txt"
else
    say "the system refuses chattr +i: the row of the folder that refuses changes is skipped"
fi
# A restart of the simulated machine deletes what was scheduled, before
# wineboot returns.
ls "$E2E_C/ksbad" > "$o/before-restart.txt"
wineserver -k
wineboot -r >/dev/null 2>&1
ls "$E2E_C/ksbad" > "$o/after-restart.txt"

codes=$(tr -d '\r' < "$o/codes.txt" | tr '\n' ' ')
expect_eq "exit codes" "stopped=1 dir=kept forced=3 keyquery=1 badvalue=1 goodvalue=0 none=0 broken=2 empty=2 missing=2 forcealone=2 unknown=2 " "$codes"

# The incomplete backup stopped everything.
expect_eq "stopped: only the archive is named" "" "$(grep -v '^backup: ' "$o/stopped.out" | tr -d '\r')"
expect_eq "stopped: reason" "1" "$(grep -c 'nothing was removed' "$o/stopped.err")"
expect_eq "stopped: the held file is named" "1" "$(grep -c 'backup: FAILED C:\\ksbad\\busy.dat' "$o/stopped.err")"

# The forced run: one line per outcome, in removal order, then the summary.
tr -d '\r' < "$o/forced.out" | grep -v '^backup: ' | sed 's/\\[0-9]*-[0-9]*-[0-9]* ([0-9]*-[0-9]*-[0-9]*)\.txt$/\\DATED.txt/' > "$o/forced.lines"
expected=$(printf '%s\n' \
    'deleted	RegKey	KsBad	HKEY_CURRENT_USER\Software\KsBad\Bad' \
    'deleted	RegValue	KsBad	HKEY_CURRENT_USER\Software\KsBad\Run : KsBad' \
    'deleted	File	KsBad	C:\ksbad\bad.exe' \
    'scheduled	File	KsBad	C:\ksbad\busy.dat' \
    'deleted	Folder	KsBad	C:\ksbad\BadDir' \
    'deleted	Cookie	KsBad	Bad Tracker' \
    '5 deleted, 1 to be deleted at the next restart, 0 failed, 0 refused' \
    'log: C:\kslogs\DATED.txt')
expect_eq "forced: outcome lines" "$expected" "$(cat "$o/forced.lines")"
expect_eq "forced: program ended" "1" "$(grep -c 'ended program: C:\\ksbad\\bad.exe' "$o/forced.err")"
expect_eq "cookies left" "user@news[1].txt" "$(tr -d '\r' < "$o/cookies.txt")"
expect_eq "files left before the restart" "busy.dat keep.txt " "$(tr '\n' ' ' < "$o/before-restart.txt")"
expect_eq "files left after the restart" "keep.txt " "$(tr '\n' ' ' < "$o/after-restart.txt")"
expect_eq "nothing found" "nothing to remove" "$(tr -d '\r' < "$o/none.out")"

# The log of the forced run, byte for byte.
logs=("$E2E_C"/kslogs/*.txt)
expect_eq "one dated log" "1" "${#logs[@]}"
expected_log=$(printf '%s\r\n' \
    '[TYPE:REGKEY]' '[ACTION:DELETED]' '[VALUE:HKEY_CURRENT_USER\Software\KsBad\Bad]' \
    '[TYPE:REGVALUE]' '[ACTION:DELETED]' '[VALUE:HKEY_CURRENT_USER\Software\KsBad\Run\KsBad]' \
    '[TYPE:FILE]' '[ACTION:DELETED]' '[NAME:bad.exe]' '[PATH:C:\ksbad]' \
    '[TYPE:FILE]' '[ACTION:FAILED TO DELETE]' '[NAME:busy.dat]' '[PATH:C:\ksbad]' \
    '[TYPE:DIRECTORY]' '[ACTION:DELETED]' '[NAME:BadDir]' '[PATH:C:\ksbad]' \
    '[TYPE:COOKIE]' '[ACTION:DELETED]' '[VALUE:Bad Tracker]' | base64 -w0)
expect_eq "log bytes" "$expected_log" "$(base64 -w0 < "${logs[0]}")"
expect_eq "log name" "1" "$(basename "${logs[0]}" | grep -cE '^[0-9]{1,2}-[0-9]{1,2}-[0-9]{4} \([0-9]{1,2}-[0-9]{1,2}-[0-9]{1,2}\)\.txt$')"

# Two archives: the stopped run's and the forced run's, read with Python.
forced_archive=$(tr -d '\r' < "$o/forced.out" | sed -n 's/^backup: C:\\kestrune\\KestruneBackup\\//p')
expect_eq "two archives" "2" "$(ls "$o/KestruneBackup" | wc -l)"
expect_eq "archive name" "1" "$(echo "$forced_archive" | grep -cE '^[0-9]{1,2},[0-9]{1,2},[0-9]{4}_[0-9]{1,2},[0-9]{1,2},[0-9]{1,2}( \([0-9]+\))?\.zip$')"
python3 - "$o/KestruneBackup/$forced_archive" > "$o/archive.txt" <<'PY'
import re, sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    assert z.testzip() is None
    for info in sorted(z.infolist(), key=lambda i: i.filename):
        data = z.read(info)
        if info.filename.endswith('.reg'):
            what = data.decode('utf-16').splitlines()[0]
        elif info.filename.endswith('.txt'):
            what = data.decode('latin-1').strip()
        else:
            what = 'bytes'
        print(info.filename, info.compress_type, what)
    config = z.read('Config.ini').decode('latin-1')
    config = re.sub(r'c:\\users\\[^\\]*\\appdata\\local\\microsoft\\windows\\inetcookies',
                    'COOKIES', config)
    print('CONFIG ' + config.replace('\r\n', '|'))
PY
expect_eq "archive read" "0" "$?"
expected_archive=$(printf '%s\n' \
    'BadDir/ 8 bytes' \
    'BadDir/sub/ 8 bytes' \
    'BadDir/sub/deep.txt 8 tree' \
    'BadDir/top.txt 8 top' \
    'Config.ini 8 bytes' \
    'Manifest.ini 8 bytes' \
    'bad.exe 8 bytes' \
    'rkBackup1.reg 8 Windows Registry Editor Version 5.00' \
    'rvBackup1.reg 8 Windows Registry Editor Version 5.00' \
    'user@BadTracker[2].txt 8 c' \
    'user@badtracker[1].txt 8 c')
expect_eq "archive entries" "$(echo "$expected_archive" | LC_ALL=C sort)" "$(grep -v '^CONFIG' "$o/archive.txt" | LC_ALL=C sort)"
expect_eq "config.ini" 'CONFIG [TYPE:FILE]|[NAME:bad.exe]|[PATH:C:\ksbad]|[TYPE:FILE]|[NAME:busy.dat]|[PATH:C:\ksbad]|[TYPE:DIRECTORY]|[NAME:BadDir]|[PATH:C:\ksbad]|[TYPE:COOKIE]|[NAME:Bad Tracker]|[PATH:COOKIES\user@badtracker[1].txt]|[TYPE:COOKIE]|[NAME:Bad Tracker]|[PATH:COOKIES\user@badtracker[2].txt]|' "$(grep '^CONFIG' "$o/archive.txt")"

# Greedy: only the real items went or were tried (exit 1: GreedyDir stayed;
# a protected place the scan passes over is no find), the ignored greedy.exe
# and the key holding the ignored value stayed; every protected place
# is named once on standard error and is still there, and so are the
# system's processes.
expect_eq "greedy: exit code and registry" "greedy=1 runkey=0 runvalue=1 greedykey=0 " \
    "$(tr -d '\r' < "$o/greedy-codes.txt" | tr '\n' ' ')"
expected_left=$(printf '%s\n' kernel32.dll services.exe explorer.exe 'Common Files' Documents keep.txt GreedyDir greedy.exe)
expect_eq "greedy: what is left" "$expected_left" "$(tr -d '\r' < "$o/greedy-left.txt")"
expect_eq "greedy: cookies left" "user@news[1].txt" "$(tr -d '\r' < "$o/greedy-cookies.txt")"
# The scan passes them over, or the removal refuses them: either way each is
# named once as "protected: WHAT is never touched" (or "refused: WHAT ..."
# for a text the scan does not look for), WHAT being "LOCATION (KIND of
# PARASITE)".
# In a 64-bit prefix SysWOW64's kernel32.dll is looked at, and named, too.
wow_kernel=""
[ -d "$E2E_C/windows/syswow64" ] && wow_kernel='C:\windows\syswow64\kernel32.dll (file of Greedy)'
expected_protected=$(printf '%s\n' \
    'C:\windows (folder of Greedy)' 'C:\Program Files (folder of Greedy)' \
    "C:\\users\\$(id -un)\\Documents (folder of Greedy)" \
    'C:\windows\system32\kernel32.dll (file of Greedy)' \
    ${wow_kernel:+"$wow_kernel"} \
    'C:\windows\system32\services.exe (file of Greedy)' 'C:\windows\explorer.exe (file of Greedy)' \
    'C:\ksgreedy\inner\..\keep.txt (file of Greedy)' '. (cookie of Greedy)' \
    'HKEY_CURRENT_USER\Software\Microsoft (key of Greedy)' \
    'HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run (key of Greedy)' | LC_ALL=C sort)
expect_eq "greedy: each protected place named" "$expected_protected" \
    "$(tr -d '\r' < "$o/greedy.err" | grep -E '^(protected|refused): ' |
       sed -E 's/^(protected|refused): (.*\)) is (never|not) .*$/\2/' | LC_ALL=C sort)"
system_processes() { tr -d '\r' < "$1" | grep -iE ' (services|explorer)\.exe$' | sort; }
expect_eq "greedy: system processes still running" "$(system_processes "$o/procs-before.txt")" \
    "$(comm -12 <(system_processes "$o/procs-before.txt") <(system_processes "$o/procs-after.txt"))"
expect_eq "greedy: services.exe and explorer.exe were running" "2" \
    "$(system_processes "$o/procs-before.txt" | wc -l)"
# The JSON document: the run's fields in their order, every outcome of the
# removal, and a FAILED TO DELETE record in the log for each item not deleted.
greedy_logs=("$E2E_C"/ksgreedylogs/*.txt)
expect_eq "greedy: one log" "1" "${#greedy_logs[@]}"
expect_eq "greedy json: fields" "tool version definitions folder started ended failure itemsScanned finds protected unreadable ignored backup outcomes kept log exitCode" \
    "$(json_query "$o/greedy.json" '" ".join(d)')"
expect_eq "greedy json: run" "kestrune-cli greedy.ks None None 1 C:\\ksgreedylogs\\${greedy_logs[0]##*/}" \
    "$(json_query "$o/greedy.json" '" ".join(map(str, (d["tool"], d["definitions"]["file"], d["folder"], d["backup"], d["exitCode"], d["log"])))')"
expect_eq "greedy json: outcomes other than refused" "$(printf '%s\n' \
    'deleted RegValue HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run : KsGreedy' \
    'scheduled File C:\ksgreedy\greedy.txt' \
    'failed Folder C:\ksgreedy\GreedyDir' \
    'deleted Cookie Greedy Tracker' \
    'deleted Cookie Greedy')" \
    "$(json_query "$o/greedy.json" '[" ".join((i["result"], i["kind"], i["location"])) for i in d["outcomes"] if i["result"] != "refused" and i["parasite"] == "Greedy"]')"
expect_eq "greedy json: every find has exactly one outcome of its kind and location" "" \
    "$(json_query "$o/greedy.json" '[f["location"] for f in d["finds"] if sum(1 for i in d["outcomes"] if (i["parasite"], i["kind"], i["location"]) == (f["parasite"], f["kind"], f["location"])) != 1]')"
expect_eq "greedy json: a FAILED TO DELETE record for each item not deleted" \
    "$(json_query "$o/greedy.json" 'len([i for i in d["outcomes"] if i["result"] != "deleted"])')" \
    "$(grep -c 'FAILED TO DELETE' "${greedy_logs[0]}")"
expect_eq "greedy json: refused outcomes and skipped items are the protected places named" \
    "$(tr -d '\r' < "$o/greedy.err" | grep -cE '^(protected|refused): .* of Greedy\)')" \
    "$(json_query "$o/greedy.json" 'len([i for i in d["outcomes"] if i["result"] == "refused" and "holdsIgnored" not in i]) + len(d["protected"])')"
expect_eq "greedy json: the ignored file counted, the key holding the ignored value refused" \
    "1 HKEY_CURRENT_USER\Software\KsGreedy\Bad HKEY_CURRENT_USER\Software\KsGreedy\Bad : v" \
    "$(json_query "$o/greedy.json" '" ".join([str(d["ignored"])] + ["%s %s" % (i["location"], i["holdsIgnored"]) for i in d["outcomes"] if "holdsIgnored" in i])')"
expect_eq "greedy: the ignored count and the kept key on stderr" \
    "1 find ignored|kept: HKEY_CURRENT_USER\Software\KsGreedy\Bad holds HKEY_CURRENT_USER\Software\KsGreedy\Bad : v, which the ignore list keeps" \
    "$(tr -d '\r' < "$o/greedy.err" | grep -E '^kept: |finds? ignored$' | paste -sd '|')"

if [ "$E2E_FAILURES" -ne 0 ]; then
    for f in forced.out forced.err stopped.out stopped.err archive.txt greedy.json greedy.err lists.out lists.err; do
        echo "--- $f"; cat "$o/$f" 2>/dev/null
    done
fi
e2e_finish
