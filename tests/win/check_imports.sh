#!/usr/bin/env bash
# The Windows program runs on a machine with nothing installed: a GUI program
# (no console window) that imports system DLLs only, none of the compiler's
# runtime DLLs; with "console", a console program (the port check).
# usage: check_imports.sh OBJDUMP EXE [console]
set -euo pipefail
objdump=$1 exe=$2 subsystem=$([[ ${3:-} == console ]] && echo 3 || echo 2)

headers=$("$objdump" -p "$exe")
fail=0
if ! grep -Eq "^Subsystem[[:space:]]+0000000$subsystem" <<<"$headers"; then
    echo "not the expected program kind:"; grep '^Subsystem' <<<"$headers"; fail=1
fi
# DLLs that every Windows installation has.
system='^(kernel32|user32|gdi32|advapi32|shell32|comctl32|comdlg32|ole32|oleaut32|msvcrt|ws2_32|uxtheme|dwmapi|shcore|shlwapi|version|imm32|winmm|setupapi|cfgmgr32|ntdll|bcrypt|api-ms-win-[a-z0-9-]+)\.dll$'
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
[[ -n $dlls ]] || { echo "no imports found"; fail=1; }
while read -r dll; do
    [[ -z $dll ]] && continue
    if ! grep -Eqi "$system" <<<"$dll"; then echo "imports $dll, which is not a system DLL"; fail=1; fi
done <<<"$dlls"
exit $fail
