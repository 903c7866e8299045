#!/usr/bin/env bash
# kestrune-cli scan: the lines of a full scan and of a folder scan, progress
# and --quiet, the definitions of the settings (or beside the tool without
# settings), protected places passed over,
# the same scans as JSON documents, the ignore list and the scan report, and
# the exit codes, run as a user would in a throw-away Wine prefix set up
# with parasites to find.
source "$(dirname "$0")/lib/e2e.sh"
e2e_prefix
plant_scan_machine
# Planted's real items beside the places Greedy names, and the settings'
# reference file.
mkdir -p "$E2E_C/kestrune-e2e/Sandbox/PlantedData" "$E2E_C/kestrune-e2e/Sandbox/inner"
: > "$E2E_C/kestrune-e2e/Sandbox/planted.dll"
: > "$E2E_C/kestrune-e2e/Sandbox/svchost.exe"
set_registry <<'REG'
[HKEY_CURRENT_USER\Software\KestruneE2E\Planted]

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run]
"KestruneE2E"="planted.exe"

[HKEY_CURRENT_USER\Software\Kestrune]
"rfp"="C:\\kestrune\\defs.ks"
REG

w=$E2E_WORK
pack_definitions "$w/defs.ks" scan.xml
pack_definitions "$w/greedy.ks" scan-greedy.xml
pack_definitions "$w/clean.ks" nothing.xml
scramble "$E2E_DATA/broken.xml" "$w/broken.ks"
printf '<KS></KS>' > "$w/empty.xml" && scramble "$w/empty.xml" "$w/empty.ks"
e2e_install_cli "$w/defs.ks" "$w/clean.ks" "$w/broken.ks" "$w/greedy.ks" "$w/empty.ks"

# Without settings a scan takes the newest reference file beside the tool
# (clean.ks); a copy of the tool in a folder without one has none to take.
touch -d 2020-01-01 "$E2E_CLI_DIR"/*.ks
touch -d 2021-01-01 "$E2E_CLI_DIR/clean.ks"
mkdir -p "$E2E_C/bare" && cp "$E2E_CLI_DIR/kestrune-cli.exe" "$E2E_C/bare/"

start=$(date +%s.%N)
run_batch run <<'BAT'
@echo off
kestrune-cli.exe scan --quiet > full.out 2> full.err
echo full=%ERRORLEVEL%> codes.txt
kestrune-cli.exe scan --quiet --json > full.json 2> fulljson.err
echo fulljson=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe scan --definitions defs.ks > progress.out 2> progress.err
echo progress=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe scan --folder C:\kestrune-e2e --definitions C:\kestrune\defs.ks --quiet > folder.out 2> folder.err
echo folder=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe scan --folder C:\kestrune-e2e\one --quiet > folderclean.out
echo folderclean=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe scan --definitions clean.ks --quiet > clean.out 2> clean.err
echo clean=%ERRORLEVEL%>> codes.txt
set KESTRUNE_ASSUME_NOT_ADMIN=1
kestrune-cli.exe scan --definitions clean.ks --quiet > notadmin.out 2> notadmin.err
echo notadmin=%ERRORLEVEL%>> codes.txt
set KESTRUNE_ASSUME_NOT_ADMIN=
kestrune-cli.exe scan --definitions greedy.ks --quiet --json > greedy.json 2> greedy.err
echo greedy=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe scan --definitions missing.ks > missing.out 2> missing.err
echo missing=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe scan --definitions broken.ks > broken.out 2> broken.err
echo broken=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe scan --definitions empty.ks > empty.out 2> empty.err
echo empty=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe scan --bogus > bogus.out 2> bogus.err
echo bogus=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe scan --definitions > novalue.out 2> novalue.err
echo novalue=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe scan --quiet --quiet > twice.out 2> twice.err
echo twice=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe scan --folder C:\no-such-folder > nofolder.out 2> nofolder.err
echo nofolder=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe scan --folder C:\kestrune-e2e\alpha.dll > filefolder.out 2> filefolder.err
echo filefolder=%ERRORLEVEL%>> codes.txt
reg delete HKCU\SOFTWARE\Kestrune /f > nul 2>&1
kestrune-cli.exe scan --folder C:\kestrune-e2e\one --quiet --json > beside.json 2> beside.err
echo beside=%ERRORLEVEL%>> codes.txt
reg query HKCU\SOFTWARE\Kestrune > nul 2>&1
echo settingsafter=%ERRORLEVEL%>> codes.txt
C:\bare\kestrune-cli.exe scan --quiet > nosettings.out 2> nosettings.err
echo nosettings=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe --help > help.out
echo help=%ERRORLEVEL%>> codes.txt
BAT
end=$(date +%s.%N)
o=$E2E_CLI_DIR
codes=$(tr -d '\r' < "$o/codes.txt" | tr '\n' ' ')
expect_eq "a reference file without a parasite is refused" "kestrune-cli: the reference file holds no parasites: empty.ks" "$(tr -d '\r' < "$o/empty.err" | grep 'holds no')"
expect_eq "exit codes" "full=1 fulljson=1 progress=1 folder=1 folderclean=0 clean=0 notadmin=0 greedy=1 missing=2 broken=2 empty=2 bogus=2 novalue=2 twice=2 nofolder=2 filefolder=2 beside=0 settingsafter=1 nosettings=2 help=0 " "$codes"

# A full scan's lines, in the order of the phases: keys (through the hive
# fallback, shown as defined), values, cookies, files and folders at their
# places, then the drive search. The cookie file matches both the cookie item
# (blanks removed) and the one named after the parasite.
T=$'\t'
expected="Alpha${T}HKLM\\Software\\KestruneE2E\\Alpha${T}RegKey${T}Severe
Alpha${T}HKEY_CURRENT_USER\\Software\\KestruneE2E : Run${T}RegValue${T}Severe
Alpha${T}alpha track${T}Cookie${T}Severe
Alpha${T}Alpha${T}Cookie${T}Severe
Alpha${T}C:\\kestrune-e2e\\alpha.dll${T}File${T}Severe
Alpha${T}C:\\kestrune-e2e\\AlphaData${T}Folder${T}Severe"
expect_eq "full scan: placed finds" "$expected" "$(head -n 6 "$o/full.out")"
drive=$(tail -n +7 "$o/full.out" | LC_ALL=C sort)
expected_drive="Beta${T}C:\\kestrune-e2e\\deep\\BetaCache${T}Folder${T}
Delta${T}C:\\kestrune-e2e\\one\\twice.dat${T}File${T}Dangerous
Delta${T}C:\\kestrune-e2e\\two\\twice.dat${T}File${T}Dangerous"
expect_eq "full scan: drive search finds" "$expected_drive" "$drive"
expect_eq "full scan: --quiet writes nothing on stderr" "" "$(cat "$o/full.err")"
expect_eq "same lines with --definitions" "$(cat "$o/full.out")" "$(cat "$o/progress.out")"
# The same scan as one JSON document: its fields in their order, the finds
# as the lines have them, the whole tree counted, times in ISO 8601.
expect_eq "json: fields" "tool version definitions folder started ended failure itemsScanned finds protected unreadable ignored exitCode" \
    "$(json_query "$o/full.json" '" ".join(d)')"
expect_eq "json: run" "kestrune-cli 2.01 C:\kestrune\defs.ks settings 4 None None True 0 1" \
    "$(json_query "$o/full.json" '" ".join(map(str, (d["tool"], d["version"], d["definitions"]["file"], d["definitions"]["from"], d["definitions"]["parasites"], d["folder"], d["failure"], d["itemsScanned"] > 40000, d["ignored"], d["exitCode"])))')"
expect_eq "json: finds as the lines" "$(cat "$o/full.out")" \
    "$(json_query "$o/full.json" '["\t".join((f["parasite"], f["location"], f["kind"], f["danger"])) for f in d["finds"]]')"
expect_eq "json: times" "True" "$(json_query "$o/full.json" 'all(re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d", t) for t in (d["started"], d["ended"]))')"
expect_eq "json: nothing on stderr with --quiet" "" "$(cat "$o/fulljson.err")"

# Progress: "[phase] N items scanned: path" lines, at most ten a second,
# then the end line.
last=$(tail -n 1 "$o/progress.err" | tr -d '\r')
case "$last" in
    "Scan Completed: "*" items scanned, 9 found") say "ok: progress end line" ;;
    *) fail "progress end line: [$last]" ;;
esac
lines=$(($(wc -l < "$o/progress.err") - 1))
bad=$(head -n -1 "$o/progress.err" | grep -cvE '^\[(registry keys|registry values|cookies|files|folders|drive search)\] [0-9]+ items scanned: ' || true)
expect_eq "progress lines are well formed" "0" "$bad"
elapsed=$(echo "$end - $start" | bc)
expect_eq "progress: $lines lines in under ${elapsed}s" 1 "$(echo "$lines >= 1 && $lines <= $elapsed * 10 + 1" | bc)"

# The folder scan reports items at their defined places only.
expected_folder=$(printf 'Alpha\tC:\\kestrune-e2e\\AlphaData\tFolder\tSevere\nAlpha\tC:\\kestrune-e2e\\alpha.dll\tFile\tSevere')
expect_eq "folder scan lines" "$expected_folder" "$(LC_ALL=C sort "$o/folder.out")"
expect_eq "folder scan: nothing at a defined place" "" "$(cat "$o/folderclean.out")"
expect_eq "clean scan prints nothing" "" "$(cat "$o/clean.out" "$o/clean.err")"
expect_eq "without administrator rights: said once on stderr" \
    "kestrune-cli: running without administrator rights; items under HKEY_LOCAL_MACHINE and Program Files may not be removable" \
    "$(cat "$o/notadmin.out"; tr -d '\r' < "$o/notadmin.err")"

# Protected places are never listed; each is named on standard error, also
# with --quiet, and the svchost.exe met in System32 (by the Windows folder's
# walk and again by drive C:'s) once. In a 64-bit prefix SysWOW64's copies
# are looked at, and named, too.
# The 32-bit view's copy of Winlogon's Shell is protected as the 64-bit one.
wow_kernel="" wow_svchost="" wow_shell="" skip_lines=10
if [ -d "$E2E_C/windows/syswow64" ]; then
    wow_kernel=$'\nprotected: C:\\windows\\syswow64\\kernel32.dll (file of Greedy) is never touched'
    wow_svchost=$'\nprotected: C:\\windows\\syswow64\\svchost.exe (file of Planted) is never touched'
    wow_shell=$'\nprotected: HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon : Shell (value of Greedy) is never touched'
    skip_lines=12
fi
expected_greedy="Planted${T}HKEY_CURRENT_USER\\Software\\KestruneE2E\\Planted${T}RegKey${T}
Planted${T}HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run : KestruneE2E${T}RegValue${T}
Planted${T}C:\\kestrune-e2e\\Sandbox\\planted.dll${T}File${T}
Planted${T}C:\\kestrune-e2e\\Sandbox\\PlantedData${T}Folder${T}
Planted${T}C:\\kestrune-e2e\\Sandbox\\svchost.exe${T}File${T}"
expect_eq "protected places: only the real items" "$expected_greedy" \
    "$(json_query "$o/greedy.json" '["\t".join((f["parasite"], f["location"], f["kind"], f["danger"])) for f in d["finds"]]')"
expected_skips="protected: HKEY_CURRENT_USER\\Software\\Microsoft (key of Greedy) is never touched
protected: HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run (key of Greedy) is never touched
protected: HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon : Shell (value of Greedy) is never touched$wow_shell
refused: . (cookie of Greedy) is not a plain path or name and is never looked for
protected: C:\\windows\\system32\\kernel32.dll (file of Greedy) is never touched$wow_kernel
protected: C:\\windows\\explorer.exe (file of Greedy) is never touched
refused: C:\\kestrune-e2e\\Sandbox\\inner\\..\\planted.dll (file of Greedy) is not a plain path or name and is never looked for
protected: C:\\windows (folder of Greedy) is never touched
protected: C:\\Program Files (folder of Greedy) is never touched
protected: C:\\users\\$(id -un)\\Documents (folder of Greedy) is never touched"
expect_eq "protected places: named in order" "$expected_skips" "$(tr -d '\r' < "$o/greedy.err" | head -n $skip_lines)"
searched_skips="protected: C:\\windows\\system32\\services.exe (file of Greedy) is never touched
protected: C:\\windows\\system32\\svchost.exe (file of Planted) is never touched$wow_svchost"
expect_eq "protected places met by the drive search" "$searched_skips" \
    "$(tr -d '\r' < "$o/greedy.err" | tail -n +$((skip_lines + 1)) | LC_ALL=C sort)"
expect_eq "protected places in the JSON document, as on stderr" "$(tr -d '\r' < "$o/greedy.err")" \
    "$(json_query "$o/greedy.json" '["%s: %s (%s of %s) is %s" % (p["reason"], p["location"], {"RegKey": "key", "RegValue": "value"}.get(p["kind"], p["kind"].lower()), p["parasite"], "never touched" if p["reason"] == "protected" else "not a plain path or name and is never looked for") for p in d["protected"]]')"

for f in missing broken bogus novalue twice nofolder filefolder nosettings; do
    expect_eq "$f: nothing on stdout" "" "$(cat "$o/$f.out")"
    check "$f: an error message" grep -q '^kestrune-cli: ' "$o/$f.err"
done
expect_eq "no settings: the newest reference file beside the tool, named" \
    "C:\\kestrune\\clean.ks program folder|kestrune-cli: the settings name no reference file; using C:\\kestrune\\clean.ks from the tool's folder" \
    "$(json_query "$o/beside.json" 'd["definitions"]["file"] + " " + d["definitions"]["from"]')|$(tr -d '\r' < "$o/beside.err")"
check "none beside the tool: the places looked in are named" grep -qF 'HKEY_CURRENT_USER\SOFTWARE\Kestrune rfp) name none and C:\bare\ holds no *.ks' "$o/nosettings.err"
check "help names scan" grep -q 'scan \[--definitions FILE\] \[--folder DIR\] \[--quiet\]' "$o/help.out"

# The ignore list: entries in any case keep Alpha's two finds of the folder
# scan out (exit 0, counted on stderr, in the JSON document and the report)
# until --no-ignore or their removal; the argument errors.
run_batch ignore <<'BAT'
@echo off
kestrune-cli.exe ignore --add file C:\KESTRUNE-E2E\alpha.dll > add.out
echo add=%ERRORLEVEL%> ignorecodes.txt
kestrune-cli.exe ignore --add FOLDER c:\kestrune-e2e\alphadata >> add.out
echo add=%ERRORLEVEL%>> ignorecodes.txt
kestrune-cli.exe ignore --add File C:\kestrune-e2e\ALPHA.dll >> add.out
echo again=%ERRORLEVEL%>> ignorecodes.txt
kestrune-cli.exe ignore --list > list.out
echo list=%ERRORLEVEL%>> ignorecodes.txt
kestrune-cli.exe scan --folder C:\kestrune-e2e --definitions defs.ks --quiet --json --report C:\kestrune\report.txt > ignored.json 2> ignored.err
echo ignored=%ERRORLEVEL%>> ignorecodes.txt
kestrune-cli.exe scan --folder C:\kestrune-e2e --definitions defs.ks --quiet --no-ignore > noignore.out
echo noignore=%ERRORLEVEL%>> ignorecodes.txt
kestrune-cli.exe ignore --remove file c:\kestrune-e2e\ALPHA.DLL > remove.out
echo remove=%ERRORLEVEL%>> ignorecodes.txt
kestrune-cli.exe ignore --remove file c:\kestrune-e2e\ALPHA.DLL > remove.out 2> remove.err
echo removeagain=%ERRORLEVEL%>> ignorecodes.txt
kestrune-cli.exe scan --folder C:\kestrune-e2e --definitions defs.ks --quiet > back.out 2> back.err
echo back=%ERRORLEVEL%>> ignorecodes.txt
kestrune-cli.exe ignore --add thing x 2> bad.err
echo badkind=%ERRORLEVEL%>> ignorecodes.txt
kestrune-cli.exe ignore 2>> bad.err
echo nooption=%ERRORLEVEL%>> ignorecodes.txt
kestrune-cli.exe ignore --list File 2>> bad.err
echo listkind=%ERRORLEVEL%>> ignorecodes.txt
kestrune-cli.exe ignore --add File 2>> bad.err
echo nolocation=%ERRORLEVEL%>> ignorecodes.txt
BAT
expect_eq "ignore: exit codes" "add=0 add=0 again=0 list=0 ignored=0 noignore=1 remove=0 removeagain=1 back=1 badkind=2 nooption=2 listkind=2 nolocation=2 " \
    "$(tr -d '\r' < "$o/ignorecodes.txt" | tr '\n' ' ')"
expect_eq "ignore: the list, kinds in the result list's order" "File${T}C:\KESTRUNE-E2E\alpha.dll${T}
Folder${T}c:\kestrune-e2e\alphadata${T}" "$(tr -d '\r' < "$o/list.out" | cut -f1-3)"
expect_eq "ignore: counted on stderr, in the JSON document and the report" "2 finds ignored|0 2|Finds: 0 (RegKey 0, RegValue 0, File 0, Folder 0, Cookie 0)|Ignored: 2" \
    "$(tr -d '\r' < "$o/ignored.err")|$(json_query "$o/ignored.json" '"%d %d" % (len(d["finds"]), d["ignored"])')|$(tr -d '\r' < "$o/report.txt" | grep -E '^(Finds|Ignored):' | paste -sd '|')"
expect_eq "ignore: --no-ignore reports them" "$expected_folder" "$(LC_ALL=C sort "$o/noignore.out")"
expect_eq "ignore: a removed entry's find comes back" "Alpha${T}C:\kestrune-e2e\alpha.dll${T}File${T}Severe|1 find ignored" \
    "$(tr -d '\r' < "$o/back.out")|$(tr -d '\r' < "$o/back.err")"
expect_eq "ignore: every argument error is named" "4" "$(grep -c '^kestrune-cli: ' "$o/bad.err")"

# A tree planted after the scans above (they see nothing unreadable): gamma.exe
# lies in a folder past MAX_PATH, which is searched like any other, and a
# chain of folders reaches past the host's own path limit, which Wine cannot
# open at any length: the folder scan and clean name that one and count it on
# stderr, and the exit codes stay those of the finds. Gamma's clean finds and
# removes the deep gamma.exe (nothing else of Gamma is on the machine).
seg=$(printf 'd%.0s' $(seq 1 50))
deep="C:\\kestrune-e2e\\long"
for i in 1 2 3 4 5 6; do deep="$deep\\$seg"; done
mkdir -p "$E2E_C/kestrune-e2e/long/$seg/$seg/$seg/$seg/$seg/$seg"
: > "$E2E_C/kestrune-e2e/long/$seg/$seg/$seg/$seg/$seg/$seg/gamma.exe"
far=$(printf 'f%.0s' $(seq 1 200))
(cd "$E2E_C/kestrune-e2e/long" && for i in $(seq 1 22); do mkdir "$far" && cd "$far" || exit 1; done)
pack_definitions "$E2E_CLI_DIR/gamma.ks" scan.xml:Gamma
run_batch deep <<'BAT'
@echo off
kestrune-cli.exe scan --folder C:\kestrune-e2e\long --definitions defs.ks --quiet --json > deep.json 2> deep.err
echo deep=%ERRORLEVEL%> deepcodes.txt
kestrune-cli.exe clean --definitions gamma.ks --quiet > deepclean.out 2> deepclean.err
echo deepclean=%ERRORLEVEL%>> deepcodes.txt
BAT
expect_eq "unreadable folder: exit codes" "deep=0 deepclean=0 " "$(tr -d '\r' < "$o/deepcodes.txt" | tr '\n' ' ')"
unreadable=$(json_query "$o/deep.json" '" ".join(d["unreadable"])')
expect_eq "unreadable folder: the JSON document" "C:\kestrune-e2e\long 0 1 C:\kestrune-e2e\long\\$far" \
    "$(json_query "$o/deep.json" '" ".join([d["folder"], str(len(d["finds"])), str(len(d["unreadable"])), d["unreadable"][0][:len("C:\\kestrune-e2e\\long\\") + 200]])')"
expect_eq "unreadable folder: folder scan stderr" "unreadable: $unreadable
1 folders could not be read" "$(tr -d '\r' < "$o/deep.err")"
expect_eq "unreadable folder: clean names it too" "unreadable: $unreadable
1 folders could not be read" "$(tr -d '\r' < "$o/deepclean.err" | grep -F -e 'unreadable: C:\kestrune-e2e' -e 'could not be read')"
expect_eq "past MAX_PATH: clean removes the deep gamma.exe" "deleted${T}File${T}Gamma${T}$deep\\gamma.exe|gone" \
    "$(tr -d '\r' < "$o/deepclean.out" | grep -F gamma.exe | cut -f1-4)|$([ -e "$E2E_C/kestrune-e2e/long/$seg/$seg/$seg/$seg/$seg/$seg/gamma.exe" ] && echo there || echo gone)"

e2e_finish
