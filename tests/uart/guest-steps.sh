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
    stty -F /dev/ttyS1 min 1 time 0
    timeout 1 cat /dev/ttyS1 >/dev/null
}

exchanges uart /dev/ttyS1 &
exchanges ftdi /dev/ttyUSB0 &
wait

run ports comrs232 --list-ports

# A break from the device in the middle of an exchange (the host plays the device there), and
# the driver's count of breaks.
STTY= send break-uart /dev/ttyS2 --send ETAT
run break-count grep -o 'brk:[0-9]*' /proc/tty/driver/serial
STTY= send break-ftdi /dev/ttyUSB1 --send ETAT

# The window, offscreen with the operator robot, as a user of the dialout group: a good exchange,
# another program refused the held line, an exchange the device leaves unanswered.
as_user() { su -s /bin/sh operateur -c "$*"; }
drain
mkfifo /tmp/orders /tmp/reports
chmod 666 /tmp/orders /tmp/reports
as_user QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH=/opt/robot QT_QPA_GENERIC_PLUGINS=comrsrobot \
    COMRS_ROBOT_FD=3 COMRS_ROBOT_REPORT_FD=4 XDG_CONFIG_HOME=/tmp \
    comrs232 com2 3</tmp/orders 4>/tmp/reports 2>/dev/null &
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
run second-window as_user comrs232 com2 --send ETAT
host stop uart
printf 'clear\ntype MESURE\nenter\n' >&5
run window-fault report Pb_rs
host cont uart
# Killed: the next start, by the same user, takes the stale lock over.
kill -KILL $(pidof comrs232)
wait
exec 5>&- 6<&-
drain
run next-KILL as_user comrs232 com2 --send ETAT

# Ended by SIGTERM while it waits for replies that do not come.
host stop uart
as_user comrs232 com2 $(printf -- '--send ETAT %.0s' $(seq 20)) >/dev/null 2>&1 &
held ttyS1
run second-TERM as_user comrs232 com2 --send ETAT
kill -TERM $(pidof comrs232)
wait
host cont uart
run lock-TERM ls /run/lock
drain
run next-TERM as_user comrs232 com2 --send ETAT

# A device that stops reading while a long instruction goes out at 1200: the run must end at its
# time-out, not wait out the driver's closing time. A root-owned filler stuffs what lies between
# the UART and the device (QEMU does not pace the line) so that the instruction stays in the UART.
host stop uart
for user in root operateur; do
    before=$(sed -n 's/^1:.* tx:\([0-9]*\).*/\1/p' /proc/tty/driver/serial)
    start=$(cut -d' ' -f1 /proc/uptime)
    su -s /bin/sh $user -c "comrs232 com2 --send $long --timeout-ms 8000" >/tmp/stall 2>&1 &
    held ttyS1
    dd if=/dev/zero of=/dev/ttyS1 bs=1k count=1000 2>/dev/null &
    sleep 5
    kill -9 $! 2>/dev/null
    wait
    after=$(sed -n 's/^1:.* tx:\([0-9]*\).*/\1/p' /proc/tty/driver/serial)
    say "R stall-$user $(awk "BEGIN { print $(cut -d' ' -f1 /proc/uptime) - $start }") $((after - before)) $(ls /run/lock)$(tr '\n' '|' </tmp/stall)"
done
host cont uart
drain
run after-stall comrs232 com2 --send ETAT
