#!/usr/bin/env bash
# Checks the installed program and its Debian package, from a built tree:
#   1. `cmake --install` into a temporary prefix puts every file in place and
#      the menu entry passes desktop-file-validate;
#   2. `cpack -G DEB` makes the package, whose contents and control fields are
#      checked with dpkg-deb;
#   3. as root only: the package is installed with apt-get, /usr/bin/lumaro is
#      started under Xvfb against the stand-in service and must show its login
#      window, and the package is removed again.
# Usage: scripts/package-test.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(cd "${1:-build}" && pwd)"
export LANG=C.UTF-8 LC_ALL=C.UTF-8

failures=0
pass() { echo "package test: ok: $*"; }
fail() { echo "package test: FAILED: $*" >&2; failures=$((failures + 1)); }

work="$(mktemp -d /tmp/lumaro-package-XXXXXX)"
installed_here=""
cleanup() {
  if [ -n "$installed_here" ]; then
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq lumaro >/dev/null 2>&1 || true
    dpkg --purge lumaro >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
base="$(sed -n 's/^LUMARO_SERVICE_BASE:STRING=//p' "$build/CMakeCache.txt")"
port="$(printf '%s' "$base" | sed -n 's#^http://[^:/]*:\([0-9]*\)/.*#\1#p')"
port="${port:-80}"

# Files every installation must hold, relative to the prefix.
expected=(
  bin/lumaro
  lib/lumaro/lumaro_webkit.so
  share/applications/lumaro.desktop
  share/icons/hicolor/scalable/apps/lumaro.svg
  share/icons/hicolor/48x48/apps/lumaro.png
  share/icons/hicolor/256x256/apps/lumaro.png
)
for svg in assets/*.svg; do
  name="$(basename "$svg" .svg)"
  expected+=("share/lumaro/assets/$name.svg" "share/lumaro/assets/$name.png"
             "share/lumaro/assets/$name@2x.png")
done

# ---------------------------------------------------------------- install
prefix="$work/root/usr"
if cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
  missing=()
  for f in "${expected[@]}"; do [ -f "$prefix/$f" ] || missing+=("$f"); done
  if [ ${#missing[@]} -eq 0 ]; then pass "cmake --install put all ${#expected[@]} files in place"
  else fail "cmake --install left out: ${missing[*]}"; fi
  [ -x "$prefix/bin/lumaro" ] && pass "bin/lumaro is executable" || fail "bin/lumaro is not executable"
  if [ -e "$prefix/bin/lumaro-service" ]; then fail "the stand-in service was installed"; fi
  for size in 48 256; do
    got="$(identify -format '%wx%h' "$prefix/share/icons/hicolor/${size}x${size}/apps/lumaro.png" 2>/dev/null || true)"
    [ "$got" = "${size}x${size}" ] && pass "icon ${size}x${size}" || fail "icon ${size}x${size} is '$got'"
  done
  if desktop-file-validate "$prefix/share/applications/lumaro.desktop"; then
    pass "desktop-file-validate"
  else
    fail "desktop-file-validate"
  fi
  for line in 'Name=Lumaro' 'Exec=lumaro' 'Icon=lumaro' 'Terminal=false' 'Type=Application' 'Categories=Network;'; do
    grep -qxF "$line" "$prefix/share/applications/lumaro.desktop" || fail "menu entry lacks $line"
  done
  grep -q '^Name\[zh_CN\]=' "$prefix/share/applications/lumaro.desktop" || fail "menu entry lacks Name[zh_CN]"
else
  cat "$work/install.log" >&2
  fail "cmake --install"
fi

# ---------------------------------------------------------------- package
rm -f "$build"/lumaro_*.deb
if (cd "$build" && cpack -G DEB) >"$work/cpack.log" 2>&1; then
  deb="$(ls "$build"/lumaro_*.deb 2>/dev/null | head -n 1)"
else
  deb=""
  cat "$work/cpack.log" >&2
fi
if [ -z "$deb" ]; then
  fail "cpack -G DEB made no lumaro_*.deb"
else
  pass "cpack made $(basename "$deb")"
  dpkg-deb -c "$deb" | awk '{print $6}' | sed 's#^\./##' >"$work/contents"
  missing=()
  for f in "${expected[@]}"; do grep -qxF "usr/$f" "$work/contents" || missing+=("usr/$f"); done
  if [ ${#missing[@]} -eq 0 ]; then pass "the package holds all ${#expected[@]} files under /usr"
  else fail "the package lacks: ${missing[*]}"; fi
  grep -q 'lumaro-service' "$work/contents" && fail "the package holds the stand-in service"
  field() { dpkg-deb -f "$deb" "$1"; }
  [ "$(field Package)" = lumaro ] && pass "Package: lumaro" || fail "Package is '$(field Package)'"
  [ "$(field Version)" = "$version" ] && pass "Version: $version" || fail "Version is '$(field Version)', not '$version'"
  [ -n "$(field Maintainer)" ] && [ -n "$(field Section)" ] && [ -n "$(field Description)" ] \
    && pass "Maintainer, Section and Description are set" || fail "Maintainer, Section or Description missing"
  depends="$(field Depends)"
  if [ -z "$depends" ]; then
    fail "Depends is empty"
  else
    # The executable's libraries, the browser module's, the SVG loader and
    # xdg-open.
    for lib in libgtk-3-0 libcurl4 libwebkit2gtk-4.1-0 librsvg2-common xdg-utils; do
      case "$depends" in *"$lib"*) ;; *) fail "Depends lacks $lib: $depends" ;; esac
    done
    pass "Depends: $depends"
  fi
  dpkg-deb -I "$deb" >/dev/null || fail "dpkg-deb -I"
fi

# ---------------------------------------------------------------- as installed
if [ "$(id -u)" -ne 0 ]; then
  echo "package test: not root: the package is not installed and started"
elif [ -z "$deb" ]; then
  echo "package test: no package to install"
elif dpkg-query -W -f='${Status}' lumaro 2>/dev/null | grep -q "install ok installed"; then
  echo "package test: a lumaro package is installed already: left alone, not started"
else
  installed_here=yes
  # Recommends are left out: the check is of the package itself, and the
  # machine keeps no more than it had.
  if DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" \
       >"$work/apt.log" 2>&1; then
    pass "apt-get install $(basename "$deb")"
    cat >"$work/start.sh" <<EOF
#!/usr/bin/env bash
# Runs under xvfb-run: the stand-in on the program's built-in port, then the
# installed program; the login window must appear.
export XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home"
mkdir -p "\$XDG_RUNTIME_DIR" "\$HOME" && chmod 700 "\$XDG_RUNTIME_DIR"
"$build/lumaro-service" --port "$port" >"$work/service.log" 2>&1 &
service=\$!
for _ in \$(seq 50); do (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null && break; sleep 0.1; done
/usr/bin/lumaro >"$work/client.log" 2>&1 &
client=\$!
found=""
for _ in \$(seq 150); do
  found="\$(xdotool search --onlyvisible --name '^登录V6\\.0\$' 2>/dev/null | head -n 1)"
  [ -n "\$found" ] && break
  kill -0 \$client 2>/dev/null || break
  sleep 0.2
done
status=1
if [ -n "\$found" ]; then
  geometry="\$(xdotool getwindowgeometry "\$found" | sed -n 's/.*Geometry: //p')"
  echo "login window \$found, \$geometry"
  [ "\$geometry" = "1003x615" ] && status=0
  # The browser module is loaded a moment after the window appears: from
  # the installed library folder.
  module=""
  for _ in \$(seq 50); do
    module="\$(grep -o '/[^ ]*/lumaro_webkit\.so' /proc/\$client/maps 2>/dev/null | head -n 1)"
    [ -n "\$module" ] && break
    sleep 0.2
  done
  echo "browser module: \${module:-not loaded}"
  [ "\$module" = /usr/lib/lumaro/lumaro_webkit.so ] || status=1
fi
kill \$client \$service 2>/dev/null
wait 2>/dev/null
exit \$status
EOF
    chmod +x "$work/start.sh"
    if xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$work/start.sh"; then
      pass "/usr/bin/lumaro shows its login window"
    else
      cat "$work/client.log" >&2 || true
      fail "/usr/bin/lumaro showed no login window"
    fi
  else
    cat "$work/apt.log" >&2
    fail "apt-get install"
  fi
  # Removed, and its record purged: nothing of it is left on the machine.
  if DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq lumaro >"$work/remove.log" 2>&1 &&
     dpkg --purge lumaro >>"$work/remove.log" 2>&1 &&
     ! dpkg-query -W -f='${Status}' lumaro 2>/dev/null | grep -q "install ok installed"; then
    pass "apt-get remove lumaro"
    installed_here=""
    [ -e /usr/bin/lumaro ] && fail "/usr/bin/lumaro is still there after removal"
  else
    cat "$work/remove.log" >&2
    fail "apt-get remove lumaro"
  fi
fi

if [ "$failures" -ne 0 ]; then
  echo "package test: $failures check(s) failed" >&2
  exit 1
fi
echo "package test: every check held"
