#!/usr/bin/env bash
# Prepares the prefix of the window tests (run by wine-run with WINEPREFIX
# set): C:\bigtree, 200 folders of 300 files (the scan tests count them), so
# that a scan of it lasts long enough to be stopped, refreshed and waited for.
set -euo pipefail
"$(dirname "$0")/../../scripts/plant-tree" "$WINEPREFIX/drive_c/bigtree" 200 300 file
