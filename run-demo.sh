#!/usr/bin/env bash
# Installs what is missing, builds, then starts the device simulator on a pseudo-terminal and the
# tool on it as COM1, ready to type. Closing the window stops both.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target comrs232 comrs232-sim

link="${XDG_RUNTIME_DIR:-/tmp}/comrs232-demo-$$"
build/comrs232-sim --link "$link" "$@" 2> >(sed 's/^/[simulateur] /' >&2) &
sim=$!
trap 'kill "$sim" 2>/dev/null || true; rm -f "$link"' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Pas d'écran : l'outil tourne sous Xvfb." >&2
    xvfb-run -a build/comrs232 --port1="$link"
else
    build/comrs232 --port1="$link"
fi
