#!/usr/bin/env bash
# kestrune-cli in a 64-bit Wine prefix (KESTRUNE_WINE_TEMPLATE64; skipped
# without one): files in the real System32 and in SysWOW64, placed in
# System32 and placeless, are found once each under their real places; a
# 64-bit program running from a parasite file is ended; a 32-bit component
# in the real System32 is unregistered by the 32-bit regsvr32; `clean
# --backup` removes them and `restore` brings them back byte for byte.
source "$(dirname "$0")/lib/e2e.sh"
template64=${KESTRUNE_WINE_TEMPLATE64:-}
if [ -z "$template64" ] || [ ! -f "$template64/.kestrune-ready" ]; then
    say "skipped: KESTRUNE_WINE_TEMPLATE64 names no booted 64-bit template prefix"
    exit 77
fi
KESTRUNE_WINE_TEMPLATE=$template64
export WINEARCH=win64
work=$E2E_WORK
T=$'\t'

cat > "$work/defs.xml" <<'XML'
<KS>
  <SW NAME="KsSys">
    <FILES>
      <FILE NAME="ks64run.exe" PATH="C:\windows\system32"/>
      <FILE NAME="kscomp.dll" PATH="C:\windows\system32"/>
      <FILE NAME="ks32only.dat" PATH="C:\windows\system32"/>
      <FILE NAME="ksboth.dat" PATH="C:\windows\system32"/>
      <FILE NAME="ksnative.dat" PATH=""/>
      <FILE NAME="kswow.dat" PATH=""/>
    </FILES>
  </SW>
</KS>
XML
scramble "$work/defs.xml" "$work/defs.ks"
e2e_prefix
e2e_install_cli "$work/defs.ks"
sys=$E2E_C/windows/system32 wow=$E2E_C/windows/syswow64
check "the prefix is a 64-bit one" test -d "$wow"

# Wine's 64-bit notepad under a parasite's name, started; a 32-bit component;
# data files with bytes of every value.
cp "$sys/notepad.exe" "$sys/ks64run.exe"
cp "$KESTRUNE_BUILD/test_component.dll" "$sys/kscomp.dll"
for f in "$wow/ks32only.dat" "$sys/ksboth.dat" "$wow/ksboth.dat" "$sys/ksnative.dat" "$wow/kswow.dat"; do
    python3 -c 'import sys; sys.stdout.buffer.write(bytes(range(256)) * 8 + sys.argv[1].encode())' "$f" > "$f"
done
files=(system32/ks64run.exe system32/kscomp.dll syswow64/ks32only.dat system32/ksboth.dat
       syswow64/ksboth.dat system32/ksnative.dat syswow64/kswow.dat)
snapshot() { (cd "$E2E_C/windows" && md5sum "${files[@]}" 2>&1); }
snapshot > "$work/before.txt"
# The 64-bit loader: the 32-bit one would look for it in SysWOW64.
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
"$wine64" 'C:\windows\system32\ks64run.exe' >/dev/null 2>&1 &
notepad=$!
E2E_PIDS+=("$notepad")
sleep 3
check "the 64-bit program runs" kill -0 "$notepad"

cli() { (cd "$E2E_CLI_DIR" && wine 'C:\kestrune\kestrune-cli.exe' "$@" 2>"$work/err.txt" | tr -d '\r'; exit "${PIPESTATUS[0]}"); }

cli scan --definitions defs.ks --quiet > "$work/scan.txt"
expect_eq "scan exit: found" 1 $?
expect_eq "each file once, under its real place" "$(printf '%s\n' \
    "KsSys${T}C:\\windows\\system32\\ks64run.exe${T}File${T}" \
    "KsSys${T}C:\\windows\\system32\\kscomp.dll${T}File${T}" \
    "KsSys${T}C:\\windows\\syswow64\\ks32only.dat${T}File${T}" \
    "KsSys${T}C:\\windows\\system32\\ksboth.dat${T}File${T}" \
    "KsSys${T}C:\\windows\\syswow64\\ksboth.dat${T}File${T}" \
    "KsSys${T}C:\\windows\\syswow64\\kswow.dat${T}File${T}" \
    "KsSys${T}C:\\windows\\system32\\ksnative.dat${T}File${T}" | LC_ALL=C sort -f)" \
    "$(cut -f1-4 "$work/scan.txt" | LC_ALL=C sort -f)"

cli clean --definitions defs.ks --backup --quiet > "$work/clean.txt"
expect_eq "clean exit" 0 $?
check "the 64-bit program was ended" bash -c "sleep 1; ! kill -0 $notepad 2>/dev/null"
check "the component was unregistered by regsvr32" test -s "$sys/kscomp.dll.unregistered"
for f in system32/ks64run.exe system32/kscomp.dll syswow64/ks32only.dat system32/ksboth.dat \
         syswow64/ksboth.dat system32/ksnative.dat syswow64/kswow.dat; do
    check "removed: $f" test ! -e "$E2E_C/windows/$f"
done
check "System32 and SysWOW64 themselves stay" test -f "$sys/notepad.exe" -a -f "$wow/notepad.exe"
archive=$(sed -n 's/^backup: .*\\//p' "$work/clean.txt")
check "clean names its archive" test -n "$archive"

rm -f "$sys/kscomp.dll.unregistered"
cli restore --quiet "$archive" > "$work/restore.txt"
expect_eq "restore exit" 0 $?
expect_eq "each file back byte for byte in its real place" "$(cat "$work/before.txt")" "$(snapshot)"
e2e_finish
