#!/usr/bin/env bash
# The update as a user meets it, against a stock static web server that
# serves a folder laid out by "kestrune-cli publish": the first-run reminder
# downloads the announced file, switches "rfp" and "df" and deletes the old
# file; the same name again asks first; a file that is not a reference file,
# one whose signature is not the built-in key's, hostile names, a replayed
# older release and an expired release statement change nothing and say so;
# a reference file outside the download folder is never deleted. A server
# that never answers or is gone: update_unreachable.sh.
source "$(dirname "$0")/lib/e2e.sh"
e2e_prefix
e2e_install_window_program
MAIN="Kestrune v2.01"
www=$E2E_C/www
incoming=$E2E_C/incoming
mkdir -p "$incoming"
cp "$KESTRUNE_BUILD/kestrune-cli.exe" "$E2E_C/tools/"
cp "$KESTRUNE_BUILD/kestrune-cli.exe" "$E2E_PROGRAM_DIR/"

cat > "$incoming/markup.xml" <<'XML'
<?xml version="1.0" encoding="windows-1252"?>
<KS>
  <SW NAME="Update One"><DANGER_LEVEL>1</DANGER_LEVEL><DESCRIPTION>first</DESCRIPTION></SW>
  <SW NAME="Update Two"><DANGER_LEVEL>2</DANGER_LEVEL><DESCRIPTION>second</DESCRIPTION></SW>
</KS>
XML
python3 "$KESTRUNE_SOURCE/scripts/scramble.py" "$incoming/markup.xml" "$incoming/Kestrune_0601_V3.KS"
sed 's/second/older/' "$incoming/markup.xml" > "$incoming/older.xml"
python3 "$KESTRUNE_SOURCE/scripts/scramble.py" "$incoming/older.xml" "$incoming/kestrune_0500.ks"
sed 's/second/third/' "$incoming/markup.xml" > "$incoming/third.xml"
python3 "$KESTRUNE_SOURCE/scripts/scramble.py" "$incoming/third.xml" "$incoming/kestrune_0700.ks"
mkdir -p "$E2E_C/keys"
cp "$KESTRUNE_SOURCE/data/keys/development-private.pem" "$E2E_C/keys/"
program_hashes() { (cd "$E2E_PROGRAM_DIR" && find . -maxdepth 1 -type f -exec sha256sum {} + | sort -k2); }
out=$(wine 'C:\tools\kestrune-cli.exe' publish --root 'C:\www' 'C:\incoming\Kestrune_0601_V3.KS' 2>&1 | tr -d '\r')
echo "    $out"
check "publish without --key warns that nothing is signed" grep -q "no signature written" <<<"$out"
check "publish without --key writes no signature" [ ! -e "$www/def/kestrune_0601_v3.ks.sig" ]
# An older release, published and kept for the replay below.
wine 'C:\tools\kestrune-cli.exe' publish --root 'C:\www' --key 'C:\keys\development-private.pem' \
    'C:\incoming\kestrune_0500.ks' >/dev/null 2>&1
mkdir -p "$E2E_WORK/replay"
cp "$www/def/kestrune_0500.ks" "$www/def/kestrune_0500.ks.sig" "$www/def/release.txt" \
    "$www/def/release.txt.sig" "$E2E_WORK/replay/"
older_serial=$(sed -n 's/^serial=//p' "$www/def/release.txt")
out=$(wine 'C:\tools\kestrune-cli.exe' publish --root 'C:\www' --key 'C:\keys\development-private.pem' \
    'C:\incoming\Kestrune_0601_V3.KS' 2>&1 | tr -d '\r')
echo "    $out"
check "publish copies the file under its lower-case name" [ -f "$www/def/kestrune_0601_v3.ks" ]
check "openssl accepts publish's signature" openssl dgst -sha256 \
    -verify "$KESTRUNE_SOURCE/data/keys/development-public.pem" \
    -signature "$www/def/kestrune_0601_v3.ks.sig" "$www/def/kestrune_0601_v3.ks"
check "openssl accepts the release statement's signature" openssl dgst -sha256 \
    -verify "$KESTRUNE_SOURCE/data/keys/development-public.pem" \
    -signature "$www/def/release.txt.sig" "$www/def/release.txt"
serial=$(sed -n 's/^serial=//p' "$www/def/release.txt")
check "the serial grows with each publication ($older_serial, then $serial)" [ "$serial" -gt "$older_serial" ]
expect_eq "the release statement names the file, its hash and size, the serial, 90 days" \
    "$(printf 'name=kestrune_0601_v3.ks\nsha256=%s\nsize=%s\nserial=%s\nexpires=%s' \
        "$(sha256sum "$www/def/kestrune_0601_v3.ks" | cut -d' ' -f1)" \
        "$(stat -c %s "$www/def/kestrune_0601_v3.ks")" "$serial" \
        "$(date -u -d '+90 days' +%F)")" "$(cat "$www/def/release.txt")"
verify() { wine 'C:\tools\kestrune-cli.exe' defs verify "$@" >/dev/null 2>&1; echo $?; }
expect_eq "defs verify: good with the built-in key" 0 \
    "$(verify 'C:\www\def\kestrune_0601_v3.ks' 'C:\www\def\kestrune_0601_v3.ks.sig')"
expect_eq "defs verify: another file is bad" 1 \
    "$(verify 'C:\incoming\markup.xml' 'C:\www\def\kestrune_0601_v3.ks.sig')"
expect_eq "defs verify: a private key is no public key" 2 \
    "$(verify 'C:\www\def\kestrune_0601_v3.ks' 'C:\www\def\kestrune_0601_v3.ks.sig' --key 'C:\keys\development-private.pem')"
expect_eq "publish writes the version page" "<html><body>kestrune_0601_v3.ks</body></html>" \
    "$(cat "$www/def/def_newv2.html")"
check "publish refuses a file that is not a reference file" \
    bash -c "! wine 'C:\\tools\\kestrune-cli.exe' publish --root 'C:\\www' 'C:\\incoming\\markup.xml' >/dev/null 2>&1"

serve_updates "$www" "$E2E_WORK/http.log"
server=$E2E_SERVER_PID

say "first run: the reminder's Yes downloads the new file"
start_kestrune
pid=$E2E_LAST_PID
check "main window opens" drive wait-window "$MAIN" 30000
drive answer 'It is strongly recommended to update your protection to protect yourself again the latest parasites we detect\n Proceed with the upgrade?' YES 10000 >/dev/null
progress=$(drive watch-text IDC_PROGRESS_TEXT 20000)
echo "$progress" | sed 's/^/    /'
expect_eq "check phase shows its text" "Checking for updates..." "$(echo "$progress" | head -n 1 | cut -f2)"
progress=$(drive watch-text IDC_PROGRESS_TEXT 20000)
expect_eq "download phase shows its text" "Downloading reference file..." "$(echo "$progress" | head -n 1 | cut -f2)"
loading=$(drive watch-text IDC_PROGRESS_TEXT 20000)
expect_eq "the reload runs the loading texts" "Definitions loaded successfully." \
    "$(echo "$loading" | grep -v '(gone)' | tail -n 1 | cut -f2)"
drive wait-text "$MAIN" IDC_SCAN "SCAN MY PC" >/dev/null
expect_eq "rfp switched" 'C:\Kestrune\kestrune_0601_v3.ks' "$(setting rfp)"
expect_eq "df switched" 'kestrune_0601_v3.ks' "$(setting df)"
expect_eq "the release's serial is kept" "$serial" "$(setting rsn)"
check "the downloaded file is in the program folder" [ -f "$E2E_PROGRAM_DIR/kestrune_0601_v3.ks" ]
check "the old reference file is deleted" [ ! -e "$E2E_PROGRAM_DIR/kestrune_020404_v2.ks" ]
check "no temporary download is left" bash -c "! ls '$E2E_PROGRAM_DIR' | grep -q '\\.download$'"
waited=$(drive wait-state "$MAIN" IDC_UPDATE "visible=1 enabled=1" 10000)
check "buttons enabled again (after $waited ms)" [ -n "$waited" ]
drive state "$MAIN" IDC_RESULT_LIST | sed 's/^/    list: /' 

say "the same name again: asked first, No changes nothing"
drive click "$MAIN" IDC_UPDATE
expect_eq "already-updated question, caption" "Alert" \
    "$(drive answer 'Your reference file is already updated!\nDo you still want to download the latest file?' NO 10000)"

say "a file that is not a reference file"
printf 'garbage' > "$www/def/broken.ks"
printf '<HTML><BODY>  Broken.KS  </BODY></HTML>' > "$www/def/def_newv2.html"
sign_release "$www/def" broken.ks $((serial + 1)) "$(date -u -d '+1 day' +%F)"
drive click "$MAIN" IDC_UPDATE
expect_eq "failure is reported" "Kestrune" \
    "$(drive answer 'The reference file could not be downloaded, or the downloaded file is not a valid reference file.\nThe reference file in use has not been changed.' OK 20000)"
expect_eq "rfp kept" 'C:\Kestrune\kestrune_0601_v3.ks' "$(setting rfp)"
expect_eq "df kept" 'kestrune_0601_v3.ks' "$(setting df)"
check "the file in use is kept" [ -f "$E2E_PROGRAM_DIR/kestrune_0601_v3.ks" ]
check "nothing of the broken download is left" bash -c "! ls '$E2E_PROGRAM_DIR' | grep -q broken"

say "a reference file with another file's signature"
cp "$incoming/Kestrune_0601_V3.KS" "$www/def/forged.ks"
printf '\n' >> "$www/def/forged.ks"
cp "$www/def/kestrune_0601_v3.ks.sig" "$www/def/forged.ks.sig"
printf '<html><body>forged.ks</body></html>' > "$www/def/def_newv2.html"
drive click "$MAIN" IDC_UPDATE
expect_eq "the refusal is reported" "Kestrune" \
    "$(drive answer "The update was refused because the reference file's signature is missing or wrong.\nThe reference file in use has not been changed." OK 20000)"
expect_eq "rfp kept after the refusal" 'C:\Kestrune\kestrune_0601_v3.ks' "$(setting rfp)"
check "nothing of the refused download is left" bash -c "! ls '$E2E_PROGRAM_DIR' | grep -qi forged"

say "hostile names"
cp "$www/def/kestrune_0601_v3.ks" "$www/def/kestrune-cli.exe"
cp "$www/def/kestrune_0601_v3.ks.sig" "$www/def/kestrune-cli.exe.sig"
before=$(program_hashes)
for name in 'kestrune-cli.exe' '..\..\windows\evil.ks' 'C:\x.ks' 'name.exe'; do
    printf '<html><body>%s</body></html>' "$name" > "$www/def/def_newv2.html"
    drive click "$MAIN" IDC_UPDATE
    expect_eq "$name is refused, caption" "Error" \
        "$(drive answer 'The update server named an invalid reference file. Nothing was downloaded.' OK 10000)"
done
expect_eq "the program folder is unchanged (hashes)" "$before" "$(program_hashes)"
expect_eq "rfp kept after the hostile names" 'C:\Kestrune\kestrune_0601_v3.ks' "$(setting rfp)"
check "nothing was written outside the program folder" [ ! -e "$E2E_C/windows/evil.ks" ]
check "nothing was written at the drive's root" [ ! -e "$E2E_C/x.ks" ]

say "a replayed older release"
cp "$E2E_WORK"/replay/* "$www/def/"
printf '<html><body>kestrune_0500.ks</body></html>' > "$www/def/def_newv2.html"
drive click "$MAIN" IDC_UPDATE
expect_eq "the replay is refused" "Kestrune" \
    "$(drive answer 'The update was refused because the server offers an older release than the one installed.\nThe reference file in use has not been changed.' OK 20000)"
expect_eq "the program folder is unchanged after the replay" "$before" "$(program_hashes)"
expect_eq "rfp and serial kept after the replay" "C:\Kestrune\kestrune_0601_v3.ks $serial" \
    "$(setting rfp) $(setting rsn)"

say "an expired release statement"
cp "$incoming/kestrune_0700.ks" "$www/def/kestrune_0700.ks"
sign_release "$www/def" kestrune_0700.ks $((serial + 5)) "$(date -u -d yesterday +%F)"
printf '<html><body>kestrune_0700.ks</body></html>' > "$www/def/def_newv2.html"
drive click "$MAIN" IDC_UPDATE
expect_eq "the expired statement is refused" "Kestrune" \
    "$(drive answer "The update was refused because the server's release statement has expired.\nThe reference file in use has not been changed." OK 20000)"
expect_eq "the program folder is unchanged after the expired statement" "$before" "$(program_hashes)"

say "rfp outside the download folder is replaced in the settings, never deleted"
taskmgr=$E2E_C/windows/system32/taskmgr.exe
taskmgr_hash=$(sha256sum "$taskmgr" | cut -d' ' -f1)
set_setting rfp 'C:\windows\system32\taskmgr.exe'
wine 'C:\tools\kestrune-cli.exe' publish --root 'C:\www' --key 'C:\keys\development-private.pem' \
    'C:\incoming\kestrune_0700.ks' >/dev/null 2>&1
drive click "$MAIN" IDC_UPDATE
for ((i = 0; i < 300; i++)); do [ "$(setting rfp)" = 'C:\Kestrune\kestrune_0700.ks' ] && break; sleep 0.1; done
drive wait-state "$MAIN" IDC_UPDATE "visible=1 enabled=1" 30000 >/dev/null
expect_eq "rfp names the new file" 'C:\Kestrune\kestrune_0700.ks' "$(setting rfp)"
expect_eq "taskmgr.exe is still there, unchanged" "$taskmgr_hash" "$(sha256sum "$taskmgr" | cut -d' ' -f1)"
check "the file in the download folder before stays too (rfp did not name it)" \
    [ -f "$E2E_PROGRAM_DIR/kestrune_0601_v3.ks" ]

kill "$server"; wait "$server" 2>/dev/null
drive menu "$MAIN" ID_FILE_EXIT
wait_exit "$pid" 20
check "the program ends" [ $? -ne 124 ]
e2e_finish
