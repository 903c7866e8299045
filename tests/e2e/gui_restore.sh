#!/usr/bin/env bash
# Restore through the window: a key tree with typed values, a Run value beside
# the user's own, a read-only file and a folder tree are found by SCAN MY PC
# and removed by DELETE PARASITES with the backup accepted; File > Restore
# from Backup... puts them back from that backup, value for value and byte
# for byte, without touching the other Run value. The program runs as if
# without administrator rights: the first DELETE PARASITES is answered by
# starting it again as administrator, the new instance scans again, and its
# DELETE PARASITES goes on without.
source "$(dirname "$0")/lib/e2e.sh"
W="Kestrune v2.01"
R="Restore from Backup"
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
e2e_prefix
e2e_install_window_program
drive_c=$E2E_C

cat > "$E2E_WORK/defs.xml" <<'XML'
<KS>
  <SW NAME="KsRestore">
    <DIRECTORIES><DIR NAME="Tree" PATH="C:\ksr"/></DIRECTORIES>
    <FILES><FILE NAME="ro.txt" PATH="C:\ksr"/></FILES>
    <REGISTRY>
      <KEYS><REGKEY MAIN="HKEY_CURRENT_USER" SUB="Software\KsRestore" VALUE="Bad"/></KEYS>
      <VALUES><REGVALUE MAIN="HKEY_CURRENT_USER" SUB="Software\Microsoft\Windows\CurrentVersion\Run" VALUE="KsBad"/></VALUES>
    </REGISTRY>
    <DANGER_LEVEL>1</DANGER_LEVEL>
  </SW>
</KS>
XML
scramble "$E2E_WORK/defs.xml" "$E2E_PROGRAM_DIR/kestrune_020404_v2.ks"

cat > "$drive_c/plant.bat" <<'BAT'
@echo off
reg add HKCU\Software\KsRestore\Bad /ve /d "top default" /f >nul
reg add HKCU\Software\KsRestore\Bad /v number /t REG_DWORD /d 305419896 /f >nul
reg add HKCU\Software\KsRestore\Bad\One /v bytes /t REG_BINARY /d 00ff10ab7f /f >nul
reg add HKCU\Software\KsRestore\Bad\One /v lines /t REG_MULTI_SZ /d "first\0second" /f >nul
reg add HKCU\Software\Microsoft\Windows\CurrentVersion\Run /v KsBad /d "C:\ksr\bad.exe /run" /f >nul
reg add HKCU\Software\Microsoft\Windows\CurrentVersion\Run /v KsMine /d mine.exe /f >nul
mkdir C:\ksr\Tree\sub
echo read only> C:\ksr\ro.txt
attrib +r C:\ksr\ro.txt
echo tree top> C:\ksr\Tree\top.txt
echo hidden> C:\ksr\Tree\sub\hidden.txt
attrib +h C:\ksr\Tree\sub\hidden.txt
BAT
wine cmd /c 'C:\plant.bat' >/dev/null 2>&1

snapshot() {
    wine reg query 'HKCU\Software\KsRestore' /s 2>/dev/null | tr -d '\r'
    wine reg query "$run_key" 2>/dev/null | tr -d '\r' | grep -E ' Ks(Bad|Mine) '
    (cd "$drive_c/ksr" && find . | sort && find . -type f | sort | xargs md5sum)
    wine cmd /c 'attrib /s C:\ksr\*' 2>/dev/null | tr -d '\r' | sort
}
snapshot > "$E2E_WORK/before.txt"
check "the planted state is complete" grep -q 'lines.*REG_MULTI_SZ' "$E2E_WORK/before.txt"

not_admin='Kestrune is not running as administrator. Items under HKEY_LOCAL_MACHINE and in Program Files may need administrator rights to be removed.\n\nDo you want to start Kestrune again as administrator? You will then have to scan again.\n\nYes: start again as administrator\nNo: go on without administrator rights\nCancel: remove nothing now'
scan_to_four_rows() {
    drive click "$W" IDC_SCAN >/dev/null
    drive answer 'It is highly recommend you close all internet explorer windows to remove attached parasites as well as any other open programs.\n Kill All Explorer Windows ?' NO 10000 >/dev/null
    expect_eq "scan ends" "Kestrune Scan" "$(drive answer 'Scan Completed Successfully' OK 180000)"
    drive answer 'Kestrune Detected 4 Parasites, Do you want Kestrune to Delete all Detected Parasites?' NO 10000 >/dev/null
}

export KESTRUNE_ASSUME_NOT_ADMIN=1
start_kestrune
kestrune=$E2E_LAST_PID
check "main window opens" drive wait-window "$W" 30000
drive answer 'It is strongly recommended to update your protection to protect yourself again the latest parasites we detect\n Proceed with the upgrade?' NO 10000 >/dev/null

say "SCAN MY PC, DELETE PARASITES, start again as administrator"
scan_to_four_rows
drive click "$W" IDC_DELETE >/dev/null
expect_eq "not administrator: asked" "Permission" "$(drive answer "$not_admin" YES 10000)"
wait_exit "$kestrune" 20
check "this instance ends" [ $? -ne 124 ]
check "the new one opens its window" drive wait-window "$W" 30000
check "nothing was removed" bash -c "wine reg query 'HKCU\\Software\\KsRestore\\Bad' >/dev/null 2>&1"

say "SCAN MY PC again, DELETE PARASITES without administrator rights, with a backup"
scan_to_four_rows
drive click "$W" IDC_DELETE >/dev/null
expect_eq "not administrator: asked again" "Permission" "$(drive answer "$not_admin" NO 10000)"
drive answer 'It is recommended that you make a backup of the files detected before deleting them.\nDo you want to create a backup now?' YES 10000 >/dev/null
drive answer 'Backup was successful.\nDo you want to remove the selected adware now?' YES 60000 >/dev/null
expect_eq "removal summary" "Kestrune" \
    "$(drive answer 'Selected adware have been removed from your computer successfully.' OK 60000)"
check "the key is gone" bash -c "! wine reg query 'HKCU\\Software\\KsRestore\\Bad' >/dev/null 2>&1"
check "the Run value is gone" bash -c "! wine reg query '$run_key' /v KsBad >/dev/null 2>&1"
check "the file and folder are gone" bash -c "[ ! -e '$drive_c/ksr/ro.txt' ] && [ ! -e '$drive_c/ksr/Tree' ]"

say "File > Restore from Backup..."
drive menu "$W" ID_FILE_RESTORE >/dev/null
check "the dialog opens" drive wait-window "$R" 10000
expect_eq "one backup listed" 1 "$(drive rows "$R" IDC_RESTORE_ARCHIVES | wc -l)"
check "select the backup" drive select-row "$R" IDC_RESTORE_ARCHIVES 0
expect_eq "its items, all checked" "$(printf '%s\n' \
    '1	key	HKEY_CURRENT_USER\Software\KsRestore\Bad' \
    '1	value	HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run\KsBad' \
    '1	file	C:\ksr\ro.txt' '1	folder	C:\ksr\Tree' | sort)" \
    "$(drive rows "$R" IDC_RESTORE_ITEMS | sort)"
drive click "$R" IDC_RESTORE_RUN >/dev/null
expect_eq "confirmation" "$R" \
    "$(drive answer 'Put 4 checked item(s) of this backup back in their places?' YES 10000)"
expect_eq "restore summary" "$R" "$(drive answer '4 restored.' OK 60000)"
snapshot > "$E2E_WORK/after.txt"
check "everything is back, value for value and byte for byte" \
    diff "$E2E_WORK/before.txt" "$E2E_WORK/after.txt"
expect_eq "a restore log" 1 "$(ls "$E2E_PROGRAM_DIR/logs" | grep -c '^Restore .*\.txt$')"

drive click "$R" 2 >/dev/null
check "the dialog closes" drive wait-gone "$R" 10000
drive menu "$W" ID_FILE_EXIT >/dev/null
check "program ends after Exit" drive wait-gone "$W" 20000
e2e_finish
