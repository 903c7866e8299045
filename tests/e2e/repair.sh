#!/usr/bin/env bash
# The repair loop as a user meets it: a missing reference file leads through
# the not-found message, Preferences and the download offer to the closing
# message; Preferences checks the log folder before the reference file and
# its OK reloads; a damaged file is repaired by a download from the update
# server.
source "$(dirname "$0")/lib/e2e.sh"
e2e_prefix
e2e_install_window_program
PREFS="Kestrune v2.01 Preferences"
NOT_FOUND='Reference file can not be found on its appropriate path.\nPlease set a valid path for reference file in Preferences.'
OFFER='Do you want to download the latest reference file from our website? '
CLOSING='You chose not to download or repair the reference file. Without a reference \nfile the program will not be able to work and will be automatically closed.'

say "missing reference file, the user gives up"
set_setting rfp 'C:\Kestrune\missing.ks'
watch_from_start IDC_PROGRESS_TEXT 30000
start_kestrune
pid=$E2E_LAST_PID
watched
loading=$E2E_WATCHED
# "Searching for definition file." is replaced within microseconds when the
# file is missing, too fast to be seen from outside; the loading dialog's
# window-level test records every text.
expect_eq "loading texts when the file is missing" \
    "$(printf 'Initializing...\nDefinition file not found.\n(gone)')" \
    "$(echo "$loading" | cut -f2 | grep -v '^Searching for definition file.$')"
shown=$(echo "$loading" | head -n 1 | cut -f1); gone=$(echo "$loading" | tail -n 1 | cut -f1)
check "not-found sequence lasts at least 1.75 s (saw $((gone - shown)) ms)" [ $((gone - shown)) -ge 1700 ]
expect_eq "not-found message, caption" "Kestrune" "$(drive answer "$NOT_FOUND" OK)"
check "Preferences opens" drive wait-window "$PREFS"
expect_eq "Preferences shows the configured file" 'C:\Kestrune\missing.ks' "$(drive text "$PREFS" IDC_REFERENCE_PATH)"
drive click "$PREFS" 2
expect_eq "download offer, caption" "Kestrune" "$(drive answer "$OFFER" NO)"
expect_eq "closing message, caption" "Kestrune" "$(drive answer "$CLOSING" OK)"
wait_exit "$pid" 20
check "the program closes" [ $? -ne 124 ]
check "no main window was left" drive absent "Kestrune v2.01"

say "missing reference file, fixed in Preferences"
set_setting lfp 'C:\no such folder'
set_setting mtst 'yes'
start_kestrune
pid=$E2E_LAST_PID
expect_eq "not-found message" "Kestrune" "$(drive answer "$NOT_FOUND" OK 30000)"
check "Preferences opens" drive wait-window "$PREFS"
drive set-text "$PREFS" IDC_REFERENCE_PATH 'C:\Kestrune\kestrune_020404_v2.ks'
drive click "$PREFS" IDC_RUN_AT_STARTUP   # tick "Run at Windows startup"
drive click "$PREFS" 1
expect_eq "log folder is checked first" "Kestrune" "$(drive answer 'Invalid log file path.' OK)"
drive set-text "$PREFS" IDC_LOG_PATH 'C:\Kestrune'
drive set-text "$PREFS" IDC_REFERENCE_PATH 'C:\Kestrune\nothing.ks'
drive click "$PREFS" 1
expect_eq "then the reference file" "Kestrune" "$(drive answer 'Invalid definition file path.' OK)"
drive set-text "$PREFS" IDC_REFERENCE_PATH 'C:\Kestrune\kestrune_020404_v2.ks'
drive click "$PREFS" 1
check "the main window opens after the reload" drive wait-window "Kestrune v2.01" 30000
expect_eq "rfp saved" 'C:\Kestrune\kestrune_020404_v2.ks' "$(setting rfp)"
expect_eq "lfp saved" 'C:\Kestrune' "$(setting lfp)"
expect_eq "mtst written back as 0" "0" "$(setting mtst)"
expect_eq "ras saved" "1" "$(setting ras)"
run_entry=$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Kestrune 2>/dev/null |
    tr -d '\r' | sed -n 's/^ *Kestrune *REG_SZ *//p')
expect_eq "Run entry" '"C:\Kestrune\Kestrune.exe" /s' "$run_entry"

say "Preferences from the menu keeps the buttons; Cancel writes nothing"
drive menu "Kestrune v2.01" ID_SETTINGS_PREFERENCES
check "Preferences opens from the menu" drive wait-window "$PREFS"
expect_eq "buttons keep their state meanwhile" "visible=1 enabled=1" "$(drive state "Kestrune v2.01" IDC_SCAN)"
drive click "$PREFS" IDC_RUN_AT_STARTUP   # untick
drive click "$PREFS" 2
check "Preferences closes" drive wait-gone "$PREFS"
expect_eq "Cancel kept ras" "1" "$(setting ras)"
expect_eq "buttons enabled after Preferences" "visible=1 enabled=1" "$(drive state "Kestrune v2.01" IDC_UPDATE)"
drive menu "Kestrune v2.01" ID_SETTINGS_PREFERENCES
check "Preferences opens again" drive wait-window "$PREFS"
drive click "$PREFS" IDC_RUN_AT_STARTUP   # untick
drive click "$PREFS" 1
check "Preferences closes" drive wait-gone "$PREFS"
expect_eq "ras cleared" "0" "$(setting ras)"
check "Run entry removed" bash -c "! wine reg query 'HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run' /v Kestrune >/dev/null 2>&1"
drive menu "Kestrune v2.01" ID_FILE_EXIT
wait_exit "$pid" 20

say "damaged reference file, repaired by a download"
mkdir -p "$E2E_C/www/def"
printf 'not a reference file' > "$E2E_PROGRAM_DIR/damaged.ks"
set_setting rfp 'C:\Kestrune\damaged.ks'
cp "$KESTRUNE_BUILD/kestrune_020404_v2.ks" "$E2E_C/www/def/fresh.ks"
sign_release "$E2E_C/www/def" fresh.ks 1 "$(date -u -d '+1 day' +%F)"
printf '<html><body>fresh.ks</body></html>' > "$E2E_C/www/def/def_newv2.html"
serve_updates "$E2E_C/www"
start_kestrune
pid=$E2E_LAST_PID
expect_eq "damaged message" "Kestrune" "$(drive answer 'Reference file found damaged or corrupt.\n' OK 30000)"
check "Preferences opens" drive wait-window "$PREFS"
drive click "$PREFS" 2
expect_eq "download offer" "Kestrune" "$(drive answer "$OFFER" YES)"
check "the main window opens after the download" drive wait-window "Kestrune v2.01" 40000
expect_eq "rfp names the download" 'C:\Kestrune\fresh.ks' "$(setting rfp)"
expect_eq "df names the download" 'fresh.ks' "$(setting df)"
check "the damaged file is deleted" [ ! -e "$E2E_PROGRAM_DIR/damaged.ks" ]
drive menu "Kestrune v2.01" ID_FILE_EXIT
wait_exit "$pid" 20
check "the program ends" [ $? -ne 124 ]
e2e_finish
