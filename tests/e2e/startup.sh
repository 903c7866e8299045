#!/usr/bin/env bash
# Start-up as a user meets it: the first run writes exactly the eleven
# defaults and the logs folder, the loading texts come in order, the main
# window opens with empty counters, the first-run reminder follows, a second
# start ends at once, a later start has no reminder, and "/s" is accepted;
# a first start from a folder that cannot be written puts the logs in the
# per-user folder.
source "$(dirname "$0")/lib/e2e.sh"
e2e_prefix
e2e_install_window_program

say "first start"
watch_from_start IDC_PROGRESS_TEXT 30000
start_kestrune
first=$E2E_LAST_PID
watched
loading=$E2E_WATCHED
echo "$loading" | sed 's/^/    /'
expect_eq "loading texts in order" \
    "$(printf 'Initializing...\nSearching for definition file.\nLoading definitions from file.\nDefinitions loaded successfully.\n(gone)')" \
    "$(echo "$loading" | cut -f2)"
shown=$(echo "$loading" | head -n 1 | cut -f1)
gone=$(echo "$loading" | tail -n 1 | cut -f1)
# The dialog's own waits add up to 2.7 s; the watcher may first see it a few
# hundred milliseconds late on a loaded machine, so the bound leaves room for
# that and still fails a dialog that does not wait.
check "loading dialog stays about 2.7 s (saw $((gone - shown)) ms)" [ $((gone - shown)) -ge 2200 ]

check "main window opens" drive wait-window "Kestrune v2.01" 20000
expect_eq "status line" "Prepared to start scanning!" "$(drive text "Kestrune v2.01" IDC_STATUS_LINE)"
for id in IDC_MEMORY_COUNT IDC_REGISTRY_COUNT IDC_COOKIES_COUNT IDC_FILES_COUNT; do
    expect_eq "counter $id is empty" "" "$(drive text "Kestrune v2.01" $id)"
done
for id in IDC_SCAN IDC_SCAN_FOLDER IDC_UPDATE IDC_DELETE IDC_STOP_SCAN IDC_RESULT_LIST IDC_STATUS_LINE; do
    expect_eq "control $id shown and enabled" "visible=1 enabled=1" "$(drive state "Kestrune v2.01" $id)"
done

expect_eq "first-run reminder, caption" "Kestrune v2.01" \
    "$(drive answer 'It is strongly recommended to update your protection to protect yourself again the latest parasites we detect\n Proceed with the upgrade?' NO 10000)"

expect_eq "exactly the eleven settings" \
    "$(printf '%s\n' abrs acu asl df lfp mtst path pv ras rfp sas)" "$(setting_names)"
expect_eq "pv" "2.01" "$(setting pv)"
expect_eq "df" "kestrune_082303_def.ks" "$(setting df)"
for flag in ras sas mtst; do expect_eq "$flag" "0" "$(setting $flag)"; done
for flag in asl abrs acu; do expect_eq "$flag" "1" "$(setting $flag)"; done
expect_eq "path" 'C:\Kestrune' "$(setting path)"
expect_eq "lfp" 'C:\Kestrune\logs' "$(setting lfp)"
expect_eq "rfp" 'C:\Kestrune\kestrune_020404_v2.ks' "$(setting rfp)"
check "logs folder exists" [ -d "$E2E_PROGRAM_DIR/logs" ]

say "second start while the first runs"
(cd "$E2E_PROGRAM_DIR" && timeout 20 wine 'C:\Kestrune\Kestrune.exe' >/dev/null 2>&1)
check "second start ends at once" [ $? -ne 124 ]
check "no message box from the second start" bash -c "! wine 'C:\\tools\\windriver.exe' box 1000 >/dev/null 2>&1"
check "first instance still runs" kill -0 "$first"

say "Exit from the File menu"
drive menu "Kestrune v2.01" ID_FILE_EXIT
wait_exit "$first" 20
check "program ends after Exit" [ $? -ne 124 ]

say "later start: no reminder"
start_kestrune
later=$E2E_LAST_PID
check "main window opens again" drive wait-window "Kestrune v2.01" 30000
check "no reminder within 4.5 s" bash -c "! wine 'C:\\tools\\windriver.exe' box 4500 >/dev/null 2>&1"
drive menu "Kestrune v2.01" 2 >/dev/null   # IDCANCEL: what Esc and the close box send
wait_exit "$later" 20
check "Esc ends the program" [ $? -ne 124 ]

say "start with /s and with /S"
for arg in /s /S; do
    start_kestrune "$arg"
    pid=$E2E_LAST_PID
    check "main window opens with $arg" drive wait-window "Kestrune v2.01" 30000
    drive menu "Kestrune v2.01" ID_TRAY_EXIT >/dev/null   # the notification menu's Exit
    wait_exit "$pid" 20
    check "tray Exit ends the program ($arg)" [ $? -ne 124 ]
done

say "first start of a copy whose folder cannot be written"
if read_only_folder "$E2E_PROGRAM_DIR"; then
    wine reg delete 'HKCU\SOFTWARE\Kestrune' /f >/dev/null 2>&1
    start_kestrune
    pid=$E2E_LAST_PID
    check "main window opens" drive wait-window "Kestrune v2.01" 30000
    drive answer 'It is strongly recommended to update your protection to protect yourself again the latest parasites we detect\n Proceed with the upgrade?' NO 10000 >/dev/null
    expect_eq "lfp in the per-user folder" "C:\\users\\$E2E_USER\\AppData\\Local\\Kestrune\\logs" "$(setting lfp)"
    check "that logs folder exists" [ -d "$E2E_C/users/$E2E_USER/AppData/Local/Kestrune/logs" ]
    expect_eq "rfp still beside the program" 'C:\Kestrune\kestrune_020404_v2.ks' "$(setting rfp)"
    drive menu "Kestrune v2.01" ID_FILE_EXIT >/dev/null
    wait_exit "$pid" 20
    check "program ends after Exit" [ $? -ne 124 ]
else
    say "skipped: the system refuses chattr +i"
fi
e2e_finish
