#!/usr/bin/env bash
# The whole road in the window: SCAN MY PC on a machine with a parasite's
# registry key and value, a running program, a folder tree and cookie files;
# the delete offer and the backup accepted, with one row unchecked before and
# ticked again while the backup question is open (it stays out of the backup
# and the removal); then the machine, the archive (old ones pruned) and the
# log checked. Then DELETE PARASITES on the rows kept by the backup path,
# the backup declined (the direct path empties the list), and DELETE
# PARASITES on the empty list. Then a reference file that also names the
# system's own places: DELETE PARASITES removes the real rows and leaves
# every protected place, whether the scan listed it or not.
source "$(dirname "$0")/lib/e2e.sh"
W="Kestrune v2.01"
T=$'\t'
e2e_prefix
e2e_install_window_program
drive_c=$E2E_C
cookies_unix=$E2E_COOKIES

# The definitions, installed as the default reference file, and the machine,
# with one more file of KsBad's beside it.
pack_definitions "$E2E_PROGRAM_DIR/kestrune_020404_v2.ks" removal.xml
plant_removal_machine
echo spare > "$drive_c/ksbad/spare.dat"
(cd "$drive_c/ksbad" && exec wine 'C:\ksbad\bad.exe' wait) >/dev/null 2>&1 &
bad_pid=$!
E2E_PIDS+=("$bad_pid")

# Waits up to 10 s until control ID shows STATE ("visible=1 enabled=1"): a
# message box's answer reaches the program a moment after the box has gone.
wait_state() {
    local id=$1 want=$2 i got
    for ((i = 0; i < 50; i++)); do
        got=$(drive state "$W" "$id")
        [ "$got" == "$want" ] && break
        sleep 0.2
    done
    echo "$got"
}

# Eleven old archives: the window's backup leaves the newest ten of all.
mkdir -p "$E2E_PROGRAM_DIR/KestruneBackup"
# Old archives: each holds a Manifest.ini, as every archive of Kestrune's does.
for d in $(seq 1 11); do
    python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1], "w").writestr("Manifest.ini", "")' \
        "$E2E_PROGRAM_DIR/KestruneBackup/1,$d,2002_1,1,1.zip"
done

start_kestrune
kestrune=$E2E_LAST_PID
check "main window opens" drive wait-window "$W" 30000
drive answer 'It is strongly recommended to update your protection to protect yourself again the latest parasites we detect\n Proceed with the upgrade?' NO 10000 >/dev/null
check "a running parasite program" kill -0 "$bad_pid"

say "SCAN MY PC"
drive click "$W" IDC_SCAN >/dev/null
drive answer 'It is highly recommend you close all internet explorer windows to remove attached parasites as well as any other open programs.\n Kill All Explorer Windows ?' NO 10000 >/dev/null
expect_eq "scan ends" "Kestrune Scan" "$(drive answer 'Scan Completed Successfully' OK 180000)"
expect_eq "delete offer for seven rows" "$W" \
    "$(drive answer 'Kestrune Detected 7 Parasites, Do you want Kestrune to Delete all Detected Parasites?' NO 10000)"
rows=$(drive rows "$W" IDC_RESULT_LIST)
expect_eq "seven checked rows" "$(printf '%s\n' \
    '1	KsBad	HKEY_CURRENT_USER\Software\KsBad\Bad	RegKey	Dangerous' \
    '1	KsBad	HKEY_CURRENT_USER\Software\KsBad\Run : KsBad	RegValue	Dangerous' \
    '1	KsBad	Bad Tracker	Cookie	Dangerous' \
    '1	KsBad	Bad Tracker	Cookie	Dangerous' \
    '1	KsBad	C:\ksbad\bad.exe	File	Dangerous' \
    '1	KsBad	C:\ksbad\spare.dat	File	Dangerous' \
    '1	KsBad	C:\ksbad\BadDir	Folder	Dangerous' | sort)" "$(echo "$rows" | sort)"
spare_row=$(($(echo "$rows" | grep -n 'spare.dat' | cut -d: -f1) - 1))
check "untick the spare row" drive check-row "$W" IDC_RESULT_LIST "$spare_row" 0
drive click "$W" IDC_DELETE >/dev/null
drive box 10000 >/dev/null   # the backup offer is open (no owner): tick the row again
check "tick it again while the question is open" drive check-row "$W" IDC_RESULT_LIST "$spare_row" 1
expect_eq "backup offer" "Permission" \
    "$(drive answer 'It is recommended that you make a backup of the files detected before deleting them.\nDo you want to create a backup now?' YES 10000)"
expect_eq "backup done" "Permission" \
    "$(drive answer 'Backup was successful.\nDo you want to remove the selected adware now?' YES 60000)"
expect_eq "summary after the backup" "Kestrune" \
    "$(drive answer 'Selected adware have been removed from your computer successfully.' OK 60000)"
check "status line" drive wait-text "$W" IDC_STATUS_LINE "Prepared to Start Scanning" 10000
for id in IDC_SCAN IDC_SCAN_FOLDER IDC_DELETE IDC_UPDATE; do
    expect_eq "button $id enabled again" "visible=1 enabled=1" "$(wait_state $id "visible=1 enabled=1")"
done

say "the machine"
check "the key is gone" bash -c "! wine reg query 'HKCU\\Software\\KsBad\\Bad' >/dev/null 2>&1"
check "the value is gone" bash -c "! wine reg query 'HKCU\\Software\\KsBad\\Run' /v KsBad >/dev/null 2>&1"
check "the other value stays" bash -c "wine reg query 'HKCU\\Software\\KsBad\\Run' /v Good >/dev/null 2>&1"
wait_exit "$bad_pid" 10 >/dev/null
check "the program was ended" [ $? -ne 124 ]
expect_eq "files left" "$(printf 'keep.txt\nspare.dat')" "$(ls "$drive_c/ksbad")"
expect_eq "cookies left" "user@news[1].txt" "$(ls "$cookies_unix")"

logs=("$E2E_PROGRAM_DIR"/logs/*.txt)
expect_eq "one dated log" "1" "${#logs[@]}"
expect_eq "log records" "$(printf '%s\r\n' \
    '[TYPE:REGKEY]' '[ACTION:DELETED]' '[VALUE:HKEY_CURRENT_USER\Software\KsBad\Bad]' \
    '[TYPE:REGVALUE]' '[ACTION:DELETED]' '[VALUE:HKEY_CURRENT_USER\Software\KsBad\Run\KsBad]' \
    '[TYPE:FILE]' '[ACTION:DELETED]' '[NAME:bad.exe]' '[PATH:C:\ksbad]' \
    '[TYPE:DIRECTORY]' '[ACTION:DELETED]' '[NAME:BadDir]' '[PATH:C:\ksbad]' \
    '[TYPE:COOKIE]' '[ACTION:DELETED]' '[VALUE:Bad Tracker]' | base64 -w0)" "$(base64 -w0 < "${logs[0]}")"

expect_eq "the backup pruned the two oldest archives" "1,3,2002_1,1,1.zip 1,4,2002_1,1,1.zip 9" \
    "$(ls "$E2E_PROGRAM_DIR/KestruneBackup" | grep ',2002_' | sort -t, -k2n | head -n 2 | paste -sd ' ') $(ls "$E2E_PROGRAM_DIR/KestruneBackup" | grep -c ',2002_')"
rm "$E2E_PROGRAM_DIR"/KestruneBackup/*,2002_*
archives=("$E2E_PROGRAM_DIR"/KestruneBackup/*.zip)
expect_eq "one archive" "1" "${#archives[@]}"
entries=$(python3 - "${archives[0]}" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    assert z.testzip() is None
    for name in sorted(z.namelist()):
        data = z.read(name)
        if name.endswith('.reg'):
            assert data.decode('utf-16').startswith('Windows Registry Editor Version 5.00'), name
        print(name)
PY
)
expect_eq "archive entries" "$(printf '%s\n' BadDir/ BadDir/sub/ BadDir/sub/deep.txt BadDir/top.txt Config.ini Manifest.ini \
    bad.exe rkBackup1.reg rvBackup1.reg 'user@BadTracker[2].txt' 'user@badtracker[1].txt')" "$entries"
check "the temporary backup folder is empty" bash -c "[ -z \"\$(ls '$(winepath -u "$(wine cmd /c 'echo %TEMP%' 2>/dev/null | tr -d '\r')")/KestruneBackup')\" ]"

expect_eq "the rows stay, the spare one ticked" "7 1" \
    "$(drive rows "$W" IDC_RESULT_LIST | wc -l) $(drive rows "$W" IDC_RESULT_LIST | grep -c '^1.*spare.dat')"

say "DELETE PARASITES on the rows the backup path kept, backup declined"
drive click "$W" IDC_DELETE >/dev/null
drive answer 'It is recommended that you make a backup of the files detected before deleting them.\nDo you want to create a backup now?' NO 10000 >/dev/null
expect_eq "direct summary" "Kestrune" \
    "$(drive answer 'Selected Parasites have been removed from your computer successfully.' OK 60000)"
check "status line again" drive wait-text "$W" IDC_STATUS_LINE "Prepared to Start Scanning" 10000
expect_eq "delete button enabled again" "visible=1 enabled=1" "$(wait_state IDC_DELETE "visible=1 enabled=1")"
expect_eq "still one archive" "1" "$(ls "$E2E_PROGRAM_DIR/KestruneBackup" | wc -l)"
expect_eq "now the spare file is gone too" "keep.txt" "$(ls "$drive_c/ksbad")"
expect_eq "the list is empty" "" "$(drive rows "$W" IDC_RESULT_LIST)"

say "DELETE PARASITES on the emptied list"
drive click "$W" IDC_DELETE >/dev/null
expect_eq "scan first" "$W" "$(drive answer 'Please Scan for Parasites first' OK 10000)"

drive menu "$W" ID_FILE_EXIT >/dev/null
wait_exit "$kestrune" 20
check "program ends after Exit" [ $? -ne 124 ]

say "a reference file that also names the system's own places"
pack_definitions "$E2E_PROGRAM_DIR/kestrune_020404_v2.ks" removal-greedy.xml
plant_greedy_machine
run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
cp "$KESTRUNE_BUILD/removal_helper.exe" "$drive_c/tools/"
system_processes() {
    wine 'C:\tools\removal_helper.exe' processes | tr -d '\r' | grep -iE ' (services|explorer)\.exe$' | sort
}

start_kestrune
kestrune=$E2E_LAST_PID
check "main window opens again" drive wait-window "$W" 30000
# The desktop's explorer.exe runs while a window is open.
system_before=$(system_processes)
drive click "$W" IDC_SCAN >/dev/null
drive answer 'It is highly recommend you close all internet explorer windows to remove attached parasites as well as any other open programs.\n Kill All Explorer Windows ?' NO 10000 >/dev/null
expect_eq "scan ends" "Kestrune Scan" "$(drive answer 'Scan Completed Successfully' OK 180000)"
rows=$(drive rows "$W" IDC_RESULT_LIST)
count=$(echo "$rows" | wc -l)
expect_eq "delete offer for every row" "$W" \
    "$(drive answer "Kestrune Detected $count Parasites, Do you want Kestrune to Delete all Detected Parasites?" NO 10000)"
# The cookie named after the parasite matches the tracker's cookie file too.
real="ksgreedy|Software\\\\KsGreedy\\\\Bad|Run : KsGreedy|Greedy Tracker|Greedy${T}Cookie"
real_rows=$(echo "$rows" | grep -E "$real" | sort)
expect_eq "the real rows, checked" "$(printf '%s\n' \
    '1	Greedy	Greedy	Cookie	Severe' \
    '1	Greedy	HKEY_CURRENT_USER\Software\KsGreedy\Bad	RegKey	Severe' \
    '1	Greedy	C:\ksgreedy\GreedyDir	Folder	Severe' \
    '1	Greedy	C:\ksgreedy\greedy.exe	File	Severe' \
    '1	Greedy	C:\ksgreedy\greedy.txt	File	Severe' \
    '1	Greedy	Greedy Tracker	Cookie	Severe' \
    '1	Greedy	HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run : KsGreedy	RegValue	Severe' | sort)" \
    "$real_rows"
# Rows of protected places, when the scan lists them at all, stay checked as
# every row is: the removal itself must refuse them. One cookie item may
# make several rows.
protected_items=$(echo "$rows" | grep -vE "$real" | cut -f3 | sort -u | grep -c .)
say "$protected_items protected places among the rows"
drive click "$W" IDC_DELETE >/dev/null
drive answer 'It is recommended that you make a backup of the files detected before deleting them.\nDo you want to create a backup now?' NO 10000 >/dev/null
if [ "$protected_items" -eq 0 ]; then
    summary='Selected Parasites have been removed from your computer successfully.'
else
    summary='Some Parasites you selected could not be removed from your computer.\nThe removal log lists each item that is still there.'
fi
expect_eq "summary" "Kestrune" "$(drive answer "$summary" OK 60000)"
for f in GreedyDir greedy.txt greedy.exe; do
    check "the real C:/ksgreedy/$f is gone" [ ! -e "$drive_c/ksgreedy/$f" ]
done
check "the real key is gone" bash -c "! wine reg query 'HKCU\\Software\\KsGreedy\\Bad' >/dev/null 2>&1"
check "the file only a refused item names stays" [ -e "$drive_c/ksgreedy/keep.txt" ]
check "the real value is gone" bash -c "! wine reg query '$run' /v KsGreedy >/dev/null 2>&1"
check "the other Run value stays" bash -c "wine reg query '$run' /v KsKeep >/dev/null 2>&1"
check "HKCU\Software\Microsoft stays" bash -c "wine reg query 'HKCU\\Software\\Microsoft' >/dev/null 2>&1"
for f in windows/system32/kernel32.dll windows/explorer.exe "Program Files/Common Files"; do
    check "C:/$f stays" [ -e "$drive_c/$f" ]
done
expect_eq "cookies left" "user@news[1].txt" "$(ls "$cookies_unix")"
expect_eq "services.exe and explorer.exe still running" "$system_before" \
    "$(system_processes)"
check "services.exe and explorer.exe were running" [ "$(echo "$system_before" | grep -c .)" -ge 2 ]
newest_log=$(ls -t "$E2E_PROGRAM_DIR"/logs/*.txt | head -1)
expect_eq "a FAILED TO DELETE record for each protected row" "$protected_items" \
    "$(grep -c 'FAILED TO DELETE' "$newest_log")"
drive menu "$W" ID_FILE_EXIT >/dev/null
wait_exit "$kestrune" 20
check "program ends after Exit" [ $? -ne 124 ]
e2e_finish
