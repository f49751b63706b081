#!/usr/bin/env bash
# Installs what is needed, builds, starts the local stand-in service on
# loopback and starts the client against it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "lumaro: no graphical display available (set DISPLAY, or run it under xvfb-run)" >&2
  exit 1
fi
service_pid=""
if ! (exec 3<>/dev/tcp/127.0.0.1/18080) 2>/dev/null; then
  build/lumaro-service --port 18080 &
  service_pid=$!
  trap '[ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null' EXIT
  for _ in $(seq 50); do (exec 3<>/dev/tcp/127.0.0.1/18080) 2>/dev/null && break; sleep 0.1; done
fi
build/lumaro
