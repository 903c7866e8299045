#!/usr/bin/env bash
# Links for the removal and backup tests, made on the Unix side of the test
# prefix (Win32 under Wine cannot make them), below C:\removalfix.
set -euo pipefail
root="$WINEPREFIX/drive_c/removalfix"
mkdir -p "$root"
cd "$root"

# A parasite folder holding a link to a folder outside it, next to ordinary
# entries: the removal empties it of everything but the link.
mkdir -p linked/Bad/sub linked/outside
echo keep > linked/outside/keep.txt
echo gone > linked/Bad/plain.txt
echo gone > linked/Bad/sub/nested.txt
ln -s ../outside linked/Bad/outlink

# The same for the backup: the copy passes the link by.
mkdir -p backup/Bad/sub backup/outside
echo keep > backup/outside/keep.txt
echo one > backup/Bad/one.txt
echo two > backup/Bad/sub/two.txt
ln -s ../outside backup/Bad/outlink

# Links on the way to a place: "via" leads to a folder outside, "file.txt" to
# a file there. Items below them are refused by the removal and the backup.
mkdir -p midlink/outside/Bad
echo keep > midlink/outside/Bad/keep.txt
ln -s outside midlink/via
ln -s outside/Bad/keep.txt midlink/file.txt
