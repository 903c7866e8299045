# Shared by the console-tool end-to-end scripts (sourced, not run): a work
# folder removed at exit and a counted comparison of an expected and an
# actual text. Environment (set by ctest): KESTRUNE_BUILD.
set -uo pipefail
cli="$KESTRUNE_BUILD/kestrune-cli.exe"
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrune-cli.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

check() {   # check NAME EXPECTED ACTUAL
    if [ "$2" != "$3" ]; then
        echo "FAIL $1: expected [$2], got [$3]"
        failures=$((failures + 1))
    else
        echo "ok   $1"
    fi
}
