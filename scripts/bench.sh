#!/usr/bin/env bash
# Builds and runs every benchmark; each prints its figures as ratios against
# a baseline measured in the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
export LANG=C.UTF-8 LC_ALL=C.UTF-8
scripts/install-deps.sh
scripts/build.sh build
run() { if [ -n "${DISPLAY:-}" ]; then "$@"; else xvfb-run -a -s "-screen 0 1280x1024x24" "$@"; fi; }
build/bench/progbutton_bench
run build/bench/http_bench
run build/bench/startup_bench
run build/bench/console_bench
run build/bench/typing_bench
