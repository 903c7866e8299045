#!/usr/bin/env bash
# kestrune-cli scan: the lines of a full scan and of a folder scan, progress
# and --quiet, the definitions of the settings, protected places passed over,
# and the exit codes, run as a user would in a throw-away Wine prefix set up
# with parasites to find.
source "$(dirname "$0")/lib/cli-checks.sh"
pack() { python3 "$KESTRUNE_SOURCE/scripts/scramble.py" "$1" "$2"; }

# Definitions: Alpha has one item of every kind present; Beta's folder is
# found by the drive search and its danger level has no name; Gamma's items
# are all absent; Delta's file is found twice (two files, two items).
cat > "$work/defs.xml" <<'XML'
<KS>
  <SW NAME="Alpha">
    <DIRECTORIES><DIR NAME="AlphaData" PATH="C:\kestrune-e2e"/></DIRECTORIES>
    <FILES><FILE NAME="alpha.dll" PATH="C:\kestrune-e2e"/></FILES>
    <COOKIES><COOKIE NAME="alpha track"/></COOKIES>
    <REGISTRY>
      <KEYS><REGKEY MAIN="HKLM" SUB="Software\KestruneE2E" VALUE="Alpha"/></KEYS>
      <VALUES><REGVALUE MAIN="HKEY_CURRENT_USER" SUB="Software\KestruneE2E" VALUE="Run"/></VALUES>
    </REGISTRY>
    <DANGER_LEVEL>2</DANGER_LEVEL>
  </SW>
  <SW NAME="Beta">
    <DIRECTORIES><DIR NAME="BetaCache" PATH=""/></DIRECTORIES>
    <DANGER_LEVEL>7</DANGER_LEVEL>
  </SW>
  <SW NAME="Gamma">
    <FILES><FILE NAME="gamma.dll" PATH="C:\kestrune-e2e"/><FILE NAME="gamma.exe" PATH=""/></FILES>
    <REGISTRY><KEYS><REGKEY MAIN="HKEY_CURRENT_USER" SUB="Software" VALUE="NoGammaHere"/></KEYS></REGISTRY>
    <DANGER_LEVEL>0</DANGER_LEVEL>
  </SW>
  <SW NAME="Delta">
    <FILES><FILE NAME="twice.dat" PATH=""/><FILE NAME="twice.dat" PATH=""/></FILES>
    <DANGER_LEVEL>1</DANGER_LEVEL>
  </SW>
</KS>
XML
# Greedy names places of the system itself (and a PATH that climbs out with
# ".."), Planted the real items beside them, one of them a svchost.exe dropped
# outside System32.
cat > "$work/greedy.xml" <<'XML'
<KS>
  <SW NAME="Greedy">
    <DIRECTORIES>
      <DIR NAME="windows" PATH="C:"/><DIR NAME="Program Files" PATH="C:"/>
      <DIR NAME="Documents" PATH="C:\users\UNIX_USER"/>
    </DIRECTORIES>
    <FILES>
      <FILE NAME="kernel32.dll" PATH="C:\windows\system32"/><FILE NAME="services.exe" PATH=""/>
      <FILE NAME="explorer.exe" PATH="C:\windows"/>
      <FILE NAME="planted.dll" PATH="C:\kestrune-e2e\Sandbox\inner\.."/>
    </FILES>
    <COOKIES><COOKIE NAME="."/></COOKIES>
    <REGISTRY>
      <KEYS>
        <REGKEY MAIN="HKEY_CURRENT_USER" SUB="Software" VALUE="Microsoft"/>
        <REGKEY MAIN="HKEY_CURRENT_USER" SUB="Software\Microsoft\Windows\CurrentVersion" VALUE="Run"/>
      </KEYS>
      <VALUES><REGVALUE MAIN="HKEY_LOCAL_MACHINE" SUB="Software\Microsoft\Windows NT\CurrentVersion\Winlogon" VALUE="Shell"/></VALUES>
    </REGISTRY>
  </SW>
  <SW NAME="Planted">
    <DIRECTORIES><DIR NAME="PlantedData" PATH="C:\kestrune-e2e\Sandbox"/></DIRECTORIES>
    <FILES><FILE NAME="planted.dll" PATH="C:\kestrune-e2e\Sandbox"/><FILE NAME="svchost.exe" PATH=""/></FILES>
    <REGISTRY>
      <KEYS><REGKEY MAIN="HKEY_CURRENT_USER" SUB="Software\KestruneE2E" VALUE="Planted"/></KEYS>
      <VALUES><REGVALUE MAIN="HKEY_CURRENT_USER" SUB="Software\Microsoft\Windows\CurrentVersion\Run" VALUE="KestruneE2E"/></VALUES>
    </REGISTRY>
  </SW>
</KS>
XML
sed -i "s/UNIX_USER/$(id -un)/" "$work/greedy.xml"
cat > "$work/clean.xml" <<'XML'
<KS><SW NAME="Nobody"><FILES><FILE NAME="nothing.dll" PATH="C:\"/></FILES></SW></KS>
XML
printf '<KS><SW NAME="x"></KS>' > "$work/broken.xml"
pack "$work/defs.xml" "$work/defs.ks"
pack "$work/clean.xml" "$work/clean.ks"
pack "$work/greedy.xml" "$work/greedy.ks"
pack "$work/broken.xml" "$work/broken.ks"

# The machine: files, folders, a cookie, registry entries, the settings.
cat > "$work/setup.sh" <<'SETUP'
set -e
c="$WINEPREFIX/drive_c"
mkdir -p "$c/kestrune-e2e/AlphaData" "$c/kestrune-e2e/deep/BetaCache" "$c/kestrune-e2e/one" "$c/kestrune-e2e/two"
: > "$c/kestrune-e2e/alpha.dll"
: > "$c/kestrune-e2e/one/twice.dat"
: > "$c/kestrune-e2e/two/twice.dat"
mkdir -p "$c/kestrune-e2e/Sandbox/PlantedData" "$c/kestrune-e2e/Sandbox/inner"
: > "$c/kestrune-e2e/Sandbox/planted.dll"
: > "$c/kestrune-e2e/Sandbox/svchost.exe"
cookies="$c/users/$(id -un)/AppData/Local/Microsoft/Windows/INetCookies"
mkdir -p "$cookies"
: > "$cookies/root@AlphaTrack.txt"
: > "$cookies/root@unrelated.txt"
# A big tree, so that the scan runs long enough to print progress.
for i in $(seq 1 400); do mkdir -p "$c/kestrune-e2e/bulk/d$i"; (cd "$c/kestrune-e2e/bulk/d$i" && touch $(seq -f 'f%g.txt' 1 250)); done
wine reg add 'HKCU\Software\KestruneE2E\Alpha' /f >/dev/null 2>&1
wine reg add 'HKCU\Software\KestruneE2E' /v Run /d alpha.exe /f >/dev/null 2>&1
wine reg add 'HKCU\SOFTWARE\Kestrune' /v rfp /d 'C:\kestrune\defs.ks' /f >/dev/null 2>&1
wine reg add 'HKCU\Software\KestruneE2E\Planted' /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v KestruneE2E /d planted.exe /f >/dev/null 2>&1
SETUP

cat > "$work/run.bat" <<'BAT'
@echo off
kestrune-cli.exe scan --quiet > full.out 2> full.err
echo full=%ERRORLEVEL%> codes.txt
kestrune-cli.exe scan --definitions defs.ks > progress.out 2> progress.err
echo progress=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe scan --folder C:\kestrune-e2e --definitions C:\kestrune\defs.ks --quiet > folder.out 2> folder.err
echo folder=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe scan --folder C:\kestrune-e2e\one --quiet > folderclean.out
echo folderclean=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe scan --definitions clean.ks --quiet > clean.out 2> clean.err
echo clean=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe scan --definitions greedy.ks --quiet > greedy.out 2> greedy.err
echo greedy=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe scan --definitions missing.ks > missing.out 2> missing.err
echo missing=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe scan --definitions broken.ks > broken.out 2> broken.err
echo broken=%ERRORLEVEL%>> codes.txt
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
reg delete HKCU\SOFTWARE\Kestrune /v rfp /f > nul 2>&1
kestrune-cli.exe scan --quiet > nosettings.out 2> nosettings.err
echo nosettings=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe --help > help.out
echo help=%ERRORLEVEL%>> codes.txt
BAT
cat > "$work/collect.sh" <<COLLECT
cp -r "\$WINEPREFIX/drive_c/kestrune/." "$work/out/"
COLLECT
mkdir -p "$work/out"

start=$(date +%s.%N)
"$WINE_RUN" --copy "$cli" --copy "$work/defs.ks" --copy "$work/clean.ks" \
    --copy "$work/broken.ks" --copy "$work/greedy.ks" --copy "$work/run.bat" --setup "$work/setup.sh" \
    --after "$work/collect.sh" -- "$work/run.bat" >/dev/null 2>&1
end=$(date +%s.%N)
o="$work/out"
codes=$(tr -d '\r' < "$o/codes.txt" | tr '\n' ' ')
check "exit codes" "full=1 progress=1 folder=1 folderclean=0 clean=0 greedy=1 missing=2 broken=2 bogus=2 novalue=2 twice=2 nofolder=2 filefolder=2 nosettings=2 help=0 " "$codes"

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
check "full scan: placed finds" "$expected" "$(head -n 6 "$o/full.out")"
drive=$(tail -n +7 "$o/full.out" | LC_ALL=C sort)
expected_drive="Beta${T}C:\\kestrune-e2e\\deep\\BetaCache${T}Folder${T}
Delta${T}C:\\kestrune-e2e\\one\\twice.dat${T}File${T}Dangerous
Delta${T}C:\\kestrune-e2e\\two\\twice.dat${T}File${T}Dangerous"
check "full scan: drive search finds" "$expected_drive" "$drive"
check "full scan: --quiet writes nothing on stderr" "" "$(cat "$o/full.err")"
check "same lines with --definitions" "$(cat "$o/full.out")" "$(cat "$o/progress.out")"

# Progress: "[phase] N items scanned: path" lines, at most ten a second,
# then the end line.
last=$(tail -n 1 "$o/progress.err" | tr -d '\r')
case "$last" in
    "Scan Completed: "*" items scanned, 9 found") echo "ok   progress end line" ;;
    *) echo "FAIL progress end line: [$last]"; failures=$((failures + 1)) ;;
esac
lines=$(($(wc -l < "$o/progress.err") - 1))
bad=$(head -n -1 "$o/progress.err" | grep -cvE '^\[(registry keys|registry values|cookies|files|folders|drive search)\] [0-9]+ items scanned: ' || true)
check "progress lines are well formed" "0" "$bad"
elapsed=$(echo "$end - $start" | bc)
if [ "$(echo "$lines <= $elapsed * 10 + 1" | bc)" = 1 ] && [ "$lines" -ge 1 ]; then
    echo "ok   progress: $lines lines in under ${elapsed}s"
else
    echo "FAIL progress: $lines lines in ${elapsed}s"; failures=$((failures + 1))
fi

# The folder scan reports items at their defined places only.
expected_folder=$(printf 'Alpha\tC:\\kestrune-e2e\\AlphaData\tFolder\tSevere\nAlpha\tC:\\kestrune-e2e\\alpha.dll\tFile\tSevere')
check "folder scan lines" "$expected_folder" "$(LC_ALL=C sort "$o/folder.out")"
check "folder scan: nothing at a defined place" "" "$(cat "$o/folderclean.out")"
check "clean scan prints nothing" "" "$(cat "$o/clean.out" "$o/clean.err")"

# Protected places are never listed; each is named on standard error, also
# with --quiet, and the svchost.exe met in System32 (by the Windows folder's
# walk and again by drive C:'s) once.
expected_greedy="Planted${T}HKEY_CURRENT_USER\\Software\\KestruneE2E\\Planted${T}RegKey${T}
Planted${T}HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run : KestruneE2E${T}RegValue${T}
Planted${T}C:\\kestrune-e2e\\Sandbox\\planted.dll${T}File${T}
Planted${T}C:\\kestrune-e2e\\Sandbox\\PlantedData${T}Folder${T}
Planted${T}C:\\kestrune-e2e\\Sandbox\\svchost.exe${T}File${T}"
check "protected places: only the real items" "$expected_greedy" "$(tr -d '\r' < "$o/greedy.out")"
expected_skips="protected: HKEY_CURRENT_USER\\Software\\Microsoft (key of Greedy) is never touched
protected: HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run (key of Greedy) is never touched
protected: HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon : Shell (value of Greedy) is never touched
refused: . (cookie of Greedy) is not a plain path or name and is never looked for
protected: C:\\windows\\system32\\kernel32.dll (file of Greedy) is never touched
protected: C:\\windows\\explorer.exe (file of Greedy) is never touched
refused: C:\\kestrune-e2e\\Sandbox\\inner\\..\\planted.dll (file of Greedy) is not a plain path or name and is never looked for
protected: C:\\windows (folder of Greedy) is never touched
protected: C:\\Program Files (folder of Greedy) is never touched
protected: C:\\users\\$(id -un)\\Documents (folder of Greedy) is never touched"
check "protected places: named in order" "$expected_skips" "$(tr -d '\r' < "$o/greedy.err" | head -n 10)"
searched_skips="protected: C:\\windows\\system32\\services.exe (file of Greedy) is never touched
protected: C:\\windows\\system32\\svchost.exe (file of Planted) is never touched"
check "protected places met by the drive search" "$searched_skips" \
    "$(tr -d '\r' < "$o/greedy.err" | tail -n +11 | LC_ALL=C sort)"

for f in missing broken bogus novalue twice nofolder filefolder nosettings; do
    check "$f: nothing on stdout" "" "$(cat "$o/$f.out")"
    if ! grep -q '^kestrune-cli: ' "$o/$f.err"; then
        echo "FAIL $f: no error message"; failures=$((failures + 1))
    fi
done
grep -q 'scan \[--definitions FILE\] \[--folder DIR\] \[--quiet\]' "$o/help.out" \
    && echo "ok   help names scan" || { echo "FAIL help"; failures=$((failures + 1)); }

# A tree with a folder too deep for the ANSI calls, in a prefix of its own
# (the scans above see nothing unreadable): the folder scan and clean name it
# and count it on stderr, and the exit codes stay those of the finds.
seg=$(printf 'd%.0s' $(seq 1 50))
deep="C:\\kestrune-e2e\\long"
for i in 1 2 3 4 5; do deep="$deep\\$seg"; done
cat > "$work/setup-deep.sh" <<SETUP
set -e
mkdir -p "\$WINEPREFIX/drive_c/kestrune-e2e/long/$seg/$seg/$seg/$seg/$seg/$seg"
: > "\$WINEPREFIX/drive_c/kestrune-e2e/long/$seg/$seg/$seg/$seg/$seg/$seg/gamma.exe"
SETUP
cat > "$work/run-deep.bat" <<'BAT'
@echo off
kestrune-cli.exe scan --folder C:\kestrune-e2e\long --definitions defs.ks --quiet > deep.out 2> deep.err
echo deep=%ERRORLEVEL%> deepcodes.txt
kestrune-cli.exe clean --definitions defs.ks --quiet > deepclean.out 2> deepclean.err
echo deepclean=%ERRORLEVEL%>> deepcodes.txt
BAT
"$WINE_RUN" --copy "$cli" --copy "$work/defs.ks" --copy "$work/run-deep.bat" \
    --setup "$work/setup-deep.sh" --after "$work/collect.sh" -- "$work/run-deep.bat" >/dev/null 2>&1
check "unreadable folder: exit codes" "deep=0 deepclean=0 " "$(tr -d '\r' < "$o/deepcodes.txt" | tr '\n' ' ')"
check "unreadable folder: folder scan stdout" "" "$(cat "$o/deep.out")"
check "unreadable folder: folder scan stderr" "unreadable: $deep
1 folders could not be read" "$(tr -d '\r' < "$o/deep.err")"
check "unreadable folder: clean names it too" "unreadable: $deep
1 folders could not be read" "$(tr -d '\r' < "$o/deepclean.err" | grep -F -e 'unreadable: C:\kestrune-e2e' -e 'could not be read')"

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
