#!/usr/bin/env bash
# kestrune-cli in a 64-bit prefix (KESTRUNE_WINE_TEMPLATE64 names its
# template; skipped, exit 77, without one): a key and a Run value of the 64-bit view are
# found under the names a 64-bit program sees, the 32-bit view's copies under
# their Wow6432Node names, `clean --backup` removes all four and leaves their
# neighbours in both views, and `restore` writes each back in its own view.
if [ -z "${KESTRUNE_WINE_TEMPLATE64:-}" ]; then
    echo "skipped: KESTRUNE_WINE_TEMPLATE64 names no 64-bit template prefix"
    exit 77
fi
export KESTRUNE_WINE_TEMPLATE=$KESTRUNE_WINE_TEMPLATE64
source "$(dirname "$0")/lib/e2e.sh"
export WINEARCH=win64
work=$E2E_WORK
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'

cat > "$work/defs.xml" <<'XML'
<KS>
  <SW NAME="KsViews">
    <REGISTRY>
      <KEYS><REGKEY MAIN="HKEY_LOCAL_MACHINE" SUB="Software\KsViews" VALUE="Bad"/></KEYS>
      <VALUES><REGVALUE MAIN="HKEY_LOCAL_MACHINE" SUB="Software\Microsoft\Windows\CurrentVersion\Run" VALUE="KsBad"/></VALUES>
    </REGISTRY>
  </SW>
</KS>
XML
scramble "$work/defs.xml" "$work/defs.ks"
e2e_prefix
e2e_install_cli "$work/defs.ks"
for view in 64 32; do
    wine reg add 'HKLM\Software\KsViews\Bad' /v v /d "bad$view" /f /reg:$view >/dev/null 2>&1
    wine reg add 'HKLM\Software\KsViews\Good' /v v /d "good$view" /f /reg:$view >/dev/null 2>&1
    wine reg add "$run_key" /v KsBad /d "bad$view.exe" /f /reg:$view >/dev/null 2>&1
    wine reg add "$run_key" /v KsGood /d "good$view.exe" /f /reg:$view >/dev/null 2>&1
done
query() { wine reg query "$1" /v "$2" "/reg:$3" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { print $3 }'; }

cli() { (cd "$E2E_CLI_DIR" && wine 'C:\kestrune\kestrune-cli.exe' "$@" 2>"$work/err.txt" | tr -d '\r'; exit "${PIPESTATUS[0]}"); }
T=$'\t'
expect_eq "scan: the key and value of each view under their real names" \
    "KsViews${T}HKEY_LOCAL_MACHINE\\Software\\KsViews\\Bad${T}RegKey${T}
KsViews${T}HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\KsViews\\Bad${T}RegKey${T}
KsViews${T}HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run : KsBad${T}RegValue${T}
KsViews${T}HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run : KsBad${T}RegValue${T}" \
    "$(cli scan --definitions defs.ks --quiet)"
cli clean --definitions defs.ks --backup --quiet > "$work/clean.txt"
expect_eq "clean exit" 0 $?
expect_eq "clean: the key and value of both views go, the neighbours stay" \
    "good64 good32 good64.exe good32.exe" \
    "$(echo $(query 'HKLM\Software\KsViews\Bad' v 64) $(query 'HKLM\Software\KsViews\Bad' v 32) \
        $(query 'HKLM\Software\KsViews\Good' v 64) $(query 'HKLM\Software\KsViews\Good' v 32) \
        $(query "$run_key" KsBad 64) $(query "$run_key" KsBad 32) \
        $(query "$run_key" KsGood 64) $(query "$run_key" KsGood 32))"
expect_eq "clean: one outcome per find, under its location" \
    "deleted${T}RegKey${T}KsViews${T}HKEY_LOCAL_MACHINE\\Software\\KsViews\\Bad
deleted${T}RegKey${T}KsViews${T}HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\KsViews\\Bad
deleted${T}RegValue${T}KsViews${T}HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run : KsBad
deleted${T}RegValue${T}KsViews${T}HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run : KsBad" \
    "$(grep -v '^backup:\|^log:\|deleted,' "$work/clean.txt")"
archive=$(sed -n 's/^backup: .*\\//p' "$work/clean.txt")
check "clean names its archive" test -n "$archive"
cli restore "$archive" > "$work/restore.txt"
expect_eq "restore exit" 0 $?
expect_eq "restore: each comes back in its own view" "bad64 bad32 bad64.exe bad32.exe" \
    "$(echo $(query 'HKLM\Software\KsViews\Bad' v 64) $(query 'HKLM\Software\KsViews\Bad' v 32) \
        $(query "$run_key" KsBad 64) $(query "$run_key" KsBad 32))"
e2e_finish
