#!/usr/bin/env bash
# Links, neighbours and hives for the protected-place tests, made on the Unix side of
# the test prefix (Win32 under Wine cannot make links): C:\placesfix holds links
# into the Windows folder, and C:\Sandbox the removable look-alikes.
set -euo pipefail
c="$WINEPREFIX/drive_c"
mkdir -p "$c/placesfix" "$c/Sandbox/inner"
ln -s ../windows "$c/placesfix/winlink"
ln -s ../windows/system32/kernel32.dll "$c/placesfix/kernellink"
ln -s "../Program Files" "$c/placesfix/programlink"
echo parasite > "$c/Sandbox/svchost.exe"
echo parasite > "$c/Sandbox/kernel32.dll"
# The machine's registry hives, which Wine keeps elsewhere.
mkdir -p "$c/windows/system32/config"
echo hive > "$c/windows/system32/config/SOFTWARE"
