#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks what a user gets:
# the files in their places, a manual page man reads without a warning, a
# valid desktop entry, and the installed program running headless without Qt
# and finding its window program when a window can open (and going on
# headless when that program is missing).
#   check_install.sh BUILD_DIR WITH_WINDOW(ON|OFF)
# Exit 77 (skipped) when a checking tool is missing.
set -euo pipefail
build=$1
window=$2
for tool in man file desktop-file-validate; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/setup)"; exit 77; }
done
root=$(mktemp -d)
trap 'exec 3>&-; rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$root/dest cmake --install "$build" --prefix /usr >/dev/null
usr=$root/dest/usr

expected=(bin/tapix share/man/man1/tapix.1.gz share/doc/tapix/copyright share/doc/tapix/changelog.gz)
[[ $window == ON ]] && expected+=(libexec/tapix/tapix-window share/applications/tapix.desktop
  share/icons/hicolor/32x32/apps/tapix.png share/icons/hicolor/64x64/apps/tapix.png)
for f in "${expected[@]}"; do [[ -f $usr/$f ]] || fail "not installed: /usr/$f"; done
# Nothing else: a file installed by mistake shows here.
found=$(cd "$usr" && find . -type f | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[[ $found == "$wanted" ]] || fail "installed files differ:"$'\n'"$(diff <(echo "$wanted") <(echo "$found"))"
[[ -x $usr/bin/tapix ]] || fail "/usr/bin/tapix not executable"

warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$usr/share/man/man1/tapix.1.gz" 2>&1 >/dev/null)
[[ -z $warnings ]] || fail "man page warnings:"$'\n'"$warnings"
page=$(MANWIDTH=200 man -l "$usr/share/man/man1/tapix.1.gz" 2>/dev/null)
# Every option of the help has its entry in the manual page.
for option in $("$usr/bin/tapix" --help | grep -o -- '--[a-z-]*' | sort -u); do
  grep -q -- "$option" <<<"$page" || fail "man page lacks $option"
done

if [[ $window == ON ]]; then
  desktop-file-validate "$usr/share/applications/tapix.desktop" || fail "desktop entry invalid"
  for size in 32 64; do
    file "$usr/share/icons/hicolor/${size}x$size/apps/tapix.png" | grep -q "PNG image data, $size x $size" ||
      fail "icon ${size}x$size is not a PNG of that size"
  done
fi

# Runs the installed tapix with a virtual line until it has opened it; leaves
# its PID in $pid and its standard input on descriptor 3.
start() {
  rm -f "$root/in" "$root/out"
  mkfifo "$root/in"
  XDG_CONFIG_HOME=$root/config "$@" "$usr/bin/tapix" --pty <"$root/in" >"$root/out" 2>&1 &
  pid=$!
  exec 3>"$root/in"
  for _ in $(seq 100); do
    grep -q ') succeeded' "$root/out" && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  cat "$root/out" >&2
  fail "the installed tapix did not open its virtual line"
}
stop() {
  echo quit >&3
  exec 3>&-
  local status=0
  wait "$pid" || status=$?
  [[ $status == 0 ]] || { cat "$root/out" >&2; fail "tapix ended with $status after quit"; }
}

# Headless: no Qt library in the process.
start env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM
! grep -q libQt6 "/proc/$pid/maps" || fail "the headless program has Qt loaded"
stop

if [[ $window == ON ]]; then
  # With a display the same process becomes the installed window program.
  start env QT_QPA_PLATFORM=offscreen
  exe=$(readlink "/proc/$pid/exe")
  [[ $exe == "$usr/libexec/tapix/tapix-window" ]] || fail "with a display, the process runs $exe"
  grep -q libQt6Widgets "/proc/$pid/maps" || fail "the window program has no Qt loaded"
  stop
  # Without its window program tapix says so and goes on headless.
  rm "$usr/libexec/tapix/tapix-window"
  start env QT_QPA_PLATFORM=offscreen
  grep -q 'kein Fensterprogramm' "$root/out" || fail "no word of the missing window program"
  ! grep -q libQt6 "/proc/$pid/maps" || fail "Qt loaded without the window program"
  stop
fi
echo "install: ${#expected[@]} files checked"
