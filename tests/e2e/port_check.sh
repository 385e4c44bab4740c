#!/usr/bin/env bash
# One outcome of quillet-port-check against meter-sim on a pseudo terminal:
# checks the exit status and the lines of the report that name the outcome.
#
# usage: port_check.sh PORT_CHECK METER_SIM CASE
source "$(dirname "$0")/../lib/job.sh"
job_init "$1" "$2"
case=$3
# The station map in the second of two station directories.
export XDG_CONFIG_DIRS=$work/station-a:$XDG_CONFIG_DIRS

run() {  # expected exit status, arguments...
    local want=$1 status=0
    shift
    "${run_as[@]}" "$utility" "$@" >"$job.out" 2>"$job.err" || status=$?
    ((status == want)) || failed "exit status $status, expected $want"
}
expect() {  # a line the report must hold (a grep pattern)
    grep -qE -- "$1" "$job.out" "$job.err" || failed "missing: $1"
}

case $case in
reading)  # through the station map; stale bytes are shown and discarded
    start_meter meter 5 "$station_ports" --reading '0\r+1.2345 kOhms\r' --unsolicited 'junk\x01'
    run 0 COM5 --unit "1000 Ohms"
    expect "^Port: +COM5 -> $station_ports/COM5 \(the station port map\)$"
    expect '^ +links to /dev/pts/'
    expect '^In use: +no other program holds it$'
    expect '^ +discarded before sending: "junk\\x01"$'
    expect '^Query 2: +sent "QM\\r", 1 attempt$'
    expect '^ +received "0\\r\+1\.2345 kOhms\\r"$'
    expect '^ +first byte after 0\.[0-9]{2} s, CR after 0\.[0-9]{2} s'
    expect '^Conversion: .* into "1000 Ohms" gives "1234\.5Ohms"$'
    expect '^Result: +a reading$'
    expect '^Journal: +off \(no settings file\)$'
    expect '^System log: +off \(no station.s settings file sets it\)$'
    ! grep -q '^Warning' "$job.out" || failed "a warning for Ohms into Ohms"
    expect_queries meter 2
    ;;
unit_mismatch)  # kOhms for a job in mV: converted, with a warning; --unit trimmed
    start_meter meter 5 "$ports" --reading '0\r+1.2345 kOhms\r'
    run 0 COM5 --unit "  10.000 mV "
    expect '^Conversion: .* into "10\.000 mV" gives "[0-9.]+mV"$'
    expect '^Warning: +the meter gives a resistance \("kOhm"\), the job asks for a voltage \("mV"\)'
    ;;
line_fails)  # the meter goes away while the first query waits for it
    start_meter meter 5 "$ports" --delay 3
    (wait_for_queries meter 1 && stop_meter meter) &
    run 5 COM5
    expect '^Line: +.*/COM5: (count waiting bytes|read): '
    expect '^Result: +the port opened, but the exchange with the meter failed'
    ;;
slow_meter)  # the times show how long the meter takes
    start_meter meter 5 "$ports" --reading '1.5 V DC\r' --delay 0.6
    run 0 COM5
    expect '^ +first byte after 0\.[6-9][0-9] s, CR after 0\.[6-9][0-9] s'
    expect 'gives "1\.5"$'
    ;;
no_reply)  # the first query answered, the second never: five attempts
    start_meter meter 5 "$ports" --reading '' --reply '1=0\r'
    run 1 COM5
    expect '^Query 2: +sent "QM\\r", 5 attempts$'
    expect '^ +no reply$'
    expect '^Result: +no reply from the meter'
    expect_queries meter 6
    ;;
unconvertible)
    start_meter meter 5 "$ports" --reading '12.345\r'
    run 3 COM5 --unit "1 V"
    expect '^Conversion: +"12\.345\\r" into "1 V" fails: reply has no blank'
    expect '^Result: +the reply cannot be converted'
    ;;
dangling_map)  # the station's entry points nowhere and holds over the user's
    start_meter meter 5 "$ports"
    ln -s "$work/unplugged" "$station_ports/COM5"
    run 4 COM5
    expect "^Port: +COM5 -> $station_ports/COM5 \(the station port map\)$"
    expect '^Device: +the map entry points nowhere'
    expect '^Result: +the port cannot be opened'
    expect_queries meter 0
    ;;
no_device)  # no entry anywhere: the usual device, which this number has not
    run 4 COM98
    expect '^Port: +COM98 -> /dev/ttyS97 \(no map entry'
    expect '^Device: +missing: .*map COM98 in'
    ;;
held_elsewhere)  # another program has the port's lock
    start_meter meter 5 "$ports"
    flock --no-fork "$ports/COM5" sleep 30 &
    pids+=($!)
    wait_until_locked "$ports/COM5"
    run 4 COM5
    expect '^In use: +another program holds it \(open in .*[0-9]+ \(sleep\)'
    expect '^Open: +.*in use by another program'
    expect_queries meter 0
    ;;
no_permission)  # a device this user may not open
    touch "$work/locked" && chmod 000 "$work/locked"
    ln -s "$work/locked" "$ports/COM5"
    if ((EUID == 0)); then
        # Root may open anything: the check runs as the unprivileged user.
        command -v setpriv >/dev/null && id nobody >/dev/null 2>&1 ||
            missing "setpriv or the user nobody" "Debian packages util-linux, base-passwd"
        chmod -R a+rX "$work/config"
        run_as=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
    fi
    run 4 COM5
    expect "^Access: +.*group '"
    expect '^Result: +the port cannot be opened'
    ;;
settings)  # UTF-16 settings: lines that change nothing shown with nothing hidden
    file=$XDG_CONFIG_HOME/quillet/settings journal="$work/a #1/journal.jsonl"
    printf '# on\r\njour\xe2\x80\x8bnal = x\r\nno equals\r\nJournal = %s\r\njournal files = monthly\r\n' \
        "$journal" | iconv -f UTF-8 -t UTF-16 >"$file"
    # The station's daily files hold over the user's monthly ones.
    station=${XDG_CONFIG_DIRS%%:*}/quillet/settings
    mkdir -p "${station%/*}" && echo 'journal files = daily' >"$station"
    run 4 COM98
    expect "^Settings: +$file line 2: unknown key 'jour\\\\u200Bnal' \\(changes nothing\\)$"
    expect "^Settings: +$file line 3: no '=' in the line"
    expect "^Settings: +$file line 5: already set by $station \\(changes nothing\\)$"
    expect "^Journal: +on: ${journal%.jsonl}-$(date +%F).jsonl \\(set by $file\\)$"
    expect "^ +a new file each day \\(set by $station\\)$"
    expect '^ +cannot be written: its folder does not exist$'
    expect '^Warning: +the journal.s path holds " #"'
    ;;
command_line)
    run 2
    expect 'which port\?'
    # Port names as a job's record holds them: five characters, the number
    # after the first three, a bare number short for COM<N>.
    run 2 COM0
    run 2 COM100
    run 2 COM1.5
    ln -s "$work/unplugged" "$ports/COM7"
    run 4 "COM 7"
    expect "^Port: +COM7 -> $ports/COM7 "
    run 4 98
    expect '^Port: +COM98 -> '
    run 2 COM5 COM6
    run 2 COM5 --unit
    run 2 COM5 --unit "123456789012345678901"
    run 2 COM5 --baud 9600
    for help in --help -h -help '-?'; do
        run 0 COM5 "$help"
        expect '^Usage: quillet-port-check COM<N>'
    done
    run 0 --version
    expect '^quillet-port-check [0-9]+\.[0-9]+\.[0-9]+$'
    ;;
*) echo "unknown case $case"; exit 2 ;;
esac
job_end
