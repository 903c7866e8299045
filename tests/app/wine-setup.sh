#!/usr/bin/env bash
# Prepares the prefix of the window tests (run by wine-run with WINEPREFIX
# set): a tree of about 60,000 entries, so that a scan of it lasts long
# enough to be stopped, refreshed and waited for.
set -euo pipefail
big="$WINEPREFIX/drive_c/bigtree"
for i in $(seq 1 200); do
    mkdir -p "$big/d$i"
    (cd "$big/d$i" && touch $(seq -f 'file%g.txt' 1 300))
done
