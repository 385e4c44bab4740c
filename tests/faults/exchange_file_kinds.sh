#!/usr/bin/env bash
# Things other than a writable regular file where ExtCtrl.dat should be. A
# FIFO or a directory counts as an exchange file that can be neither read nor
# written: the job runs on the zero record (port COM1, the base unit), never
# blocks on it, and leaves it as it was. A record the user may read but not
# write is read (its port and unit are used) and stays byte for byte as it
# was, the write-back being refused. Each ends with exit status 1 and says why
# on standard error (the directory's case also in the journal, which every
# case keeps): the result did not reach the host.
#
# usage: exchange_file_kinds.sh UTILITY METER_SIM CASE
source "$(dirname "$0")/../lib/job.sh"
job_init "$1" "$2"
case=$3
file=$job/ExtCtrl.dat
job_exit=1
printf 'journal = %s\n' "$work/journal.jsonl" >"$work/config/quillet/settings"

case $case in
fifo | device)
    # A device whose read would never end: /dev/ptmx.
    start_meter com1 1 "$ports" --reading '0\r+9.9 kOhms\r'
    if [[ $case == fifo ]]; then mkfifo "$file"; else ln -s /dev/ptmx "$file"; fi
    run_utility 5
    check_status 9900
    check_not_written 'not a regular file'
    [[ -p $file || -L $file ]] || failed "ExtCtrl.dat is no longer what it was"
    ;;
directory)
    start_meter com1 1 "$ports" --reading '0\r+9.9 kOhms\r'
    mkdir "$file"
    printf 'inside' >"$file/kept"
    run_utility 5
    check_status 9900
    check_not_written 'not a regular file'
    [[ $(cat "$file/kept") == inside ]] || failed "the directory's file changed"
    grep -q '"outcome":"not written","reason":"[^"]*/ExtCtrl.dat: not a regular file"}$' "$work/journal.jsonl" ||
        failed "the journal does not say why the result was not written"
    ;;
read_only)
    # The record names COM5 and kOhms; COM1 answers something else, so using
    # the zero record shows as 9900. A journal this user may not write changes
    # nothing either.
    record '1 kOhms' COM5 >"$file"
    : >"$work/journal.jsonl"
    if ((EUID == 0)); then
        # Root may write any file: the job (and its meters, whose terminals it
        # must open) run as the unprivileged user, in a directory that user
        # may write, with a record owned by root.
        command -v setpriv >/dev/null && id nobody >/dev/null 2>&1 && getent group nogroup >/dev/null ||
            missing "setpriv, or the user nobody or group nogroup" "Debian packages util-linux, base-passwd"
        run_as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
        chown -R nobody "$work/config" "$job"
        chown root "$file"
        chmod 644 "$file"
        touch "$work/com1.log" "$work/com5.log"
        chown nobody "$work/com1.log" "$work/com5.log" "$work"
    else
        chmod 444 "$file" "$work/journal.jsonl"
    fi
    start_meter com1 1 "$ports" --reading '0\r+9.9 kOhms\r'
    start_meter com5 5 "$ports" --reading '0\r+1.2345 kOhms\r'
    run_utility 5 "${run_as[@]}"
    check_status 1.2345kOhms
    check_not_written 'open: Permission denied'
    check_untouched
    [[ ! -s $work/journal.jsonl ]] || failed "the journal was written"
    expect_queries com1 0
    ;;
*) echo "unknown case $case"; exit 2 ;;
esac
job_end
