#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test once: unit tests, the
# platform tests, the end-to-end and accessibility tests of the real program
# under Xvfb, the package test, the agent's build's end-to-end test; then, in
# a debug build with AddressSanitizer and UndefinedBehaviorSanitizer, the
# unit tests and the end-to-end tests again; and a short run of every fuzz
# target. A test that fails is reported as failed: nothing is run twice.
set -euo pipefail
cd "$(dirname "$0")/.."
export LANG=C.UTF-8 LC_ALL=C.UTF-8
scripts/install-deps.sh
scripts/build.sh build

xvfb=(xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp")

# As root, the tests run in a network namespace of their own with only its
# loopback up: nothing else on this machine can answer on the stand-in's port
# or post into it, and the refused connections they count are their own.
isolated() {
  if [ "$(id -u)" -eq 0 ]; then
    unshare -n -m sh -c 'ip link set lo up && exec "$@"' isolated "$@"
  else
    "$@"
  fi
}

# The tests that drive the real program read its accessibility tree through
# AT-SPI: they run in a D-Bus session of their own (the accessibility bus
# starts on demand), where a missing bus fails them. The session has a
# runtime folder of its own, where the accessibility bus keeps its socket
# (without one the socket is ~/.cache/at-spi/bus, which every other session
# of the same user on this machine replaces and removes).
in_session() {
  local runtime rc=0
  runtime="$(mktemp -d /tmp/lumaro-test-session.XXXXXX)"
  isolated env XDG_RUNTIME_DIR="$runtime" dbus-run-session -- "${xvfb[@]}" \
    env LUMARO_A11Y_REQUIRED=1 "$@" || rc=$?
  rm -rf "$runtime"
  return $rc
}

status=0
# Unit and platform tests; the platform tests need the display, and no
# accessibility bus (GTK's bridge to it wakes the main loop they time).
isolated "${xvfb[@]}" ctest --test-dir build --output-on-failure --timeout 300 -LE 'e2e|a11y' \
  || status=1
# The real program: end-to-end and accessibility tests.
in_session ctest --test-dir build --output-on-failure --timeout 300 -L 'e2e|a11y' || status=1

# The installed program and its Debian package (as root also installed with
# apt-get, started against the stand-in and removed again).
scripts/package-test.sh build || status=1

# The agent's build (edition 4), where signing in opens the agent console:
# its end-to-end test.
cmake -S . -B build-agent -DLUMARO_EDITION=4 >/dev/null
cmake --build build-agent -j"$(nproc)" --target e2e_tests
in_session ctest --test-dir build-agent --output-on-failure -R 'EndToEnd\.Agent' --timeout 300 \
  || status=1

# The sanitizers' build: the unit tests with leak checking; the end-to-end
# tests against the sanitized program, where the leaks of GTK and WebKitGTK
# are not the program's to fix (leak checking off) but any memory error or
# undefined behaviour fails the test that met it.
# (The dynamic-type check is left out of that build: see CMakeLists.txt.)
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DLUMARO_SANITIZE=ON \
  -UCMAKE_CXX_COMPILER_LAUNCHER >/dev/null
cmake --build build-asan -j"$(nproc)" --target core_tests forms_tests controls_tests e2e_tests
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -L 'core|forms|controls' --timeout 300 || status=1
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  in_session ctest --test-dir build-asan --output-on-failure -L e2e --timeout 600 || status=1

scripts/fuzz.sh || status=1  # a short run of every fuzz target (build-fuzz/, clang)
exit $status
