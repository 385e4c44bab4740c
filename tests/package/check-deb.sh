#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks it: every program
# and its man page inside, no lintian error, its dependencies met by the
# machine's package sources (a simulated install), and each program and man
# page usable as unpacked.
set -euo pipefail
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
deb=$(ls "$out"/*.deb)
contents=$(dpkg-deb -c "$deb")
fail=0
for name in quillet-reading-utility quillet-meter-sim quillet-host-sim quillet-port-check; do
    grep -q "/usr/bin/$name\$" <<<"$contents" || { echo "missing /usr/bin/$name"; fail=1; }
    grep -q "/usr/share/man/man1/$name.1.gz\$" <<<"$contents" || { echo "missing man page $name"; fail=1; }
done
lintian --allow-root --fail-on error "$deb" || { echo "lintian reports errors"; fail=1; }

apt-get -s -q install "$deb" >"$out/apt.log" 2>&1 ||
    { echo "apt-get would not install the package:"; cat "$out/apt.log"; fail=1; }
dpkg-deb -x "$deb" "$out/root"
for name in quillet-reading-utility quillet-meter-sim quillet-host-sim quillet-port-check; do
    "$out/root/usr/bin/$name" --version | grep -q "^$name [0-9]" ||
        { echo "$name --version does not name it"; fail=1; }
    MANWIDTH=80 man -l "$out/root/usr/share/man/man1/$name.1.gz" 2>/dev/null | grep -q -- "--help" ||
        { echo "man page of $name does not read"; fail=1; }
done
exit $fail
