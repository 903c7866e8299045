#!/usr/bin/env bash
# Prepares the prefix of the scan tests (run by wine-run with WINEPREFIX set):
# symbolic links on drive C: that a walk must not follow, a removable drive D:
# and a CD-ROM drive E:, each with a file and a folder on it. The drive types
# are set by wine-run's --drive-type (tests/CMakeLists.txt).
# C:\scan-report.txt is the hand-written report the report test compares with.
set -euo pipefail
c="$WINEPREFIX/drive_c"

# C:\links\real holds a file; C:\links\real\loop leads back to C:\links (a
# loop) and C:\links\alias is a second way into C:\links\real.
mkdir -p "$c/links/real/inner"
: > "$c/links/real/inner/linked.dll"
ln -s .. "$c/links/real/loop"
ln -s real "$c/links/alias"

for drive in d e; do
    mkdir -p "$WINEPREFIX/drive_$drive/deep/er"
    ln -sfn "../drive_$drive" "$WINEPREFIX/dosdevices/$drive:"
done
: > "$WINEPREFIX/drive_d/deep/er/onremovable.dll"
: > "$WINEPREFIX/drive_d/rootfile.dll"
: > "$WINEPREFIX/drive_e/deep/er/oncdrom.dll"
mkdir -p "$WINEPREFIX/drive_e/cdromfolder"
cp "$(dirname "$0")/data/scan-report.txt" "$c/scan-report.txt"
