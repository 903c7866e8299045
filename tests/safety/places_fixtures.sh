#!/usr/bin/env bash
# Links and neighbours for the protected-place tests, made on the Unix side of
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
