# Shared steps that make a Wine prefix fit for Kestrune, sourced by
# scripts/wine-template (the tests' template), scripts/run and
# scripts/screenshots.

# prefix_fonts PREFIX: Wine's own fonts (package fonts-wine), Tahoma for the
# dialogs and Marlett for the caption buttons, copied to the prefix's Fonts
# folder, where Wine reads them; without them the buttons read "0 1 r".
prefix_fonts() {
    cp /usr/share/wine/fonts/*.ttf "$1/drive_c/windows/Fonts/"
}

# prefix_plain_profile PREFIX: wineboot links the profile's folders (Desktop,
# Documents, ...) into the Linux home. Makes every link below drive C: that
# leads out of the prefix a plain folder, so that nothing run in the prefix,
# however broken, can reach the home. PREFIX must be a physical path
# (pwd -P). Fails when such a link is left.
prefix_plain_profile() {
    local dir=$1 link target
    find "$dir/drive_c" -type l -print0 | while IFS= read -r -d '' link; do
        target=$(readlink -f "$link" || true)
        case "$target" in
            "$dir"/*) ;;
            *) rm -f "$link"; mkdir -p "$link" ;;
        esac
    done
    if [ -n "$(find "$dir/drive_c" -type l -lname '/*' ! -lname "$dir/*" -print -quit)" ]; then
        echo "a link below drive C: of $dir still leads out of the prefix" >&2
        return 1
    fi
}

# prefix_arch PREFIX: the bitness Wine booted PREFIX with, win32 or win64 (as
# WINEARCH names it), read from the prefix's registry; nothing when PREFIX
# was never booted. A prefix is run with its own bitness.
prefix_arch() {
    sed -n 's/^#arch=\(win32\|win64\)$/\1/p' "$1/system.reg" 2>/dev/null | head -n 1
}

# prefix_native_wine PREFIX: the command that starts programs of PREFIX's own
# bitness. Plain "wine" starts the 32-bit ones (reg.exe, cmd.exe), which in a
# 64-bit prefix see the 32-bit registry view (Wow6432Node) and SysWOW64; Wine's
# own settings (HKLM\Software\Wine) are read from the 64-bit view there.
prefix_native_wine() {
    if [ "$(prefix_arch "$1")" = win64 ]; then
        command -v wine64 || echo /usr/lib/wine/wine64
    else
        echo wine
    fi
}
