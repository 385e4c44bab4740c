#!/usr/bin/env bash
# ExtCtrl.dat of odd lengths under the real utility. What the file does not
# supply of the record reads as zero bytes; the write-back writes one whole
# record over the first 215 bytes and leaves any bytes after it alone.
#
# A meter on COM5 answers 1.2345 kOhms, one on COM1 (the port a record without
# a port name leaves in force) 9.9 kOhms, so the result shows which one the
# job asked.
#
# usage: exchange_file.sh UTILITY METER_SIM CASE
source "$(dirname "$0")/../lib/job.sh"
job_init "$1" "$2"
case=$3

start_meter com5 5 "$ports" --reading '0\r+1.2345 kOhms\r'
start_meter com1 1 "$ports" --reading '0\r+9.9 kOhms\r'
file=$job/ExtCtrl.dat

case $case in
empty)
    # The zero record: no port name, so COM1; no target unit, so the base unit.
    : >"$file"
    run_utility 10
    check_job 9900
    ;;
one_byte)
    printf 'H' >"$file"
    run_utility 10
    check_job 9900
    ;;
record_less_one_byte)
    # The port field's last byte is missing: "COM5" and a zero byte still
    # name port 5; the file grows to one whole record.
    record '1000 Ohms' COM5 | head -c 214 >"$file"
    run_utility 10
    check_job 1234.5Ohms
    ;;
record_and_one_byte)
    { record '1000 Ohms' COM5; printf '\xA5'; } >"$file"
    run_utility 10
    check_job 1234.5Ohms
    ;;
hundred_thousand_bytes)
    { record '1000 Ohms' COM5; for _ in $(seq 1000); do printf '%-99s\n' "$_ tail"; done; } >"$file"
    truncate -s 100000 "$file"
    run_utility 10
    check_job 1234.5Ohms
    ;;
write_fails_part_way|short_file_write_fails)
    # Files may grow to 150 bytes only: the utility is not killed, the
    # write-back stops inside the record, puts back what it overwrote, gives a
    # file that it lengthened its old length, and ends with 1.
    record '1000 Ohms' COM5 >"$file"
    [[ $case == short_file_write_fails ]] && truncate -s 100 "$file"
    job_exit=1
    run_utility 10 prlimit --fsize=150
    check_untouched
    check_not_written 'write: File too large'
    ;;
*) echo "unknown case $case"; exit 2 ;;
esac
expect_queries com5 "$( [[ $case =~ ^(empty|one_byte|short_file_write_fails)$ ]] && echo 0 || echo 2)"
job_end
