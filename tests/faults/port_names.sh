#!/usr/bin/env bash
# Port names that give no usable port number (0, negative, missing, NUL or
# 0xFF bytes): the serial control refuses the number, keeps the port it was
# stored with, COM1, and the job reads the meter there. The record goes back
# intact with that result.
#
# usage: port_names.sh UTILITY METER_SIM CASE
source "$(dirname "$0")/../lib/job.sh"
job_init "$1" "$2"
case=$3
file=$job/ExtCtrl.dat

start_meter com1 1 "$ports" --reading '0\r+1.2345 kOhms\r'
record '1000 Ohms' COM5 >"$file"

case $case in
com0) printf 'COM0 ' | patch_bytes "$file" 210 ;;
com_minus_1) printf 'COM-1' | patch_bytes "$file" 210 ;;
com_alone) printf 'COM  ' | patch_bytes "$file" 210 ;;
nul_bytes) printf '\0\0\0\0\0' | patch_bytes "$file" 210 ;;
ff_bytes) printf '\xFF\xFF\xFF\xFF\xFF' | patch_bytes "$file" 210 ;;
*) echo "unknown case $case"; exit 2 ;;
esac
[[ $(stat -c %s "$file") == 215 ]] || { echo "the prepared record is not 215 bytes"; exit 1; }

run_utility 10
check_job 1234.5Ohms
expect_queries com1 2
job_end
