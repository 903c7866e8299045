#!/usr/bin/env bash
# Symbolic links for the folder-walk tests, made on the Unix side of the test
# prefix (Win32 under Wine cannot make them). Each test has its own set below
# C:\linkfix, because the walks change what they reach.
set -euo pipefail
root="$WINEPREFIX/drive_c/linkfix"
mkdir -p "$root"
cd "$root"

# delete: a tree holding links to a full folder, an empty folder and a file,
# all outside the tree, next to ordinary entries.
mkdir -p delete/tree/sub delete/outside delete/outside_empty
echo keep > delete/outside/keep.txt
echo keep > delete/outside/other.txt
echo gone > delete/tree/plain.txt
echo gone > delete/tree/sub/nested.txt
ln -s ../outside delete/tree/dirlink
ln -s ../outside_empty delete/tree/emptylink
ln -s ../outside/other.txt delete/tree/filelink

# contents: the same links one level down, for deleteFolderContents.
mkdir -p contents/tree/inner contents/outside
echo keep > contents/outside/keep.txt
echo gone > contents/tree/inner/a.txt
echo gone > contents/tree/b.txt
ln -s ../../outside contents/tree/inner/dirlink

# top: the folder handed to the walks is itself a link (full and empty target).
mkdir -p top/outside top/outside_empty
echo keep > top/outside/keep.txt
ln -s outside top/link
ln -s outside_empty top/emptylink

# copy: a tree with a link back to its own parent and a link to a file.
mkdir -p copy/tree/sub
echo one > copy/tree/one.txt
echo two > copy/tree/sub/two.txt
ln -s .. copy/tree/sub/loop
ln -s ../one.txt copy/tree/sub/onelink
