#!/usr/bin/env bash
# Runs the program on the kernel's real serial drivers: boots a throwaway QEMU guest (Debian's
# kernel, a busybox initramfs made here) with a 16550A UART (ttyS1) and an FTDI USB adapter
# (ttyUSB0), each wired to the device simulator on this side, runs guest-steps.sh in it and checks
# the one line each step writes on the guest's console, and the simulators' journals.
# ttyS2 and ttyUSB1 are telnet sockets where this script plays the device, for the break; ttyS3
# floods the window with random bytes for COMRS_UART_FLOOD_SECONDS (60 unless given).
# Usage: rig.sh BUILD_DIR
set -euo pipefail
# Bytes are bytes here, whatever the caller's locale: the device side reads the line byte by byte.
export LC_ALL=C
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
work=$build/uart
mkdir -p "$work"
fail() {
    echo "uart: $*" >&2
    exit 1
}
FAULTS="bad-checksum lowercase no-ack not-stx silence cut-off unsolicited flood"

# --- The kernel: Debian's, unpacked into the build tree once, never installed here.
kernel_package=$(apt-cache depends linux-image-amd64 2>/dev/null |
    awk '/Depends: linux-image-[0-9]/ { print $2; exit }')
[ -n "$kernel_package" ] || fail "apt knows no linux-image-amd64 (apt-get update?): no guest kernel"
kernel=$work/$kernel_package
if [ ! -e "$kernel/unpacked" ]; then
    rm -rf "$kernel" && mkdir -p "$kernel"
    (cd "$kernel" && apt-get download -q "$kernel_package" >/dev/null 2>&1) ||
        fail "apt-get download $kernel_package failed: no guest kernel"
    dpkg -x "$kernel"/*.deb "$kernel" && rm "$kernel"/*.deb
    # Uncompressed once here: QEMU boots the ELF image directly (PVH), sparing the guest from
    # decompressing it under emulation.
    image=$(ls "$kernel"/boot/vmlinuz-*)
    offset=$(grep -abo $'\xfd7zXZ\x00' "$image" | head -1 | cut -d: -f1)
    { tail -c +$((offset + 1)) "$image" | xz -dc --single-stream >"$kernel/vmlinux"; } 2>/dev/null || true
    [ -s "$kernel/vmlinux" ] || fail "no kernel image found in $image"
    touch "$kernel/unpacked"
fi

# --- The initramfs: busybox, the program with the libraries it loads, the USB serial modules.
root=$work/root
rm -rf "$root"
mkdir -p "$root"/{bin,opt/robot/generic,modules,etc,proc,sys,dev}
cp /bin/busybox "$root/bin/"
cp "$here/guest-init.sh" "$root/init" && chmod +x "$root/init"
{
    echo "FAULTS=\"$FAULTS\" FLOOD_SECONDS=${COMRS_UART_FLOOD_SECONDS:-60}"
    cat "$here/guest-steps.sh"
} >"$root/steps.sh"
cp "$build/comrs232" "$root/opt/"
cp "$build"/robot_plugins/generic/*.so "$root/opt/robot/generic/"
qpa=$(find /usr/lib/*/qt6/plugins/platforms -name libqoffscreen.so | head -1)
binaries=("$build/comrs232" "$root"/opt/robot/generic/*.so "$qpa")
ldd "${binaries[@]}" | awk '$2 == "=>" && $3 ~ /^\// { print $3 } $1 ~ /^\/lib/ { print $1 }' |
    sort -u | xargs cp -L --parents -t "$root"
cp -L --parents -t "$root" "$qpa" /usr/share/qt6/translations/qtbase_fr.qm \
    /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
cp -r /etc/fonts "$root/etc/"
printf 'root:x:0:0::/root:/bin/sh\noperateur:x:1000:1000::/home/operateur:/bin/sh\n' >"$root/etc/passwd"
printf 'root:x:0:\ndialout:x:20:operateur\noperateur:x:1000:\n' >"$root/etc/group"

# Each module after those it depends on (the package has no modules.dep: depmod runs at install).
modules=()
add_module() {
    local file dep
    file=$(find "$kernel/lib/modules" -name "$1.ko" -o -name "${1//_/-}.ko" | head -1)
    [ -n "$file" ] || fail "module $1 not in $kernel_package"
    for dep in $(modinfo -F depends "$file" | tr , ' '); do add_module "$dep"; done
    [[ " ${modules[*]} " == *" ${1//_/-} "* ]] && return
    modules+=("${1//_/-}")
    cp "$file" "$root/modules/${1//_/-}.ko"
}
for m in xhci-pci ftdi_sio; do add_module "$m"; done
echo "${modules[*]}" >"$root/modules.order"
(cd "$root" && find . | cpio -o -H newc --quiet) >"$work/initrd"

# --- The guest, its console on our standard input and output.
faults_list=$(for f in $FAULTS; do printf 'none,%s,' "$f"; done)
faults_list="$faults_list$faults_list$(printf 'none,%.0s' {1..40})none"
# A short answer to the long instruction of the stalled line, so that the device is soon quiet.
printf '%s\tOK\n' "$(printf 'L%.0s' {1..500})" >"$work/replies"
port=$((20000 + RANDOM % 20000))
telnet() { echo "socket,id=$1,host=127.0.0.1,port=$2,server=on,wait=off,telnet=on"; }
qemu_args=(-nodefaults -no-user-config -display none -no-reboot -m 512 -smp 2
    -kernel "$kernel/vmlinux" -initrd "$work/initrd" -append "console=ttyS0 loglevel=1 panic=-1 no_timer_check cryptomgr.notests mitigations=off"
    -chardev stdio,id=console,signal=off -serial chardev:console
    -chardev pty,id=uart -serial chardev:uart
    -chardev "$(telnet breakuart $port)" -serial chardev:breakuart
    -chardev pty,id=flood -serial chardev:flood
    -device qemu-xhci
    -chardev pty,id=ftdi -device usb-serial,chardev=ftdi,always-plugged=on
    -chardev "$(telnet breakftdi $((port + 1)))" -device usb-serial,chardev=breakftdi,always-plugged=on)

pids=() guest_pids=()
stop_guest() {
    for pid in "${guest_pids[@]}"; do kill "$pid" && kill -CONT "$pid"; done 2>/dev/null || true
    guest_pids=()
}
cleanup() {
    stop_guest
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

declare -A sim result
# Plays the device on a telnet socket: a break after the instruction, then a good reply.
play_break() {
    local fd frame
    for _ in {1..600}; do
        { exec {fd}<>"/dev/tcp/127.0.0.1/$1"; } 2>/dev/null && break
        sleep 0.1
    done
    # QEMU's telnet options come first, and WILL SGA ends in a 03 byte: the frame starts at STX.
    IFS= read -r -d $'\x02' -u "$fd" _ 2>/dev/null || return 0
    IFS= read -r -d $'\x03' -u "$fd" frame 2>/dev/null || return 0
    IFS= read -r -N 2 -u "$fd" _ 2>/dev/null
    printf '\xff\xf3' >&"$fd"
    sleep 0.3
    printf '\x06\x02ETAT\x0304' >&"$fd"
    cat <&"$fd" >/dev/null
}

# Starts the guest; QEMU names the pseudo-terminals it made on its standard output, before the
# guest's console. Returns once the guest's drivers are up.
boot() {
    local accel=$1 line pty name
    : >"$work/console"
    coproc QEMU { exec qemu-system-x86_64 -accel "$accel" "${qemu_args[@]}" 2>"$work/qemu.err"; }
    guest_pids+=("$QEMU_PID")
    while IFS= read -r -t 60 -u "${QEMU[0]}" line; do
        line=${line%$'\r'}
        echo "$line" >>"$work/console"
        if [[ $line =~ redirected\ to\ (/dev/pts/[0-9]+)\ \(label\ (uart|ftdi|flood)\) ]]; then
            pty=${BASH_REMATCH[1]} name=${BASH_REMATCH[2]}
            if [ "$name" = flood ]; then
                "$build/comrs232-sim" --device "$pty" --baud 9600 --fault flood --flood-size 1000000 >"$work/sim-$name.log" 2>&1 &
            else
                "$build/comrs232-sim" --device "$pty" --fault-cycle --fault "$faults_list" --table "$work/replies" >"$work/sim-$name.log" 2>&1 &
            fi
            sim[$name]=$!
            guest_pids+=($!)
        fi
        [[ $line == "R boot "* ]] && result[boot]=${line#R boot 0 } && return 0
    done
    echo "uart: the guest did not start under $accel within 60 s:" \
        "$(tail -3 "$work/console" "$work/qemu.err" | tr '\n' ' ')" >&2
    return 1
}
play_break $port &
pids+=($!)
play_break $((port + 1)) &
pids+=($!)
start=$SECONDS
if [ -w /dev/kvm ] && boot kvm; then
    accel=kvm
else
    stop_guest
    boot tcg || exit 1
    accel=tcg
fi
echo "guest booted under $accel in $((SECONDS - start)) s (guest uptime ${result[boot]} s)"

# --- The steps' lines; "W" lines ask us to stop or resume a simulator's reading.
while IFS= read -r -t 170 -u "${QEMU[0]}" line; do
    line=${line%$'\r'}
    echo "$((SECONDS - start)) $line" >>"$work/console"
    case $line in
    "R end "*) break ;;
    "R "*)
        line=${line#R }
        line=${line%" "}
        result[${line%% *}]=${line#* }
        ;;
    "W stop "*)
        kill -STOP "${sim[${line#W stop }]}"
        echo go >&"${QEMU[1]}"
        ;;
    "W cont "*)
        kill -CONT "${sim[${line#W cont }]}"
        # Once it has read what waited for it, so that the guest goes on with a quiet line.
        size=-1
        while [ "$size" != "$(stat -c %s "$work/sim-${line#W cont }.log")" ]; do
            size=$(stat -c %s "$work/sim-${line#W cont }.log")
            sleep 0.5
        done
        echo go >&"${QEMU[1]}"
        ;;
    esac
done
echo "guest steps done after $((SECONDS - start)) s"

# --- Checks. STEP STATUS OUTPUT: the step's line must match (bash patterns).
failures=0
expect() {
    local got=${result[$1]-"(no result)"}
    # shellcheck disable=SC2053
    if [[ $got != $2 ]]; then
        echo "uart: $1: expected \"$2\", got \"$got\"" >&2
        failures=$((failures + 1))
    fi
}
# What each fault of the second instruction gives, as on a pseudo-terminal.
declare -A fault_result=(
    [bad-checksum]="1 ETAT|Problème RS232: PB MAUVAIS CHECKSUM|"
    [lowercase]="1 ETAT|Problème RS232: PB MAUVAIS CHECKSUM|"
    [no-ack]="1 ETAT|Problème RS232: PAS D'ACK RECU|"
    [not-stx]="1 ETAT|Problème RS232: PAS DE RECEPTION STX|"
    [silence]="1 ETAT|Problème RS232: ABSENCE DE REPONSE|"
    [cut-off]="1 ETAT|Problème RS232: ABSENCE DE REPONSE|"
    [unsolicited]="0 ETAT|MESURE|"
    [flood]="1 ETAT|Problème RS232: PAS D'ACK RECU|"
)
raw="*|parenb -parodd -cmspar cs7 * -cstopb *|* parmrk inpck * -icrnl -ixon *|-opost *|-isig -icanon -iexten -echo *"
for line in uart ftdi; do
    for speed in 1200 9600; do
        for fault in $FAULTS; do
            expect "$line-$speed-$fault" "${fault_result[$fault]}"
        done
        expect "stty-$line-$speed-${FAULTS%% *}" "0 speed $speed baud;$raw"
    done
    # In the journal of the exchanges above, each good reply ACKed once, a bad one never.
    wrong=$(awk -v limit=32 '
        / réponse "/ { if (++n > limit) exit; good[n] = $0 !~ /\(faute/ || $0 ~ /faute unsolicited/ }
        / ACK (reçu|inattendu)/ { acks[n]++ }
        END { for (i = 1; i <= limit; i++) if (acks[i] + 0 != good[i] + 0) bad++; print n < limit ? "short" : bad + 0 }
    ' "$work/sim-$line.log")
    [ "$wrong" = 0 ] || {
        echo "uart: $line: the simulator's journal shows wrong ACKs ($wrong)" >&2
        failures=$((failures + 1))
    }
done

while read -r step want; do
    expect "$step" "$want"
done <<'EOF'
ports         0 *|  /dev/ttyS1  port série intégré (serial)|*|  /dev/ttyUSB0  *, USB 0403:6001 (ftdi_sio)|*|  COM2 (--port2) -> /dev/ttyS1 : port série intégré (serial)|*
break-uart    0 *réponse affichée : ETAT|ETAT|
break-ftdi    0 *réponse affichée : ETAT|ETAT|
window-good   0 ETAT
break-trace-uart 1 0
break-trace-ftdi 1 0
tip-port2     0 Ouvre /dev/ttyS1 : port série intégré (serial)
tip-port3     0 Ouvre /dev/ttyUSB0 : *USB 0403:6001 (ftdi_sio)
second-window 2 *Liaison série déjà utilisée.*8013*
window-fault  0 Problème RS232: ABSENCE DE REPONSE
next-KILL     0 ETAT
second-TERM   2 *Liaison série déjà utilisée.*8013*
lock-TERM     1 *No such file*
next-TERM     0 ETAT
after-stall-ttyS1-root 0 ETAT
after-stall-ttyS1-operateur 0 ETAT
after-stall-ttyUSB0-operateur 0 ETAT
EOF
# The stalled line: the run ends at its time-out (8 s) plus start-up, its close takes far less than
# the driver's closing time (30 s), and it leaves no lock.
for stall in ttyS1-root ttyS1-operateur ttyUSB0-operateur; do
    read -r run_ms close_ms sent rest <<<"${result[stall-$stall]-}"
    echo "stall on $stall: ended after ${run_ms:-?} ms, closed ${close_ms:-?} ms after the" \
        "problem shown, $sent bytes sent meanwhile, ${rest:-no lock left}"
    [ "${run_ms:-99999}" -lt 20000 ] && [ "${close_ms:-99999}" -lt 5000 ] &&
        [[ $rest == *"|Problème RS232: ABSENCE DE REPONSE|" && $rest != *"LCK..${stall%-*}"* ]] || {
        echo "uart: stall-$stall: ${result[stall-$stall]-"(no result)"}" >&2
        failures=$((failures + 1))
    }
done
# The flood: keys answered within 100 ms, and a loss told of exactly when the driver counted one.
# The emulated guest's two processors also start the other steps' programs: one key in a hundred
# may wait for them, none a second.
read -r _ keys slow slowest lost received problems <<<"${result[flood]-}"
echo "flood of ${COMRS_UART_FLOOD_SECONDS:-60} s: $received bytes received, $lost lost by the" \
    "driver's count; $keys keys, $slow shown after 100 ms or more, the slowest after $slowest ms; problems shown: ${problems:-none}"
told=0
[[ $problems == *"Dépassement du tampon de réception"* ]] && told=1
[ $((${slow:-1} * 100)) -le "${keys:-0}" ] && [ "${slowest:-9999}" -lt 1000 ] &&
    [ $((${lost:-0} > 0)) = $told ] && [ "${received:-0}" -gt 0 ] || {
    echo "uart: flood: ${result[flood]-"(no result)"}" >&2
    failures=$((failures + 1))
}
pace_uart=${result[pace-ttyS1]-} pace_ftdi=${result[pace-ttyUSB0]-}
echo "1200 characters at 1200 baud (10 s on a real line) sent in ${pace_uart#0 } s (UART), ${pace_ftdi#0 } s (FTDI)"
echo "whole run $((SECONDS - start)) s under $accel; the 8250 driver counted ${result[break-count]#0 }"
exit $((failures > 0))
