#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks it: every program
# and its man page inside, every page of docs/ beside the README, no lintian
# error, its dependencies met by the machine's package sources (a simulated
# install), and each program and man page usable as unpacked: the man page's
# NAME line says what the program does, and it has FILES and SEE ALSO.
set -euo pipefail
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
deb=$(ls "$out"/*.deb)
contents=$(dpkg-deb -c "$deb")
fail=0
for name in quillet-reading-utility quillet-meter-sim quillet-host-sim quillet-port-check quillet-journal; do
    grep -q "/usr/bin/$name\$" <<<"$contents" || { echo "missing /usr/bin/$name"; fail=1; }
    grep -q "/usr/share/man/man1/$name.1.gz\$" <<<"$contents" || { echo "missing man page $name"; fail=1; }
done
for page in "$(dirname "$0")"/../../docs/*.md; do
    grep -q "/doc/quillet-reading-utility/docs/${page##*/}\$" <<<"$contents" || { echo "no docs/${page##*/}"; fail=1; }
done
lintian --allow-root --fail-on error "$deb" || { echo "lintian reports errors"; fail=1; }

apt-get -s -q install "$deb" >"$out/apt.log" 2>&1 ||
    { echo "apt-get would not install the package:"; cat "$out/apt.log"; fail=1; }
dpkg-deb -x "$deb" "$out/root"
for name in quillet-reading-utility quillet-meter-sim quillet-host-sim quillet-port-check quillet-journal; do
    "$out/root/usr/bin/$name" --version | grep -q "^$name [0-9]" ||
        { echo "$name --version does not name it"; fail=1; }
    MANWIDTH=200 man -l "$out/root/usr/share/man/man1/$name.1.gz" >"$out/page" 2>/dev/null
    grep -q -- "--help" "$out/page" && grep -qE "^ +$name - [a-z]+ .{20}" "$out/page" &&
        grep -q '^FILES$' "$out/page" && grep -q '^SEE ALSO$' "$out/page" ||
        { echo "man page of $name: does not read, or no NAME text, FILES or SEE ALSO"; fail=1; }
done
exit $fail
