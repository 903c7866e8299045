#!/usr/bin/env bash
# kestrune-cli restore end to end in a throw-away Wine prefix: registry trees
# of every value type, a Run value beside the user's own, files (read-only,
# nested, dot-named, one 400 characters deep), a folder tree and cookie files
# are removed by
# `clean --backup` and put back by `restore`, value for value and byte for
# byte; a second restore changes nothing; a different file in an item's place
# stays unless --force, and even forced nothing is written through a link or
# a hard link planted there; damaged and hostile archives (crafted registry
# exports and deflate bombs among them) are refused with exit 2 and nothing
# written, and listed as damaged; --delete takes nothing but a Kestrune
# archive in a backup folder. The tool's folder cannot be written (as an
# installed copy's, run without administrator rights): the backup goes to the
# per-user folder, and the archives of both places are listed. Old archives are pruned
# on demand and after a backup.
source "$(dirname "$0")/lib/e2e.sh"
work=$E2E_WORK
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

cat > "$work/defs.xml" <<'XML'
<KS>
  <SW NAME="KsRestore">
    <DIRECTORIES><DIR NAME="Tree" PATH="C:\ksr"/></DIRECTORIES>
    <FILES>
      <FILE NAME="ro.txt" PATH="C:\ksr"/>
      <FILE NAME="nested.bin" PATH="C:\ksr\deep\er"/>
      <FILE NAME=".dot" PATH="C:\ksr"/>
      <FILE NAME="файл.txt" PATH="C:\ksr\Папка"/>
      <FILE NAME="ks-deep.bin" PATH=""/>
    </FILES>
    <COOKIES><COOKIE NAME="Bad Tracker"/></COOKIES>
    <REGISTRY>
      <KEYS><REGKEY MAIN="HKEY_CURRENT_USER" SUB="Software\KsRestore" VALUE="Bad"/></KEYS>
      <VALUES><REGVALUE MAIN="HKEY_CURRENT_USER" SUB="Software\Microsoft\Windows\CurrentVersion\Run" VALUE="KsBad"/></VALUES>
    </REGISTRY>
  </SW>
</KS>
XML
scramble "$work/defs.xml" "$work/defs.ks"
e2e_prefix
e2e_install_cli "$work/defs.ks"
drive_c=$E2E_C
peruser=$drive_c/users/$E2E_USER/AppData/Local/Kestrune
if read_only_folder "$E2E_CLI_DIR"; then
    data=$peruser other=$E2E_CLI_DIR
else
    say "the system refuses chattr +i: the tool's folder stays writable"
    data=$E2E_CLI_DIR other=$peruser
fi

cat > "$drive_c/plant.bat" <<'BAT'
@echo off
reg add HKCU\Software\Kestrune /v lfp /d C:\kslogs /f >nul
reg add HKCU\Software\KsRestore\Bad /ve /d "top default" /f >nul
reg add HKCU\Software\KsRestore\Bad /v text /d "a text" /f >nul
reg add HKCU\Software\KsRestore\Bad\One /v number /t REG_DWORD /d 305419896 /f >nul
reg add HKCU\Software\KsRestore\Bad\One\Two /v bytes /t REG_BINARY /d 00ff10ab7f /f >nul
reg add HKCU\Software\KsRestore\Bad\One\Two\Three /v lines /t REG_MULTI_SZ /d "first\0second" /f >nul
reg add HKCU\Software\KsRestore\Bad\One\Two\Three /v expand /t REG_EXPAND_SZ /d "%%SystemRoot%%\ks" /f >nul
reg add HKCU\Software\KsRestore\Bad\One\Two\Three /ve /d "deep default" /f >nul
reg add HKCU\Software\KsRestore\Keep /v keep /d kept /f >nul
reg add HKCU\Software\Microsoft\Windows\CurrentVersion\Run /v KsBad /d "C:\ksr\bad.exe /run" /f >nul
reg add HKCU\Software\Microsoft\Windows\CurrentVersion\Run /v KsMine /d mine.exe /f >nul
reg add HKCU\Software\Microsoft\Windows\CurrentVersion\Run /v KsOther /d other.exe /f >nul
mkdir C:\ksr\deep\er C:\ksr\Tree\sub\inner C:\ksr\Tree\empty
echo read only> C:\ksr\ro.txt
attrib +r C:\ksr\ro.txt
echo dot> C:\ksr\.dot
echo tree top> C:\ksr\Tree\top.txt
echo hidden> C:\ksr\Tree\sub\hidden.txt
attrib +h C:\ksr\Tree\sub\hidden.txt
echo inner> C:\ksr\Tree\sub\inner\in.txt
mkdir "%LOCALAPPDATA%\Microsoft\Windows\INetCookies"
echo c1> "%LOCALAPPDATA%\Microsoft\Windows\INetCookies\user@badtracker[1].txt"
echo c2> "%LOCALAPPDATA%\Microsoft\Windows\INetCookies\user@news[1].txt"
BAT
wine cmd /c 'C:\plant.bat' >/dev/null 2>&1
# A file in a folder with a Cyrillic name.
mkdir -p "$drive_c/ksr/Папка" && printf 'имя\r\n' > "$drive_c/ksr/Папка/файл.txt"
# A binary file with every byte value, and one in a folder past MAX_PATH,
# found by the drive search.
python3 -c 'import sys; sys.stdout.buffer.write(bytes(range(256)) * 40)' > "$drive_c/ksr/deep/er/nested.bin"
seg=$(printf 'L%.0s' $(seq 1 50))
long_unix=$drive_c/ksr/long/$seg/$seg/$seg/$seg/$seg/$seg/$seg/$seg
long='C:\ksr\long'$(printf '\\%s' $seg $seg $seg $seg $seg $seg $seg $seg)'\ks-deep.bin'
mkdir -p "$long_unix" && cp "$drive_c/ksr/deep/er/nested.bin" "$long_unix/ks-deep.bin"
cookies=$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')\\Microsoft\\Windows\\INetCookies
cookies_unix=$(winepath -u "$cookies" 2>/dev/null)

# The state that must come back: registry values with types and data, the
# files' bytes and attributes, the folders.
snapshot() {
    wine reg query 'HKCU\Software\KsRestore' /s 2>/dev/null | tr -d '\r'
    wine reg query "$run_key" 2>/dev/null | tr -d '\r' | grep -E ' Ks(Bad|Mine) '
    (cd "$drive_c/ksr" && find . | sort && find . -type f | sort | xargs md5sum)
    wine cmd /c 'attrib /s C:\ksr\*' 2>/dev/null | tr -d '\r' | sort
    (cd "$cookies_unix" && md5sum user@*)
}
snapshot > "$work/before.txt"
check "the planted state is complete" grep -q 'lines.*REG_MULTI_SZ' "$work/before.txt"

cli() { (cd "$E2E_CLI_DIR" && wine 'C:\kestrune\kestrune-cli.exe' "$@" 2>"$work/err.txt" | tr -d '\r'; exit "${PIPESTATUS[0]}"); }

cli scan --definitions defs.ks --quiet > "$work/scan.txt"
check "the scan lists the Cyrillic name as it is" grep -qF 'C:\ksr\Папка\файл.txt' "$work/scan.txt"
cli scan --definitions defs.ks --quiet --json > "$work/scan.json"
expect_eq "scan: the file past MAX_PATH is found, nothing is unreadable" "1 0" \
    "$(LONG=$long json_query "$work/scan.json" '"%d %d" % (sum(f["location"] == __import__("os").environ["LONG"] for f in d["finds"]), len(d["unreadable"]))')"
cli clean --definitions defs.ks --backup --quiet > "$work/clean.txt"
expect_eq "clean exit" 0 $?
check "the key is gone" bash -c "! wine reg query 'HKCU\\Software\\KsRestore\\Bad' >/dev/null 2>&1"
check "the Run value is gone" bash -c "! wine reg query '$run_key' /v KsBad >/dev/null 2>&1"
check "the files are gone" bash -c "[ ! -e '$drive_c/ksr/ro.txt' ] && [ ! -e '$drive_c/ksr/.dot' ] && [ ! -e '$drive_c/ksr/Tree' ] && [ ! -e '$drive_c/ksr/deep/er/nested.bin' ] && [ ! -e '$drive_c/ksr/Папка/файл.txt' ] && [ ! -e '$long_unix/ks-deep.bin' ]"
check "the cookie is gone" bash -c "[ ! -e '$cookies_unix/user@badtracker[1].txt' ]"
# The user removes another Run value on purpose; the value's export holds it.
wine reg delete "$run_key" /v KsOther /f >/dev/null 2>&1
archive=$(sed -n 's/^backup: .*\\//p' "$work/clean.txt")
check "clean names its archive" test -n "$archive"
archive_unix=$data/KestruneBackup/$archive
check "the archive is in the data folder" test -f "$archive_unix"

listing=$(cli restore --list)
expect_eq "list: exit" 0 $?
expect_eq "list: one archive with nine items" "$archive	9 items" "$(cut -f1,3 <<<"$listing")"
expect_eq "list: the archive's items" "$(printf '%s\n' \
    'key	HKEY_CURRENT_USER\Software\KsRestore\Bad' \
    "value	HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\KsBad" \
    'file	C:\ksr\ro.txt' 'file	C:\ksr\deep\er\nested.bin' 'file	C:\ksr\.dot' \
    'file	C:\ksr\Папка\файл.txt' "file	$long" \
    'folder	C:\ksr\Tree' "cookie	$cookies\\user@badtracker[1].txt")" "$(cli restore --list "$archive")"

# Refused archives: each gives exit 2 and writes nothing, not even a log.
python3 - "$archive_unix" "$work" <<'PY'
import sys, zipfile
source, out = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(source) as z:
    entries = [(i.filename, z.read(i.filename)) for i in z.infolist()]
def write(name, changed):
    with zipfile.ZipFile(out + "/" + name, "w", zipfile.ZIP_DEFLATED) as z:
        for entry, data in changed(list(entries)):
            z.writestr(entry, data)
write("backslash.zip", lambda e: e + [("..\\x", b"x")])
write("slash.zip", lambda e: e + [("../../../x", b"x")])
write("absolute.zip", lambda e: e + [("/x", b"x")])
def outside(e):
    for i, (n, d) in enumerate(e):
        if n == "rkBackup1.reg":
            text = d.decode("utf-16").replace("KsRestore\\Bad\\One]", "KsRestore\\Keep]", 1)
            e[i] = (n, text.encode("utf-16"))
    return e
write("outside.zip", outside)
# Crafted exports: each regedit line rule (a lone CR, leading blanks, text
# after the key's "]", a line going on past a string) smuggles a Winlogon
# Shell value or an HKLM Run value that regedit would write.
winlogon = "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon]"
hklm_run = "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]"
evil = '"KsEvil"="C:\\\\evil.exe"\r\n'
def crafted(entry, old, new):
    def change(e):
        for i, (n, d) in enumerate(e):
            if n == entry:
                text = d.decode("utf-16")
                assert old in text, (entry, old)
                e[i] = (n, text.replace(old, new, 1).encode("utf-16"))
        return e
    return change
write("lonecr.zip", crafted("rkBackup1.reg", '"text"="a text"\r\n',
                            '"text"="a text"\r' + winlogon + '\r"Shell"="evil.exe"\r\n'))
write("blanks.zip", crafted("rvBackup1.reg", '"KsMine"', "  " + hklm_run + "\r\n" + evil + '"KsMine"'))
write("after.zip", crafted("rvBackup1.reg", '"KsMine"', hklm_run + " ;\r\n" + evil + '"KsMine"'))
write("continued.zip", crafted("rvBackup1.reg", '/run"\r\n', '/run"\\\r\n  ' + hklm_run + "\\\r\n" + evil))
def protected(e):
    return [(n, d.replace(b"[PATH:C:\\ksr\\ro.txt]", b"[PATH:C:\\windows\\system32\\kernel32.dll]")
             if n == "Manifest.ini" else d) for n, d in e]
write("protected.zip", protected)
write("stray.zip", lambda e: e + [("stray.txt", b"x")])
write("missing.zip", lambda e: [(n, d) for n, d in e if n != "rkBackup1.reg"])
data = open(source, "rb").read()
open(out + "/truncated.zip", "wb").write(data[: len(data) // 2])
# Deflate bombs: zeros beyond the bound of one entry, and beyond the bound of
# the archive spread over entries each within theirs.
def bomb(name, mebibytes):
    with zipfile.ZipFile(out + "/" + name, "w", zipfile.ZIP_DEFLATED, compresslevel=1) as z:
        for entry, data in entries:
            z.writestr(entry, data)
        for i, size in enumerate(mebibytes):
            with z.open("zeros%d.bin" % i, "w") as f:
                for _ in range(size):
                    f.write(bytes(1 << 20))
bomb("bomb.zip", [300])
bomb("spread.zip", [24] * 22)
PY
for bad in backslash slash absolute outside lonecr blanks after continued protected stray missing truncated bomb spread; do
    cp "$work/$bad.zip" "$drive_c/$bad.zip"
    cli restore "C:\\$bad.zip" --quiet > "$work/$bad.out"
    expect_eq "$bad: refused as damaged" "2 damaged" "$? $(grep -o damaged "$work/err.txt" | head -n 1)"
done
check "bombs: refused for their size" grep -q 'expand beyond 512 MiB together' "$work/err.txt"
check "refused archives wrote nothing" bash -c "[ ! -e '$drive_c/ksr/ro.txt' ] && [ ! -e '$drive_c/kslogs/Restore'* ] && ! wine reg query 'HKCU\\Software\\KsRestore\\Bad' >/dev/null 2>&1"
# In a 64-bit prefix in both registry views.
check "crafted exports wrote nothing" e2e_reg_absent 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' KsEvil
winlogon_shell() { "$@" query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Winlogon' /v Shell 2>/dev/null | tr -d '\r' | awk '/Shell/ {print $3}'; }
expect_eq "Winlogon Shell stays" "explorer.exe explorer.exe" "$(winlogon_shell e2e_reg) $(winlogon_shell e2e_reg64)"

cli restore --quiet "$archive" > "$work/restore.txt"
expect_eq "restore: exit" 0 $?
expect_eq "restore: summary" "9 restored, 0 exist, 0 failed" "$(grep 'restored, ' "$work/restore.txt")"
snapshot > "$work/after.txt"
check "everything is back, value for value and byte for byte" diff "$work/before.txt" "$work/after.txt"
check "only the removed Run value came back" bash -c "! wine reg query '$run_key' /v KsOther >/dev/null 2>&1"
expect_eq "a restore log" 1 "$(ls "$drive_c/kslogs" | grep -c '^Restore [0-9]*-[0-9]*-[0-9]* ([0-9]*-[0-9]*-[0-9]*)\.txt$')"

# An archive written while Kestrune's texts were Windows-1252: its Cyrillic
# file's record renamed to C:\kslegacy\Café\fé.txt, manifest and entry name
# in that code page. It restores under its name.
python3 - "$archive_unix" "$drive_c/legacy.zip" <<'PY'
import sys, zipfile
# zipfile writes non-ASCII names as UTF-8; an older archive has them raw.
zipfile.ZipInfo._encodeFilenameFlags = lambda self: (self.filename.encode("cp1252"), self.flag_bits)
with zipfile.ZipFile(sys.argv[1]) as z:
    records = z.read("Manifest.ini").decode("utf-8").split("[TYPE:")
    record = "[TYPE:" + next(r for r in records if "файл.txt" in r)
    # Kestrune's names carry no UTF-8 flag: zipfile reads them as CP437.
    data = next(z.read(i) for i in z.infolist() if i.filename.encode("cp437") == "файл.txt".encode())
record = record.replace("C:\\ksr\\Папка", "C:\\kslegacy\\Café").replace("файл.txt", "fé.txt")
with zipfile.ZipFile(sys.argv[2], "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("Manifest.ini", record.encode("cp1252"))
    z.writestr("fé.txt", data)
PY
cli restore --quiet 'C:\legacy.zip' > "$work/legacy.txt"
expect_eq "legacy archive: restored" "0 1 restored, 0 exist, 0 failed" "$? $(grep 'restored, ' "$work/legacy.txt")"
check "legacy archive: the file is back under its name" cmp "$drive_c/ksr/Папка/файл.txt" "$drive_c/kslegacy/Café/fé.txt"

# Again: nothing changes, nothing is duplicated.
cli restore "$archive" --quiet > "$work/again.txt"
expect_eq "second restore: exit" 0 $?
snapshot > "$work/again-state.txt"
check "second restore changes nothing" diff "$work/before.txt" "$work/again-state.txt"

# A different file in an item's place stays, unless forced.
echo mine > "$drive_c/ksr/.dot"
cli restore "$archive" --quiet > "$work/exists.txt"
expect_eq "exists: exit" 1 $?
check "exists: reported" grep -q '^exists: file C:\\ksr\\.dot' "$work/exists.txt"
expect_eq "exists: the file stays" mine "$(cat "$drive_c/ksr/.dot")"
cli restore --force "$archive" > "$work/forced.txt"
expect_eq "forced: exit" 0 $?
expect_eq "forced: replaced" dot "$(tr -d '\r' < "$drive_c/ksr/.dot")"

# Links planted in the items' places: a hard link to kernel32.dll, a symbolic
# link to a file outside, a link to a folder outside on the way to a file and
# one inside the folder item. Even forced, the restore writes through none of
# them: the places behind links are refused, and the hard link loses only its
# name. (A symbolic link to kernel32.dll makes the whole archive damaged.)
system_dll=$drive_c/windows/system32/kernel32.dll
system_sum=$(md5sum < "$system_dll")
mkdir -p "$drive_c/ksr_outside/er" "$drive_c/ksr_outside/inner"
echo victim > "$drive_c/ksr_outside/victim.txt"
rm -rf "$drive_c/ksr/ro.txt" "$drive_c/ksr/.dot" "$drive_c/ksr/deep" "$drive_c/ksr/Tree/sub/inner"
ln -s ../ksr_outside/victim.txt "$drive_c/ksr/ro.txt"
ln "$system_dll" "$drive_c/ksr/.dot"
ln -s ../ksr_outside "$drive_c/ksr/deep"
ln -s ../../../ksr_outside/inner "$drive_c/ksr/Tree/sub/inner"
cli restore --force --quiet "$archive" > "$work/links.txt"
expect_eq "links: exit" 1 $?
expect_eq "links: kernel32.dll unchanged" "$system_sum" "$(md5sum < "$system_dll")"
expect_eq "links: refused" "6 restored, 0 exist, 3 failed" "$(grep 'restored, ' "$work/links.txt")"
check "links: the symbolic link is refused" grep -q '^failed: file C:\\ksr\\ro.txt (a link is on its path' "$work/links.txt"
check "links: the symbolic link stays" test -L "$drive_c/ksr/ro.txt"
expect_eq "links: the hard link's name alone is replaced" "dot 1" \
    "$(tr -d '\r' < "$drive_c/ksr/.dot") $(stat -c %h "$drive_c/ksr/.dot")"
expect_eq "links: nothing is written behind the links" "$drive_c/ksr_outside/victim.txt victim" \
    "$(find "$drive_c/ksr_outside" -type f) $(cat "$drive_c/ksr_outside/victim.txt")"
# The links go again: a later clean would refuse the items behind them.
rm -f "$drive_c/ksr/ro.txt" "$drive_c/ksr/deep" "$drive_c/ksr/Tree/sub/inner"

# An archive in the other place of Kestrune's files (written while that was
# the data folder) is listed and found by name.
[ "$other" == "$E2E_CLI_DIR" ] && writable_folder "$other"
mkdir -p "$other/KestruneBackup"
cp "$archive_unix" "$other/KestruneBackup/1,1,2001_1,1,1.zip"
touch -d 2001-01-01 "$other/KestruneBackup/1,1,2001_1,1,1.zip"
expect_eq "list: both places, newest first" "$archive	9 items
1,1,2001_1,1,1.zip	9 items" "$(cli restore --list | cut -f1,3)"
expect_eq "list: the other place's archive by its name" 9 "$(cli restore --list '1,1,2001_1,1,1.zip' | wc -l)"

cli restore --list --force > /dev/null; expect_eq "bad arguments" 2 $?

# Bombs among the archives are listed as damaged, read no further.
backups=$data/KestruneBackup
cp "$work/bomb.zip" "$backups/2,2,2002_2,2,2.zip"
cp "$work/spread.zip" "$backups/3,3,2003_3,3,3.zip"
expect_eq "list: bombs are damaged" "2,2,2002_2,2,2.zip	damaged
3,3,2003_3,3,3.zip	damaged" "$(cli restore --list | cut -f1,3 | grep damaged | sort)"
cli restore --list '2,2,2002_2,2,2.zip' > /dev/null
expect_eq "list: a bomb's items" "2 an entry expands beyond 256 MiB" \
    "$? $(grep -o 'an entry expands beyond 256 MiB' "$work/err.txt")"

# --delete refuses whatever is not a Kestrune archive in a backup folder: a
# system file, an archive elsewhere, a file of an archive's name without a
# manifest, a link of an archive's name; each stays as it was.
mkdir -p "$drive_c/elsewhere"
cp "$archive_unix" "$drive_c/elsewhere/4,4,2004_4,4,4.zip"
echo "not an archive" > "$backups/5,5,2005_5,5,5.zip"
ln -s "$drive_c/elsewhere/4,4,2004_4,4,4.zip" "$backups/6,6,2006_6,6,6.zip"
sums() { md5sum "$drive_c/windows/regedit.exe" "$drive_c/elsewhere/"* "$backups/"*; }
sums > "$work/sums-before.txt"
for target in 'C:\windows\regedit.exe' 'C:\elsewhere\4,4,2004_4,4,4.zip' '5,5,2005_5,5,5.zip' \
    '6,6,2006_6,6,6.zip'; do
    cli restore --delete "$target" > /dev/null
    expect_eq "delete $target: refused" "2 refused" "$? $(grep -o refused "$work/err.txt")"
done
sums > "$work/sums-after.txt"
check "delete: refused files stay as they were" diff "$work/sums-before.txt" "$work/sums-after.txt"
check "delete: the link stays a link" test -L "$backups/6,6,2006_6,6,6.zip"
# A damaged backup of Kestrune's can be deleted.
cli restore --delete '2,2,2002_2,2,2.zip' > /dev/null
expect_eq "delete: a bomb of an archive's name" "0 gone" "$? $([ -e "$backups/2,2,2002_2,2,2.zip" ] || echo gone)"
cli restore --delete "$archive" > /dev/null
expect_eq "delete: exit" 0 $?
check "delete: the archive is gone" test ! -e "$archive_unix"
cli restore "$archive" > /dev/null; expect_eq "a missing archive" 2 $?

# Pruning: archives are dated and ranked by their names; beyond the newest N,
# those older than D days go, in both places; files, a folder and a link to a
# file outside, named like archives or not, are never touched.
bk=$data/KestruneBackup
recent=$(date -d '10 days ago' +%-m,%-d,%Y_12,0,0)
# An archive holds a Manifest.ini; a file named like one without it is not.
plant_archives() { python3 -c 'import sys, zipfile
for p in sys.argv[1:]: zipfile.ZipFile(p, "w").writestr("Manifest.ini", "")' "$@"; }
plant_archives "$bk/1,"{1..12}",2002_1,1,1.zip" "$bk/$recent.zip" "$bk/$recent (2).zip"
for f in notes.zip 1,1,2001_1,1,1.zip.txt 01,1,2001_1,1,1.zip 2,30,2001_1,1,1.zip \
    '1,1,2001_1,1,1 (1).zip' 1,1,2002_1,1,2.zip; do echo x > "$bk/$f"; done
mkdir "$bk/3,1,2001_1,1,1.zip"
echo outside > "$drive_c/outside.zip"
ln -s "$drive_c/outside.zip" "$bk/4,1,2001_1,1,1.zip"
names() { ls "$bk" "$other/KestruneBackup" | grep -v ':$' | grep . | LC_ALL=C sort; }
all=$(names)
prune() { cli restore --prune "$@" | sed 's/.*\\//' | LC_ALL=C sort; exit "${PIPESTATUS[0]}"; }
expect_eq "prune --keep 0 keeps all" "|0 $all" "$(prune --keep 0)|$? $(names)"
expect_eq "prune --days 0 keeps all" "|0 $all" "$(prune --days 0)|$? $(names)"
# The damaged 3,3,2003 backup of the listing above counts among the newest.
gone=$(printf '1,%d,2002_1,1,1.zip\n' $(seq 1 10); echo 1,1,2001_1,1,1.zip)
expect_eq "prune --keep 5: the old beyond the newest five, in both places" "$(LC_ALL=C sort <<<"$gone")" "$(prune --keep 5)"
expect_eq "prune: exactly those are gone" "$(LC_ALL=C sort <(echo "$all") <(echo "$gone") | uniq -u)" "$(names)"
check "prune: the link's target stays" test -f "$drive_c/outside.zip"
for bad in "--keep x" "--keep -1" "--days" "$recent.zip" "--list"; do
    cli restore --prune $bad > /dev/null; expect_eq "prune $bad: bad arguments" 2 $?
done
cli restore --days 3 > /dev/null; expect_eq "--days without --prune" 2 $?
# After a complete backup, with the settings' limits; never the new archive.
wine reg add 'HKCU\Software\Kestrune' /v bkeep /d 2 /f >/dev/null 2>&1
cli clean --definitions defs.ks --backup --quiet > "$work/clean2.txt"
expect_eq "clean with pruning: exit" 0 $?
archive2=$(sed -n 's/^backup: .*\\//p' "$work/clean2.txt")
expect_eq "clean: the old archives beyond the newest two are deleted" "1,11,2002_1,1,1.zip 1,12,2002_1,1,1.zip 3,3,2003_3,3,3.zip" \
    "$(sed -n 's/^old backup deleted: .*\\//p' "$work/clean2.txt" | LC_ALL=C sort | paste -sd ' ')"
expect_eq "clean: the new archive and the recent ones stay" 3 \
    "$(names | grep -cxF -e "${archive2:-none}" -e "$recent.zip" -e "$recent (2).zip")"
# A backup folder that is a link leads elsewhere: nothing in it is touched.
mkdir -p "$drive_c/elsewhere"
mv "$other/KestruneBackup"/* "$drive_c/elsewhere/" 2>/dev/null
echo x > "$drive_c/elsewhere/1,1,2003_1,1,1.zip"
rmdir "$other/KestruneBackup" && ln -s "$drive_c/elsewhere" "$other/KestruneBackup"
before=$(ls "$drive_c/elsewhere")
cli restore --prune --keep 1 --days 1 > /dev/null
expect_eq "prune: nothing behind a linked backup folder" "$before" "$(ls "$drive_c/elsewhere")"
e2e_finish
