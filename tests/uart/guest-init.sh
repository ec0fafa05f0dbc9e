#!/bin/busybox sh
# The guest's init: brings up the serial drivers, then runs the steps. Each step writes one line on
# the console, "R ID STATUS OUTPUT" (OUTPUT's lines joined by "|"); "W WHAT" asks the host to act
# on the line and waits for its answer on the console.
/bin/busybox --install -s /bin
export PATH=/bin:/opt HOME=/root
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
mkdir -p /run/lock /tmp /root /home/operateur
chmod 1777 /run/lock /tmp
chown 1000:20 /home/operateur
stty -F /dev/console -echo -onlcr 2>/dev/null
for m in $(cat /modules.order); do insmod "/modules/$m.ko"; done

say() { echo "$*" >/dev/console; }
host() {
    say "W $*"
    read -r _ </dev/console
}
run() {
    id=$1
    shift
    out=$("$@" 2>&1)
    rc=$?
    say "R $id $rc $(printf '%s' "$out" | tr '\n' '|')"
}
# Waits until the program holds the line's lock, that is, has it open.
held() {
    i=0
    while [ ! -e "/run/lock/LCK..$1" ] && [ $i -lt 100 ]; do
        sleep 0.1
        i=$((i + 1))
    done
}

i=0
while [ ! -e /dev/ttyUSB1 ] && [ $i -lt 200 ]; do
    sleep 0.1
    i=$((i + 1))
done
chgrp 20 /dev/ttyS1 /dev/ttyS2 /dev/ttyUSB0 /dev/ttyUSB1
chmod 660 /dev/ttyS1 /dev/ttyS2 /dev/ttyUSB0 /dev/ttyUSB1
say "R boot 0 $(cut -d' ' -f1 /proc/uptime)"

. /steps.sh
say "R end 0"
poweroff -f
