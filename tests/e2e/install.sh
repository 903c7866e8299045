#!/usr/bin/env bash
# The packages as a user meets them: scripts/package packs the built programs,
# stripped and signed, into the portable zip and the signed installer; the
# installer, silent, puts the files, the Start-menu shortcut, the Add/Remove
# Programs entry and the event source in place; the installed program starts
# to its main window, and while it runs the uninstaller gives up. Installed
# again over settings that name a reference file that is gone, the installer
# names its own; interactive, it shows its branding and starts Kestrune from
# its last page. The uninstaller removes the program's files, shortcut, entry,
# event source and this copy's Run values, keeps the settings (silent), asks
# about them (interactive) or removes them (/REMOVESETTINGS), and never
# touches backups, logs or another copy's Run value.
source "$(dirname "$0")/lib/e2e.sh"
TITLE="Kestrune v2.01"
REMINDER='It is strongly recommended to update your protection to protect yourself again the latest parasites we detect\n Proceed with the upgrade?'
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrune'
EVENT_SOURCE='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Kestrune'
RUN_KEY='Software\Microsoft\Windows\CurrentVersion\Run'
DIR='C:\Program Files\Kestrune'
OURS="\"$DIR\\Kestrune.exe\" /s"
e2e_prefix
INST="$E2E_C/Program Files/Kestrune"
SHORTCUT="$E2E_C/ProgramData/Microsoft/Windows/Start Menu/Programs/Kestrune.lnk"
LOCAL="$E2E_C/users/$E2E_USER/AppData/Local/Kestrune"
cp "$KESTRUNE_BUILD/windriver.exe" "$E2E_C/tools/"

say "scripts/package"
packed=$(KESTRUNE_BUILD_DIR=$KESTRUNE_BUILD "$KESTRUNE_SOURCE/scripts/package" --no-build --out "$E2E_C/dist")
expect_eq "package prints its two files" \
    "$(printf '%s\n' "$E2E_C/dist/Kestrune-2.01-setup.exe" "$E2E_C/dist/Kestrune-2.01-portable.zip")" "$packed"
zip=$E2E_C/dist/Kestrune-2.01-portable.zip
expect_eq "portable zip holds the programs in one folder" \
    "$(printf '%s\n' Kestrune/ Kestrune/Kestrune.exe Kestrune/README.txt Kestrune/kestrune-cli.exe Kestrune/kestrune_020404_v2.ks)" \
    "$(unzip -Z1 "$zip" | LC_ALL=C sort)"
unzip -q "$zip" -d "$E2E_C/unzipped"
ZIPPED=$E2E_C/unzipped/Kestrune
# Signed with the development certificate, which only -CAfile makes trusted.
CERT=$KESTRUNE_SOURCE/data/keys/development-codesign-cert.pem
signed() { osslsigncode verify -CAfile "$CERT" "$1" >/dev/null 2>&1; }
check "installer signed" signed "$E2E_C/dist/Kestrune-2.01-setup.exe"
for exe in Kestrune.exe kestrune-cli.exe; do
    check "zipped $exe signed" signed "$ZIPPED/$exe"
    check "zipped $exe stripped" bash -c "i686-w64-mingw32-nm '$ZIPPED/$exe' 2>&1 | grep -q 'no symbols'"
done
cp "$ZIPPED/Kestrune.exe" "$E2E_C/changed.exe"
printf 'x' | dd of="$E2E_C/changed.exe" bs=1 seek=4096 conv=notrunc status=none
check "a changed byte breaks the signature" bash -c "! osslsigncode verify -CAfile '$CERT' '$E2E_C/changed.exe' >/dev/null 2>&1"
expect_eq "README names the version, Windows line ends" $'Kestrune 2.01\r' "$(unzip -p "$zip" Kestrune/README.txt | head -n 1)"

# Values of registry key KEY as "NAME TYPE DATA" lines, or nothing.
reg_values() {
    wine reg query "$1" 2>/dev/null | tr -d '\r' | sed -n 's/^    \(.*\)    \(REG_[A-Z_]*\)    \(.*\)$/\1 \2 \3/p'
}
install() {
    wine 'C:\dist\Kestrune-2.01-setup.exe' /S >/dev/null 2>&1
    check "silent install succeeds" [ $? -eq 0 ]
}
# The uninstaller with ARGS, waited for: "_?=" runs it in place instead of
# from a copy in the temporary folder, and must stand unquoted at the end.
uninstall_batch() {
    printf '"%s\\uninst.exe" %s _?=%s\r\n' "$DIR" "$1" "$DIR" > "$E2E_C/uninstall.bat"
}
uninstall() {   # uninstall ARGS
    uninstall_batch "$1"
    wine cmd /c 'C:\uninstall.bat' >/dev/null 2>&1
    check "uninstall $1 succeeds" [ $? -eq 0 ]
}
# What the uninstaller leaves in the program folder: the uninstaller itself
# (it cannot delete itself when run in place), the backups and the logs.
expect_left() {
    expect_eq "$1: program folder keeps only backups and logs" \
        "$(printf '%s\n' KestruneBackup KestruneBackup/1,2,2026_3,4,5.zip logs logs/log.txt uninst.exe)" \
        "$(cd "$INST" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort)"
    check "$1: shortcut gone" [ ! -e "$SHORTCUT" ]
    check "$1: Add/Remove Programs entry gone" bash -c "! wine reg query '$UNINSTALL_KEY' >/dev/null 2>&1"
    check "$1: event source gone" bash -c "! wine reg query '$EVENT_SOURCE' >/dev/null 2>&1"
    check "$1: the other folder of logs kept" [ -f "$LOCAL/logs/log.txt" ]
}
plant_user_files() {
    mkdir -p "$INST/KestruneBackup" "$INST/logs" "$LOCAL/logs"
    echo zip > "$INST/KestruneBackup/1,2,2026_3,4,5.zip"
    echo log > "$INST/logs/log.txt"
    echo log > "$LOCAL/logs/log.txt"
}

say "silent install"
install
expect_eq "installed files" \
    "$(printf '%s\n' Kestrune.exe README.txt kestrune-cli.exe kestrune_020404_v2.ks uninst.exe)" \
    "$(ls "$INST" | LC_ALL=C sort)"
check "installed Kestrune.exe is the zipped one" cmp -s "$INST/Kestrune.exe" "$ZIPPED/Kestrune.exe"
check "installed kestrune-cli.exe is the zipped one" cmp -s "$INST/kestrune-cli.exe" "$ZIPPED/kestrune-cli.exe"
check "uninstaller signed" signed "$INST/uninst.exe"
expect_eq "event source registered" "EventMessageFile REG_EXPAND_SZ $DIR\\Kestrune.exe
TypesSupported REG_DWORD 0x7" "$(reg_values "$EVENT_SOURCE")"
check "Start-menu shortcut to the program" grep -qa 'Kestrune\.exe' "$SHORTCUT"
entry=$(reg_values "$UNINSTALL_KEY")
expect_eq "Add/Remove Programs entry" "DisplayIcon REG_SZ $DIR\\Kestrune.exe,0
DisplayName REG_SZ Kestrune 2.01
DisplayVersion REG_SZ 2.01
InstallLocation REG_SZ $DIR
NoModify REG_DWORD 0x1
NoRepair REG_DWORD 0x1
Publisher REG_SZ Kestrune
QuietUninstallString REG_SZ \"$DIR\\uninst.exe\" /S
UninstallString REG_SZ \"$DIR\\uninst.exe\"" "$(echo "$entry" | grep -v '^EstimatedSize ')"
size=$(echo "$entry" | sed -n 's/^EstimatedSize REG_DWORD //p')
bytes=$(cat "$INST"/* | wc -c)
check "EstimatedSize is the installed KB ($((size)) for $bytes bytes)" [ $((size)) -eq $((bytes / 1024)) ]

say "the installed program"
(cd "$INST" && exec wine "$DIR\\Kestrune.exe") >/dev/null 2>&1 &
pid=$!
E2E_PIDS+=("$pid")
check "main window opens" drive wait-window "$TITLE" 30000
expect_eq "first-run reminder" "$TITLE" "$(drive answer "$REMINDER" NO 10000)"
expect_eq "settings name the program folder" "$DIR" "$(setting path)"
uninstall_batch /S
wine cmd /c 'C:\uninstall.bat' >/dev/null 2>&1
check "silent uninstall gives up while the program runs" [ $? -eq 2 ]
check "the program and its entry are still there" \
    bash -c "[ -f '$INST/Kestrune.exe' ] && wine reg query '$UNINSTALL_KEY' >/dev/null 2>&1"
drive menu "$TITLE" ID_FILE_EXIT
wait_exit "$pid" 20
check "program ends after Exit" [ $? -ne 124 ]

say "silent uninstall keeps the settings"
set_setting ras 1
wine reg add "HKCU\\$RUN_KEY" /v Kestrune /d "$OURS" /f >/dev/null 2>&1
wine reg add "HKLM\\$RUN_KEY" /v Kestrune /d "$OURS" /f >/dev/null 2>&1
plant_user_files
uninstall /S
expect_left "silent"
check "HKCU Run value gone" bash -c "! wine reg query 'HKCU\\$RUN_KEY' /v Kestrune >/dev/null 2>&1"
check "HKLM Run value gone" bash -c "! wine reg query 'HKLM\\$RUN_KEY' /v Kestrune >/dev/null 2>&1"
expect_eq "settings kept" "$DIR" "$(setting path)"
expect_eq "settings: Run entry off" "0" "$(setting ras)"

say "interactive install over settings of a copy that is gone"
set_setting rfp 'C:\Gone\Kestrune\kestrune_020404_v2.ks'
set_setting path 'C:\Gone\Kestrune'
wine 'C:\dist\Kestrune-2.01-setup.exe' >/dev/null 2>&1 &
E2E_PIDS+=("$!")
check "installer asks for the folder" drive wait-window "Kestrune 2.01 Setup: Installation Folder" 30000
expect_eq "branding line" "Kestrune 2.01" "$(drive text "Kestrune 2.01 Setup: Installation Folder" 1028 | sed 's/ *$//')"
drive click "Kestrune 2.01 Setup: Installation Folder" 1   # Install
check "installation completes" drive wait-window "Kestrune 2.01 Setup: Completed" 60000
drive click "Kestrune 2.01 Setup: Completed" 1   # Next
check "last page comes" drive wait-window "Kestrune 2.01 Setup: Finished" 20000
expect_eq "Start Kestrune offered, checked" "Start Kestrune 1" \
    "$(drive text "Kestrune 2.01 Setup: Finished" 1201) $(drive checked "Kestrune 2.01 Setup: Finished" 1201)"
expect_eq "install again over the kept folder" "Kestrune 2.01" "$(reg_values "$UNINSTALL_KEY" | sed -n 's/^DisplayName REG_SZ //p')"
expect_eq "settings name the installed reference file" "$DIR\\kestrune_020404_v2.ks" "$(setting rfp)"
expect_eq "settings name the program folder again" "$DIR" "$(setting path)"
drive click "Kestrune 2.01 Setup: Finished" 1   # Finish
check "Finish starts Kestrune, without a question" drive wait-window "$TITLE" 30000
drive menu "$TITLE" ID_FILE_EXIT
check "started Kestrune ends after Exit" drive wait-gone "$TITLE" 20000

say "interactive uninstall, settings removed on Yes"
other='"C:\Tools\Kestrune\Kestrune.exe" /s'
wine reg add "HKCU\\$RUN_KEY" /v Kestrune /d "$other" /f >/dev/null 2>&1
uninstall_batch ""
wine cmd /c 'C:\uninstall.bat' >/dev/null 2>&1 &
uninstaller=$!
E2E_PIDS+=("$uninstaller")
check "uninstaller asks to confirm" drive wait-window "Kestrune 2.01 Uninstall: Confirmation" 30000
drive click "Kestrune 2.01 Uninstall: Confirmation" 1   # Uninstall
question="Remove Kestrune's settings (HKEY_CURRENT_USER\\SOFTWARE\\Kestrune) too?"$'\n\n'"Your backups and logs are \
not removed: they stay in $DIR\\KestruneBackup, in $DIR\\logs and in C:\\users\\$E2E_USER\\AppData\\Local\\Kestrune."
expect_eq "question about the settings names where backups and logs stay" "Kestrune 2.01 Uninstall" \
    "$(drive answer "${question//\\/\\\\}" YES 20000)"
check "uninstaller completes" drive wait-window "Kestrune 2.01 Uninstall: Completed" 20000
drive click "Kestrune 2.01 Uninstall: Completed" 1   # Close
wait_exit "$uninstaller" 20
check "uninstaller ends after Close" [ $? -ne 124 ]
expect_left "interactive"
expect_eq "another copy's Run value kept" "Kestrune REG_SZ $other" "$(reg_values "HKCU\\$RUN_KEY" | grep '^Kestrune ')"
check "settings removed" bash -c "! wine reg query 'HKCU\\SOFTWARE\\Kestrune' >/dev/null 2>&1"

say "silent uninstall with /REMOVESETTINGS"
mine='C:\Tools\mine.ks'
mkdir -p "$E2E_C/Tools" && echo defs > "$E2E_C/Tools/mine.ks"
set_setting rfp "$mine"
install
expect_eq "settings that name a file that exists keep it" "$mine" "$(setting rfp)"
set_setting path "$DIR"
uninstall "/S /REMOVESETTINGS"
expect_left "/REMOVESETTINGS"
check "settings removed" bash -c "! wine reg query 'HKCU\\SOFTWARE\\Kestrune' >/dev/null 2>&1"
e2e_finish
