#!/usr/bin/env bash
# The MSI in a fresh Wine prefix: silent install (its entry named by the
# product code that README.txt, the station page and the changelog give, with
# the contact, the comment and no Repair); a job of the installed utility
# journalled by %ProgramData%\Quillet\settings.ini; the event source
# registered and the port check, by name, finding it; the journal tool by
# name; an upgrade to 1.0.1 (one entry, its files); the older one refused with
# 1603, and removal by its product code with 1605; silent removal by product
# code with a log (no program file, PATH entry or event source left);
# settings and journal unchanged.
# usage: msi_wine.sh CPACK_CONFIG METER_SIM KEEP_ALIVE (see wine_prefix.sh)
here=$(dirname "$(realpath "$0")")
source "$here/../lib/job.sh"
require_commands "Debian packages wixl, msitools" wixl msiinfo
out=$(mktemp -d)
export WINEPREFIX=$out/prefix WINEDEBUG=-all
cleanup='"$here/wine_prefix.sh" teardown "$WINEPREFIX"; rm -rf "$out"'
trap "$cleanup" EXIT
cpack --config "$1" -B "$out/old" >/dev/null
cpack --config "$1" -B "$out/new" -D CPACK_PACKAGE_VERSION=1.0.1 >/dev/null
old=$(ls "$out"/old/*.msi) new=$out/new/quillet-reading-utility-1.0.1-x64.msi
code() { msiinfo export "$1" Property | tr -d '\r' | awk '$1 == "ProductCode" {print $2}'; }
"$here/wine_prefix.sh" setup "$WINEPREFIX" "$3" >/dev/null
installed=$WINEPREFIX/drive_c/Program\ Files/Quillet station=$WINEPREFIX/drive_c/ProgramData/Quillet
mkdir -p "$station" && printf 'journal = journal.jsonl\r\nsystem log = on\r\n' | tee "$out/settings.ini" >"$station/settings.ini"
msi() { wine msiexec "$1" "$(winepath -w "$2")" /qn >/dev/null 2>&1 </dev/null; }
msi /i "$old"
job_init "$installed/Quillet Reading Utility.exe" "$2"
trap "job_cleanup; $cleanup" EXIT
check_files() {  # old|new: the installed files are that package's
    for f in "$out/$1"/_CPack_Packages/*/ZIP/*/*; do cmp -s "$f" "$installed/${f##*/}" || failed "${f##*/}: not $1"; done
}
check_files old
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
wine reg query "$uninstall\\$(code "$old")" </dev/null | tr -d '\r' >"$out/entry"
for value in 'Contact +REG_SZ +Quillet lab support' 'Comments +REG_SZ +.*windows-station\.txt' 'NoRepair +REG_DWORD +0x1'; do
    grep -qE "$value" "$out/entry" || failed "the entry $(code "$old") has no $value"
done
grep -qF "msiexec /x $(code "$old")" "$installed/README.txt" && grep -qF "$(code "$old")" "$here/../../packaging/changelog" ||
    failed "README.txt or the changelog: not the product code"
grep -qF "product code of 1.0.0 | $(code "$old")" "$installed/windows-station.txt" ||
    failed "windows-station.txt: not the product code $(code "$old")"
start_meter meter 5 "$ports"
record '1000 Ohms' COM5 >"$job/ExtCtrl.dat"
run_utility 30
check_record 1234.5Ohms
cp "$station/journal.jsonl" "$out/"  # the job's journal line
wine cmd /c 'quillet-port-check COM5' >"$work/check" 2>&1 </dev/null || failed "port check: $(<"$work/check")"
grep -q '^System log: *on (set by C:\\ProgramData\\Quillet\\settings.ini)' <(tr -d '\r' <"$work/check") ||
    failed "the port check does not find the event source: $(<"$work/check")"
source_key() {  # the event source's values as reg shows them
    wine reg query 'HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Quillet Reading Utility' \
        </dev/null 2>/dev/null | tr -d '\r' | sed -n 's/^ \{4\}//p'
}
[[ $(source_key) == $'EventMessageFile    REG_EXPAND_SZ    %SystemRoot%\\System32\\EventCreate.exe\nTypesSupported    REG_DWORD    0x7' ]] ||
    failed "the event source's values: $(source_key)"
wine cmd /c 'quillet-journal --version' >"$work/check" 2>&1 </dev/null || failed "journal tool: $(<"$work/check")"

entries() {  # DisplayVersion of each installed entry of ours
    wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s </dev/null | tr -d '\r' |
        awk '/^HKEY/ {o = 0} /DisplayName .*Quillet Reading Utility$/ {o = 1} o && /DisplayVersion/ {print $NF}'
}
for file in "$installed"/*; do : >"$file"; done  # the upgrade must put its own files in place
msi /i "$new" || failed "the upgrade failed"
[[ $(entries) == 1.0.1 ]] || failed "after the upgrade: $(entries)"
check_files new
(($(msi /i "$old"; echo $?) == 1603 % 256)) || failed "the older version: not refused with exit status 1603"
[[ $(entries) == 1.0.1 ]] || failed "after the downgrade: $(entries)"
grep -q 'A newer version of the Quillet Reading Utility is already installed' \
    <(msiinfo export "$old" LaunchCondition) || failed "no message refusing a downgrade"

status=$(wine msiexec /x "$(code "$old")" /qn >/dev/null 2>&1 </dev/null; echo $?)
((status == 1605 % 256)) || failed "removal by the replaced version's code: exit status $status, not 1605"
wine msiexec /x "$(code "$new")" /qn /l*v "$(winepath -w "$out/remove.log")" >/dev/null 2>&1 </dev/null ||
    failed "the removal by product code failed"
[[ -s $out/remove.log ]] || failed "no removal log"
[[ ! -e $installed && -z $(entries) && -z $(source_key) ]] ||
    failed "left after removal: $(ls "$installed") $(entries) $(source_key)"
! grep -qi quillet <(wine cmd /c 'echo %PATH%' </dev/null) || failed "still on the PATH"
cmp -s "$out/settings.ini" "$station/settings.ini" && cmp -s "$out/journal.jsonl" "$station/journal.jsonl" ||
    failed "the settings or the journal changed"
job_end
