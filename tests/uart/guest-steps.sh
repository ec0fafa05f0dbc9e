# The steps run in the guest, sourced by its init (say, run, host and held come from there).
# The host's simulators answer, on each line, a good reply then a fault, in the order of FAULTS,
# twice over, then good replies only.

long=$(printf 'L%.0s' $(seq 500))

# One --send run; while it holds the line, the driver's settings as stty reads them.
send() {
    local name=$1 device=$2 pid
    shift 2
    comrs232 "--port1=$device" "$@" >"/tmp/$name" 2>&1 &
    pid=$!
    if [ -n "$STTY" ]; then
        held "${device##*/}"
        sleep 1
        run "stty-$name" stty -a -F "$device"
    fi
    wait $pid
    say "R $name $? $(tr '\n' '|' <"/tmp/$name")"
}

exchanges() {
    for speed in 1200 9600; do
        STTY=1
        for fault in $FAULTS; do
            send "$1-$speed-$fault" "$2" $([ $speed = 9600 ] && echo 9600) --send ETAT --send MESURE
            STTY=
            # The stray bytes come after the program has gone: taken now, not by the next start.
            if [ "$fault" = unsolicited ]; then drain "$2"; fi
        done
    done
}

# Whether QEMU paces the line: 1200 characters at 1200 baud take 10 s on a real one. The close
# waits until they are sent.
for device in ttyS1 ttyUSB0; do
    stty -F /dev/$device 1200 raw -echo
    start=$(cut -d' ' -f1 /proc/uptime)
    head -c 1200 /dev/zero >/dev/$device
    say "R pace-$device 0 $(awk "BEGIN { print $(cut -d' ' -f1 /proc/uptime) - $start }")"
done

# The device answers late what came while it did not read, or goes on with a flood after the
# program gave up, and QEMU keeps what a closed line does not take (a real UART would lose it):
# let that pass before the next start.
# (The program leaves the line at min 0: without min 1, cat would take the first empty read for
# the end.)
drain() {
    stty -F "${1:-/dev/ttyS1}" min 1 time 0
    timeout 1 cat "${1:-/dev/ttyS1}" >/dev/null
}

# A minute of random bytes at 9600 baud on the UART (ttyS3), into a window, while the steps on the
# other lines go on: the window must answer each key within 100 ms, and tell of a lost byte only when the driver
# counted one (oe: the UART's own overrun, bo: the kernel's buffer full).
now() { read -r up _ </proc/uptime && up=${up%.*}${up#*.}0; }
# Bytes received on ttyS3, and those lost ("rx oe+bo"); the driver shows a count only once not 0.
counter() { sed -n "s/^3:.* $1:\([0-9]*\).*/\1/p" /proc/tty/driver/serial; }
counts() {
    local rx oe bo
    rx=$(counter rx) oe=$(counter oe) bo=$(counter bo)
    echo "${rx:-0} $((${oe:-0} + ${bo:-0}))"
}
flood() {
    local before after keys=0 slow=0 slowest=0 problems="" end kind text start
    mkfifo /tmp/flood-orders /tmp/flood-reports
    QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH=/opt/robot QT_QPA_GENERIC_PLUGINS=comrsrobot \
        COMRS_ROBOT_FD=3 COMRS_ROBOT_REPORT_FD=4 XDG_CONFIG_HOME=/tmp/flood \
        comrs232 --port1=/dev/ttyS3 9600 3</tmp/flood-orders 4>/tmp/flood-reports 2>/dev/null &
    exec 7>/tmp/flood-orders 8</tmp/flood-reports
    before=$(counts)
    printf 'type X\nenter\n' >&7
    while read -r -t 30 kind _ text <&8 && [ "$kind" != enter ]; do :; done
    now
    end=$((up + FLOOD_SECONDS * 1000))
    while [ "$up" -lt $end ]; do
        # A key, then the box emptied: each changes TxWin once.
        for order in 'type k' clear; do
            now
            start=$up
            echo "$order" >&7
            while read -r -t 5 kind _ text <&8; do
                case "$kind $order:$text" in
                "TxWin type k:"*k | "TxWin clear:") break ;;
                "Pb_rs "*) problems="$problems|$text" ;;
                esac
            done
            now
            keys=$((keys + 1))
            [ $((up - start)) -gt $slowest ] && slowest=$((up - start))
            [ $((up - start)) -ge 100 ] && slow=$((slow + 1))
            sleep 0.2
        done
    done
    kill $!
    wait $!
    exec 7>&- 8<&-
    after=$(counts)
    say "R flood 0 $keys $slow $slowest $((${after#* } - ${before#* })) $((${after% *} - ${before% *})) $problems"
}
exchanges uart /dev/ttyS1 &
exchanges ftdi /dev/ttyUSB0 &
wait

run ports comrs232 --list-ports

# A break from the device in the middle of an exchange (the host plays the device there), and
# the driver's count of breaks. The trace must show the reply whole and nothing outside a frame:
# the break's marks are taken out of the data.
for name in uart:ttyS2 ftdi:ttyUSB1; do
    STTY= send "break-${name%:*}" "/dev/${name#*:}" --send ETAT --trace
    run "break-trace-${name%:*}" grep -c -e 'hors trame' -e 'problème' -e 'FF 00' "/tmp/break-${name%:*}"
done
run break-count grep -o 'brk:[0-9]*' /proc/tty/driver/serial

# The window, offscreen with the operator robot, as a user of the dialout group: a good exchange,
# another program refused the held line, an exchange the device leaves unanswered.
as_user() { su -s /bin/sh operateur -c "$*"; }
# The processes whose command line holds TEXT (busybox has no pgrep).
pids() {
    for dir in /proc/[0-9]*; do
        case "$(tr '\0' ' ' 2>/dev/null <"$dir/cmdline")" in
        *"$1"*) echo "${dir#/proc/}" ;;
        esac
    done
}
flood &
drain
mkfifo /tmp/orders /tmp/reports
chmod 666 /tmp/orders /tmp/reports
as_user QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH=/opt/robot QT_QPA_GENERIC_PLUGINS=comrsrobot \
    COMRS_ROBOT_FD=3 COMRS_ROBOT_REPORT_FD=4 XDG_CONFIG_HOME=/tmp \
    comrs232 com2 --port3=/dev/ttyUSB0 3</tmp/orders 4>/tmp/reports 2>/dev/null &
window=$!
exec 5>/tmp/orders 6</tmp/reports
# Reads the robot's reports until one of KIND comes, within 30 s; says its text, or else the
# problems and boxes seen meanwhile.
report() {
    local seen=""
    while read -r -t 30 kind _ text <&6; do
        [ "$kind" = "$1" ] && [ -n "$text" ] && echo "$text" && return
        case $kind in Pb_rs | box) seen="$seen $kind:$text" ;; esac
    done
    echo "no $1;$seen"
}
report ready >/dev/null
printf 'type ETAT\nenter\n' >&5
run window-good report RxWin0
for item in port2 port3; do
    echo "tip $item" >&5
    run "tip-$item" report tip
done
run second-window as_user comrs232 com2 --send ETAT
host stop uart
printf 'clear\ntype MESURE\nenter\n' >&5
run window-fault report Pb_rs
host cont uart
# Killed: the next start, by the same user, takes the stale lock over.
kill -KILL $(pids 'comrs232 com2')
wait $window
exec 5>&- 6<&-
drain
run next-KILL as_user comrs232 com2 --send ETAT

# Ended by SIGTERM while it waits for replies that do not come.
host stop uart
as_user comrs232 com2 $(printf -- '--send ETAT %.0s' $(seq 20)) >/dev/null 2>&1 &
waiting=$!
held ttyS1
run second-TERM as_user comrs232 com2 --send ETAT
kill -TERM $(pids 'comrs232 com2')
wait $waiting
host cont uart
run lock-TERM ls /run/lock/LCK..ttyS1
drain
run next-TERM as_user comrs232 com2 --send ETAT

# A device that stops reading while a long instruction goes out at 1200: the run must end at its
# time-out, and its close must not wait out the driver's closing time (30 s). A root-owned filler
# stuffs what lies between the line and the device (QEMU does not pace it) so that the instruction
# stays in the driver. Says the run's and the close's milliseconds (from the problem shown to the
# end), the bytes the UART sent meanwhile, the locks left and what the run printed.
tx() { sed -n 's/^1:.* tx:\([0-9]*\).*/\1/p' /proc/tty/driver/serial; }
stall() {
    local device=$1 user=$2 start shown ended before run sent=-
    before=$(tx)
    now
    start=$up
    # Each line the run prints with its time, then the time it ended.
    su -s /bin/sh "$user" -c "comrs232 --port1=$device --send $long --timeout-ms 8000" 2>&1 |
        { while IFS= read -r text; do now && echo "$up $text"; done && now && echo "$up"; } >/tmp/stall &
    run=$!
    held "${device##*/}"
    # (Not on the FTDI adapter: there the filler itself never ends, even killed.)
    if [ "$device" = /dev/ttyS1 ]; then
        dd if=/dev/zero of="$device" bs=1k count=1000 2>/dev/null &
        sleep 5
        kill -9 $! 2>/dev/null
        wait $!
    fi
    # Far past the closing time, say where the run is stuck, and end it.
    i=0
    while kill -0 $run 2>/dev/null && [ $i -lt 400 ]; do
        sleep 0.1
        i=$((i + 1))
    done
    for pid in $(pids "--port1=$device --send"); do
        say "R stuck-${device#/dev/} 0 $(cat /proc/$pid/wchan) $(tr '\n' ' ' </proc/$pid/stack)"
        kill -9 $pid
    done
    wait $run
    ended=$(tail -1 /tmp/stall)
    shown=$(tail -2 /tmp/stall | head -1 | cut -d' ' -f1)
    [ "$device" = /dev/ttyS1 ] && sent=$(($(tx) - before))
    say "R stall-${device#/dev/}-$user $((ended - start)) $((ended - shown)) $sent $(ls /run/lock)|$(sed '$d' /tmp/stall | cut -d' ' -f2- | tr '\n' '|')"
}
for line in uart:ttyS1:root uart:ttyS1:operateur ftdi:ttyUSB0:operateur; do
    name=${line%%:*} user=${line##*:} device=${line#*:}
    device=/dev/${device%:*}
    host stop "$name"
    stall "$device" "$user"
    host cont "$name"
    drain "$device"
    run "after-stall-${device#/dev/}-$user" comrs232 "--port1=$device" --send ETAT
done
wait
