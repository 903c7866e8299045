#!/usr/bin/env bash
# Prepares the prefix of the window tests (run by wine-run with WINEPREFIX
# set): C:\bigtree, 200 folders of 300 files (the scan tests count them), so
# that a scan of it lasts long enough to be stopped, refreshed and waited for.
set -euo pipefail
"$(dirname "$0")/../../scripts/plant-tree" "$WINEPREFIX/drive_c/bigtree" 200 300 file
# C:\unreachable: a chain of folders past the host's own path limit, which
# Wine cannot open at any length (the status line counts it).
far=$(printf 'f%.0s' $(seq 1 200))
mkdir -p "$WINEPREFIX/drive_c/unreachable"
(cd "$WINEPREFIX/drive_c/unreachable" && for i in $(seq 1 22); do mkdir "$far" && cd "$far" || exit 1; done)
