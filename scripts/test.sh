#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: unit tests, the
# platform tests and the end-to-end tests under Xvfb, then the unit tests
# again in a debug build with AddressSanitizer and UndefinedBehaviorSanitizer,
# and a short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
export LANG=C.UTF-8 LC_ALL=C.UTF-8
scripts/install-deps.sh
scripts/build.sh build

xvfb=(xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp")
status=0
# Tests that drive real windows with X input can lose a race on a loaded
# machine: a failed test is run again, up to three times in all.
"${xvfb[@]}" ctest --test-dir build --output-on-failure --timeout 300 --repeat until-pass:3 || status=1

# The accessibility tree read through AT-SPI, in a D-Bus session of its own
# (the accessibility bus starts on demand); without the bus the tests fail.
dbus-run-session -- "${xvfb[@]}" env LUMARO_A11Y_REQUIRED=1 \
  ctest --test-dir build --output-on-failure -L a11y --timeout 120 || status=1

# The installed program and its Debian package (as root also installed with
# apt-get, started against the stand-in and removed again).
scripts/package-test.sh build || status=1

# The agent's build (edition 4), where signing in opens the agent console:
# its end-to-end test.
cmake -S . -B build-agent -DLUMARO_EDITION=4 >/dev/null
cmake --build build-agent -j"$(nproc)" --target e2e_tests
"${xvfb[@]}" ctest --test-dir build-agent --output-on-failure -R 'EndToEnd\.Agent' --timeout 300 \
  --repeat until-pass:3 || status=1

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DLUMARO_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$(nproc)" --target core_tests forms_tests controls_tests
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -L 'core|forms|controls' --timeout 300 || status=1
scripts/fuzz.sh || status=1  # a short run of every fuzz target (build-fuzz/, clang)
exit $status
