#!/usr/bin/env bash
# Reads the resources of a Windows executable back with windres and checks its
# version record: the numeric versions from the project's VERSION, the maker,
# the copyright, the names. "utility": its texts "1.00" and "Supports > COM9",
# the icon group's two pictures and the manifest; "tool": the texts VERSION.
#
# Usage: check-resources.sh EXE utility|tool VERSION
set -u
windres=x86_64-w64-mingw32-windres
source "$(dirname "$0")/../lib/job.sh"
require_commands "Debian package binutils-mingw-w64-x86-64" $windres
rc=$(mktemp)
trap 'rm -f "$rc"' EXIT
$windres -i "$1" -O rc >"$rc" || { echo "FAIL: windres cannot read $1" >&2; exit 1; }

failures=0
expect() {
    grep -qF -- "$1" "$rc" || { echo "FAIL: no line with: $1" >&2; failures=$((failures + 1)); }
}
# The version record.
version=$3 kind=$2 name=$(basename "$1")
expect " FILEVERSION ${version//./, }, 0"
expect " PRODUCTVERSION ${version//./, }, 0"
expect 'VALUE "CompanyName", "Quillet"'
expect 'VALUE "LegalCopyright", "Copyright (C) 2026 Quillet"'
expect 'VALUE "ProductName", "Quillet Reading Utility"'
expect "VALUE \"InternalName\", \"${name%.exe}\""
expect "VALUE \"OriginalFilename\", \"$name\""
grep -qE 'VALUE "FileDescription", "Quillet .{8}' "$rc" || { echo "FAIL: no FileDescription" >&2; failures=1; }
if [[ $kind == tool ]]; then
    expect "VALUE \"FileVersion\", \"$version\""
    expect "VALUE \"ProductVersion\", \"$version\""
    ((failures)) && exit 1
    echo PASS && exit 0
fi
expect 'VALUE "FileVersion", "1.00"'
expect 'VALUE "ProductVersion", "1.00"'
expect 'VALUE "Comments", "Supports > COM9"'
# The icon group the window loads: 32 x 32 and 16 x 16, 16 colours, 4 bits a pixel.
expect '"METERICON" 14 /* RT_GROUP_ICON */'
expect 'Has 2 elements.'
expect '"\040\040\020\000", 1, 4,'
expect '"\020\020\020\000", 1, 4,'
# The manifest (resource 1 of type 24): no elevation, common controls 6,
# per-monitor DPI awareness.
expect '1 24 /* RT_MANIFEST */'
expect 'level=""asInvoker""'
expect 'name=""Microsoft.Windows.Common-Controls"" version=""6.0.0.0""'
expect '>PerMonitorV2, PerMonitor</dpiAwareness>'
expect '>true/pm</dpiAware>'

if ((failures)); then exit 1; fi
echo "PASS"
