#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks it: every program
# and its man page inside, every page of docs/ beside the README, no lintian
# warning, its dependencies met by the machine's package sources (a simulated
# install), and each program and man page usable as unpacked: the man page's
# NAME line says what the program does, it has FILES naming its own files,
# one EXIT STATUS and SEE ALSO. The postinst, run in a root of its own, makes
# /var/log/quillet root:dialout 3775 and leaves an existing one alone; no
# file of the package and no removal script touches it. The copyright file
# carries the notices of FLTK and of the C++ runtime's exception.
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
lintian --allow-root --fail-on warning "$deb" || { echo "lintian reports warnings"; fail=1; }

apt-get -s -q install "$deb" >"$out/apt.log" 2>&1 ||
    { echo "apt-get would not install the package:"; cat "$out/apt.log"; fail=1; }
dpkg-deb -x "$deb" "$out/root"
dpkg-deb -e "$deb" "$out/control"
! grep -q '/var/log' <<<"$contents" && [[ ! -e $out/control/postrm && ! -e $out/control/prerm ]] ||
    { echo "the package's files or removal scripts touch /var/log"; fail=1; }
DPKG_ROOT=$out/root "$out/control/postinst" configure
[[ $(stat -c '%U:%G %a' "$out/root/var/log/quillet") == 'root:dialout 3775' ]] ||
    { echo "postinst made: $(stat -c '%U:%G %a' "$out/root/var/log/quillet")"; fail=1; }
chmod g-ws,o-t "$out/root/var/log/quillet" && DPKG_ROOT=$out/root "$out/control/postinst" configure
[[ $(stat -c '%a' "$out/root/var/log/quillet") == 755 ]] || { echo "postinst changed a folder"; fail=1; }
copyright=$out/root/usr/share/doc/quillet-reading-utility/copyright
grep -q 'based in part on the work of the FLTK project' "$copyright" &&
    grep -q 'GCC RUNTIME LIBRARY EXCEPTION' "$copyright" || { echo "copyright: no FLTK or GCC notice"; fail=1; }
declare -A own=([quillet-reading-utility]=ExtCtrl.dat [quillet-port-check]=settings
                [quillet-meter-sim]=DIR/COM [quillet-host-sim]=PORTS/COM [quillet-journal]=replay)
for name in quillet-reading-utility quillet-meter-sim quillet-host-sim quillet-port-check quillet-journal; do
    "$out/root/usr/bin/$name" --version | grep -q "^$name [0-9]" ||
        { echo "$name --version does not name it"; fail=1; }
    MANWIDTH=200 man -l "$out/root/usr/share/man/man1/$name.1.gz" >"$out/page" 2>/dev/null
    grep -q -- "--help" "$out/page" && grep -qE "^ +$name - [a-z]+ .{20}" "$out/page" &&
        grep -q '^SEE ALSO$' "$out/page" && (($(grep -c '^EXIT STATUS$' "$out/page") == 1)) &&
        sed -n '/^FILES$/,/^SEE ALSO$/p' "$out/page" | grep -q "${own[$name]}" ||
        { echo "man page of $name: does not read, or no NAME text, own FILES, EXIT STATUS or SEE ALSO"; fail=1; }
done
exit $fail
