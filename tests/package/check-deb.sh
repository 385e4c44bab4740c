#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks it: every program
# and its man page inside, and no lintian error.
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
exit $fail
