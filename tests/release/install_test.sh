#!/usr/bin/env bash
# The build as people install it: `cmake --install` into a scratch prefix, the tree moved
# elsewhere, then, from another folder, the installed tarnhost checks the installed scenarios
# with the installed module (found from the program's own folder) and `man -l` shows the installed
# manual page, its version filled in.
#   install_test.sh BUILD_DIR SCENARIOS_DIR VERSION
set -uo pipefail

build=$1
scenarios=$2
version=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

# Reports a failed expectation and counts it.
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

cmake --install "$build" --prefix "$scratch/installed" >"$scratch/install.log" 2>&1 || {
    cat "$scratch/install.log"
    echo "FAIL: cmake --install failed"
    exit 1
}
mv "$scratch/installed" "$scratch/moved" && mkdir "$scratch/elsewhere" && cd "$scratch/elsewhere" ||
    exit 1
prefix=$scratch/moved
doc=$prefix/share/doc/tarnwick

for file in bin/tarnhost lib/tarnwick/tarnwick.so share/man/man1/tarnhost.1 \
    share/doc/tarnwick/README.md share/doc/tarnwick/CHANGELOG.md; do
    [[ -f $prefix/$file ]] || fail "$file is not installed"
done
[[ $(find "$doc/scenarios" -name '*.scn' | wc -l) -eq $(find "$scenarios" -name '*.scn' | wc -l) ]] ||
    fail "not every scenario is installed in share/doc/tarnwick/scenarios"

"$prefix/bin/tarnhost" --check "$doc/scenarios" >"$scratch/check.out" 2>&1
status=$?
((status == 0)) && grep -qx '[1-9][0-9]* passed, 0 failed' "$scratch/check.out" ||
    fail "the installed tarnhost --check exits $status: $(tail -n 3 "$scratch/check.out" | tr '\n' ' ')"

if ! command -v man >/dev/null; then
    fail "man is missing (scripts/install-deps installs man-db)"
else
    MANPAGER=cat MANWIDTH=80 man -l "$prefix/share/man/man1/tarnhost.1" 2>"$scratch/man.err" |
        col -b >"$scratch/man.out"
    [[ ! -s $scratch/man.err ]] || fail "man -l warns: $(head -n 3 "$scratch/man.err")"
    for expected in "TARNHOST(1)" "tarnhost - play scenarios" "Tarnwick $version" "EXIT STATUS"; do
        grep -qF -- "$expected" "$scratch/man.out" || fail "man -l does not show '$expected'"
    done
fi

((failures == 0)) && echo "installed and moved: $prefix/bin/tarnhost passes every scenario"
((failures == 0))
