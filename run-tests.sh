#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test headless,
# validates the desktop entry and metadata, builds the Debian package and checks it with lintian,
# runs the program on the kernel's real serial drivers in a QEMU guest, fuzzes the reception for a
# minute, then builds and runs the tests again under AddressSanitizer and UndefinedBehaviorSanitizer
# (the slow drills, the soak and the guest left out there).
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCOMRS_WERROR=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -LE uart

# What a desktop reads of the program, checked by its validators, and the Debian package.
desktop-file-validate packaging/*.desktop
appstreamcli validate --no-net packaging/*.metainfo.xml
(cd build && cpack -G DEB)
lintian --fail-on error,warning build/comrs232_*_amd64.deb

# The program on the kernel's real serial drivers, in a QEMU guest (about 3 minutes).
ctest --test-dir build --output-on-failure -L uart

# A minute of the reception fuzzer (clang, its own build tree).
scripts/fuzz 60

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCOMRS_WERROR=ON -DCOMRS_SANITIZE=ON
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp" \
    ctest --test-dir build-asan --output-on-failure -LE 'drill|soak|uart'
