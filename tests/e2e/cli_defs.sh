#!/usr/bin/env bash
# kestrune-cli defs: pack/unpack, dump's JSON, check's reports and exit codes;
# the sample reference file checked and scanned on a fresh machine; the
# tool's help, each command's --help and --version; the settings it writes
# through reg export and import; run as a user would, in a throw-away Wine
# prefix.
source "$(dirname "$0")/lib/e2e.sh"
work=$E2E_WORK

# Inputs: a markup file with a non-ASCII byte (e-acute in Windows-1252) and
# quotes, backslashes and line breaks that JSON must escape.
printf '<KS>\n<SW NAME="Caf\xe9 &quot;Spy&quot;">\n<FILES><FILE NAME="a.exe" PATH="C:\\\\x"/></FILES>\n<COOKIES/>\n<DANGER_LEVEL>2</DANGER_LEVEL>\n<DESCRIPTION>two\nlines\ttab</DESCRIPTION>\n</SW>\n</KS>\n' > "$work/in.xml"
printf '<KS><SW><DANGER_LEVEL>9</DANGER_LEVEL></SW></KS>' > "$work/warn.xml"
# Items naming protected places or holding refused texts, each beside a real
# parasite item that check leaves alone.
cat > "$work/protected.xml" <<'XML'
<KS>
<SW NAME="Greedy">
<DIRECTORIES>
<DIR NAME="windows" PATH="C:"/>
<DIR NAME="GreedyData" PATH="C:\Sandbox"/>
<DIR NAME="x" PATH="C:\Sandbox\inner\.."/>
<DIR NAME=".." PATH="C:\Sandbox"/>
</DIRECTORIES>
<FILES>
<FILE NAME="kernel32.dll" PATH="Sys32Dir"/>
<FILE NAME="greedy.dll" PATH="Sys32Dir"/>
<FILE NAME="svchost.exe"/>
</FILES>
<COOKIES>
<COOKIE NAME="."/>
<COOKIE NAME="greedy"/>
</COOKIES>
<REGISTRY><KEYS>
<REGKEY MAIN="HKEY_CURRENT_USER" SUB="Software\Microsoft\Windows\CurrentVersion" VALUE="Run"/>
<REGKEY MAIN="HKEY_CURRENT_USER" SUB="Software" VALUE="Greedy"/>
</KEYS><VALUES>
<REGVALUE MAIN="HKEY_LOCAL_MACHINE" SUB="Software\Microsoft\Windows NT\CurrentVersion\Winlogon" VALUE="Shell"/>
<REGVALUE MAIN="HKEY_CURRENT_USER" SUB="Software\Microsoft\Windows\CurrentVersion\Run" VALUE="Greedy"/>
</VALUES></REGISTRY>
</SW>
</KS>
XML

# All commands run inside one prefix, from one batch file, beside the inputs.
e2e_prefix
e2e_install_cli "$work/in.xml" "$E2E_DATA/broken.xml" "$work/warn.xml" "$work/protected.xml" \
    "$KESTRUNE_BUILD/kestrune_020404_v2.ks"
run_batch run <<'BAT'
@echo off
kestrune-cli.exe defs pack in.xml in.ks
echo pack=%ERRORLEVEL%> codes.txt
kestrune-cli.exe defs unpack in.ks back.xml
echo unpack=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe defs dump in.ks > dump.json 2> dump.err
echo dump=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe defs pack broken.xml broken.ks
kestrune-cli.exe defs dump broken.ks > broken.json 2> broken.err
echo dumpbroken=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe defs dump missing.ks > missing.json 2> missing.err
echo dumpmissing=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe defs check in.ks > check.out
echo checkclean=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe defs check --plain warn.xml > warn.out
echo checkwarn=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe defs check --plain protected.xml > protected.out
echo checkprotected=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe defs check kestrune_020404_v2.ks > sample.out
echo checksample=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe scan --definitions kestrune_020404_v2.ks --quiet > samplescan.out 2>&1
echo scansample=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe defs check --plain missing.xml > missing.out 2>&1
echo checkmissing=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe defs check broken.ks > brokencheck.out
echo checkbroken=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe defs frobnicate > usage.out 2>&1
echo usage=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe --help > help.out
echo help=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe --version > version-none.out
echo versionnone=%ERRORLEVEL%>> codes.txt
kestrune-cli.exe ignore --add Cookie tracker > ignore.out
echo ignorefirst=%ERRORLEVEL%>> codes.txt
reg add HKCU\Software\Kestrune /v rfp /d C:\kestrune\in.ks /f >nul
kestrune-cli.exe --version > version.out
echo version=%ERRORLEVEL%>> codes.txt
BAT
# Each command's --help: its usage first, on standard output, exit 0.
commands=(scan clean restore publish ignore defs "defs pack" "defs unpack" "defs check" "defs dump" "defs verify")
for c in "${commands[@]}"; do
    printf 'kestrune-cli.exe %s --help > "help-%s.out"\r\necho %s=%%ERRORLEVEL%%>> helpcodes.txt\r\n' "$c" "$c" "${c/ /-}"
done | run_batch helps
o=$E2E_CLI_DIR

code() { grep "^$1=" "$o/codes.txt" | cut -d= -f2 | tr -d '\r '; }
expect_eq "pack exit" 0 "$(code pack)"
expect_eq "unpack exit" 0 "$(code unpack)"
expect_eq "pack/unpack round trip" "$(md5sum < "$work/in.xml")" "$(md5sum < "$o/back.xml")"
expect_eq "packed bytes are scrambled with 0x97" "ab" "$(head -c 2 "$o/in.ks" | python3 -c 'import sys; print("".join(chr(b ^ 0x97) for b in sys.stdin.buffer.read()).replace("<K","ab"))')"
expect_eq "dump exit" 0 "$(code dump)"
# Exactly these bytes (UTF-8, no white space between tokens), then a newline.
expect_eq "dump JSON" \
  '{"parasites":[{"name":"Café \"Spy\"","status":"Not scanned","dangerLevel":2,"description":"two\r\nlines\ttab","directories":[],"files":[{"name":"a.exe","path":"C:\\\\x"}],"cookies":[{"name":"Café \"Spy\""}],"registryKeys":[],"registryValues":[]}]}' \
  "$(cat "$o/dump.json")"
expect_eq "dump of broken markup exits 1" 1 "$(code dumpbroken)"
expect_eq "dump of broken markup names the parser error" "error: End tag does not correspond to SW" "$(tr -d '\r' < "$o/broken.err")"
expect_eq "dump of broken markup writes nothing on stdout" "" "$(cat "$o/broken.json")"
expect_eq "dump of a missing file exits 1" 1 "$(code dumpmissing)"
expect_eq "dump of a missing file says so" "error: the file cannot be read: missing.ks" "$(tr -d '\r' < "$o/missing.err")"
expect_eq "check of a clean file exits 0" 0 "$(code checkclean)"
expect_eq "check of a clean file is silent" "" "$(cat "$o/check.out")"
expect_eq "check with warnings exits 1" 1 "$(code checkwarn)"
expect_eq "check names parasite and line" 'warn.xml:1: warning: parasite "": SW has an empty NAME
warn.xml:1: warning: parasite "": DANGER_LEVEL 9 is outside 0 to 2' "$(tr -d '\r' < "$o/warn.out")"
expect_eq "check of protected places exits 1" 1 "$(code checkprotected)"
expected_protected=$(cat <<'TXT'
protected.xml:4: warning: parasite "Greedy": DIR "C:\windows" is a protected place and is never touched
protected.xml:6: warning: parasite "Greedy": DIR PATH "C:\Sandbox\inner\.." is refused: it is not a plain X:\ path, or holds a . or .. part
protected.xml:7: warning: parasite "Greedy": DIR NAME ".." is refused: it is blank, only dots, or holds a . or .. part
protected.xml:10: warning: parasite "Greedy": FILE "C:\windows\system32\kernel32.dll" is a protected place and is never touched
protected.xml:15: warning: parasite "Greedy": COOKIE NAME "." holds no letter or digit and matches nothing
protected.xml:19: warning: parasite "Greedy": REGKEY "HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run" is a protected key and is never touched
protected.xml:22: warning: parasite "Greedy": REGVALUE "HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\Winlogon : Shell" is a protected value and is never touched
TXT
)
expect_eq "check names each protected place and refused text with its line" "$expected_protected" \
    "$(tr -d '\r' < "$o/protected.out")"
# The sample that ships names nothing a clean Windows holds: a scan of this
# fresh prefix finds nothing, and check keeps only its deliberate warnings.
expect_eq "the sample: a clean machine's scan finds nothing" "0 " "$(code scansample) $(cat "$o/samplescan.out")"
expect_eq "the sample: only its format warnings" '1 kestrune_020404_v2.ks:125: warning: parasite "KettleClick": REGISTRY section stands out of order and is not read
kestrune_020404_v2.ks:146: warning: parasite "LanternLoot": REGKEY MAIN "HKLM" is not a hive name
kestrune_020404_v2.ks:186: warning: parasite "PebblePing": DANGER_LEVEL 3 is outside 0 to 2
kestrune_020404_v2.ks:202: warning: parasite "RippleRank": DANGER_LEVEL "unknown" is not a number' \
    "$(code checksample) $(tr -d '\r' < "$o/sample.out")"
expect_eq "check of a missing file exits 2" 2 "$(code checkmissing)"
expect_eq "check of broken markup exits 1" 1 "$(code checkbroken)"
expect_eq "check of broken markup reports the parser error" "broken.ks: error: does not parse: End tag does not correspond to SW" "$(tr -d '\r' < "$o/brokencheck.out")"
expect_eq "unknown subcommand exits 2" 2 "$(code usage)"
expect_eq "--help exits 0" 0 "$(code help)"
expect_eq "--help lists the defs commands" 1 "$(grep -c 'defs dump FILE' "$o/help.out")"
expect_eq "--help: a line beginning with each command" "defs scan clean restore publish ignore" \
    "$(for c in defs scan clean restore publish ignore; do grep -q "^$c " "$o/help.out" && echo "$c"; done | tr '\n' ' ' | sed 's/ $//')"
expect_eq "--help after each command exits 0" "$(printf '%s=0 ' "${commands[@]/ /-}")" \
    "$(tr -d '\r' < "$o/helpcodes.txt" | tr '\n' ' ')"
for c in "${commands[@]}"; do
    check "$c --help begins with its usage" grep -q "^usage: kestrune-cli $c " <(head -n 1 "$o/help-$c.out")
done
# The first ignore entry on a machine the program has never run on writes the
# default settings first, as the program's first run does.
expect_eq "ignore --add writes the default settings first" "0
$(printf '%s\n' abrs acu asl df lfp mtst path pv ras rfp sas)" "$(code ignorefirst)
$(setting_names)"
expect_eq "--version without a reference file" "0 kestrune-cli 2.01" "$(code versionnone) $(tr -d '\r' < "$o/version-none.out")"
expect_eq "--version names the settings' reference file" "0 kestrune-cli 2.01
reference file: C:\kestrune\in.ks (1 parasite)" "$(code version) $(tr -d '\r' < "$o/version.out")"

# Settings the tool wrote (with an ignore entry) survive a reg export and
# import, as administrators deploy them: every value whole, rfp still loads.
settings_dump() { wine reg query 'HKCU\Software\Kestrune' /s 2>/dev/null | tr -d '\r'; }
settings_dump > "$work/settings-before.txt"
wine reg export 'HKCU\Software\Kestrune' 'C:\settings.reg' /y >/dev/null 2>&1
wine reg delete 'HKCU\Software\Kestrune' /f >/dev/null 2>&1
wine reg import 'C:\settings.reg' >/dev/null 2>&1
check "settings: the exported values are whole" grep -q '"abrs"="1"' <(iconv -f UTF-16 -t UTF-8 "$E2E_C/settings.reg" | tr -d '\r')
check "settings: reg export and import keep every value" diff "$work/settings-before.txt" <(settings_dump)
expect_eq "settings: rfp still loads after the round trip" "$(tr -d '\r' < "$o/version.out")" \
    "$(cd "$o" && wine kestrune-cli.exe --version 2>/dev/null | tr -d '\r')"

e2e_finish
