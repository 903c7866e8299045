#!/usr/bin/env bash
# The update as a user meets it, against a stock static web server that
# serves a folder laid out by "kestrune-cli publish": the first-run reminder
# downloads the announced file, switches "rfp" and "df" and deletes the old
# file; the same name again asks first; a file that is not a reference file,
# a hostile name and a server that is gone change nothing and say so.
source "$(dirname "$0")/lib/e2e.sh"
e2e_prefix
e2e_install_window_program
MAIN="Kestrune v2.01"
www=$E2E_C/www
incoming=$E2E_C/incoming
mkdir -p "$incoming"
cp "$KESTRUNE_BUILD/kestrune-cli.exe" "$E2E_C/tools/"

cat > "$incoming/markup.xml" <<'XML'
<?xml version="1.0" encoding="windows-1252"?>
<KS>
  <SW NAME="Update One"><DANGER_LEVEL>1</DANGER_LEVEL><DESCRIPTION>first</DESCRIPTION></SW>
  <SW NAME="Update Two"><DANGER_LEVEL>2</DANGER_LEVEL><DESCRIPTION>second</DESCRIPTION></SW>
</KS>
XML
python3 "$KESTRUNE_SOURCE/scripts/scramble.py" "$incoming/markup.xml" "$incoming/Kestrune_0601_V3.KS"
out=$(wine 'C:\tools\kestrune-cli.exe' publish --root 'C:\www' 'C:\incoming\Kestrune_0601_V3.KS' 2>&1 | tr -d '\r')
echo "    $out"
check "publish copies the file under its lower-case name" [ -f "$www/def/kestrune_0601_v3.ks" ]
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
drive click "$MAIN" IDC_UPDATE
expect_eq "failure is reported" "Kestrune" \
    "$(drive answer 'The reference file could not be downloaded, or the downloaded file is not a valid reference file.\nThe reference file in use has not been changed.' OK 20000)"
expect_eq "rfp kept" 'C:\Kestrune\kestrune_0601_v3.ks' "$(setting rfp)"
expect_eq "df kept" 'kestrune_0601_v3.ks' "$(setting df)"
check "the file in use is kept" [ -f "$E2E_PROGRAM_DIR/kestrune_0601_v3.ks" ]
check "nothing of the broken download is left" bash -c "! ls '$E2E_PROGRAM_DIR' | grep -q broken"

say "a hostile name"
printf '<html><body>..\\..\\windows\\evil.ks</body></html>' > "$www/def/def_newv2.html"
drive click "$MAIN" IDC_UPDATE
expect_eq "the name is refused, caption" "Error" \
    "$(drive answer 'The update server named an invalid reference file. Nothing was downloaded.' OK 10000)"
check "nothing was written outside the program folder" [ ! -e "$E2E_C/windows/evil.ks" ]

say "the server is gone"
kill "$server"; wait "$server" 2>/dev/null
drive click "$MAIN" IDC_UPDATE
expect_eq "connection error, caption" "Error" \
    "$(drive answer 'Error Connecting to Kestrune server , Please be sure you are connected to the internet and that no firewall is active that might be preventing Kestrune from accessing the internet.' OK 20000)"
expect_eq "buttons enabled after the failed check" "visible=1 enabled=1" "$(drive state "$MAIN" IDC_SCAN)"
grep -c 'GET /def/' "$E2E_WORK/http.log" | sed 's/^/    requests served: /'
drive menu "$MAIN" ID_FILE_EXIT
wait_exit "$pid" 20
check "the program ends" [ $? -ne 124 ]
e2e_finish
