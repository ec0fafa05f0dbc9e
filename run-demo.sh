#!/usr/bin/env bash
# Installs what is missing, builds, then works the tool against the device simulator.
# With a display: the simulator on a pseudo-terminal and the window on it as COM1, ready to type;
# closing the window stops both. Without one: the exchanges in text, a good reply and then each
# fault the simulator can inject, sent without a window, and a picture of the window after the
# same exchanges. Options after ./run-demo.sh go to the simulator.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

link="${XDG_RUNTIME_DIR:-/tmp}/comrs232-demo-$$"
sim=""
stop_simulator() {
    [ -z "$sim" ] && return
    kill "$sim" 2>/dev/null || true
    wait "$sim" 2>/dev/null || true
    sim=""
}
# Starts the simulator on $link; its journal goes where $journal says.
journal=/dev/stderr
start_simulator() {
    build/comrs232-sim --link "$link" "$@" 2> >(sed 's/^/[simulateur] /' >>"$journal") >/dev/null &
    sim=$!
    for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
}
trap 'stop_simulator; rm -f "$link"' EXIT

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    cmake --build build -j"$(nproc)" --target comrs232 comrs232-sim
    start_simulator "$@"
    build/comrs232 --port1="$link"
    exit 0
fi

cmake --build build -j"$(nproc)" --target comrs232 comrs232-sim comrs_operator_robot >/dev/null
faults=(none bad-checksum lowercase no-ack not-stx silence cut-off unsolicited flood none)
instructions=(ETAT MESURE1 MESURE2 MESURE3 MESURE4 MESURE5 MESURE6 MESURE7 MESURE8 FIN)
simulator=(--fault-cycle --fault "$(IFS=,; echo "${faults[*]}")" --flood-size 40 "$@")
journal=build/comrs232-demo.log
: >"$journal"

echo "Pas d'écran : l'échange en texte, sans fenêtre."
echo "Le simulateur répond en écho ; ses fautes, une par réponse : ${faults[*]}"
echo "(journal du simulateur et messages de la fenêtre : $journal)"
sends=()
for instruction in "${instructions[@]}"; do sends+=(--send "$instruction"); done
echo
echo "\$ build/comrs232 --port1=$link --trace ${sends[*]}"
start_simulator "${simulator[@]}"
status=0
build/comrs232 --port1="$link" --trace "${sends[@]}" || status=$?
echo "Code de sortie : $status (0 tout vérifié, 1 problème de protocole, 2 défaillance du port)"
stop_simulator

# The same exchanges in the window, offscreen, typed by the operator robot; the pauses let
# each exchange end, so that every fault has its own report.
picture="$PWD/build/comrs232-demo.png"
rm -f "$picture"
echo
echo "Les mêmes échanges dans la fenêtre, hors écran..."
start_simulator "${simulator[@]}"
orders="$(mktemp -u)"
mkfifo "$orders"
QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH="$PWD/build/robot_plugins" \
    QT_QPA_GENERIC_PLUGINS=comrsrobot COMRS_ROBOT_FD=3 \
    build/comrs232 --port1="$link" 3<"$orders" 2>>"$journal" &
window=$!
exec 4>"$orders"
rm -f "$orders"
pause=4  # the first instruction waits for the line to settle
for instruction in "${instructions[@]}"; do
    printf 'clear\ntype %s\nenter\n' "$instruction" >&4
    sleep "$pause"
    pause=1.5
done
printf 'shot %s\nclose\n' "$picture" >&4
exec 4>&-
wait "$window" || true
if [ -s "$picture" ]; then
    echo "Capture de la fenêtre après ces échanges : $picture"
else
    echo "Pas de capture de la fenêtre." >&2
    exit 1
fi
