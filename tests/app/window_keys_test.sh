#!/usr/bin/env bash
# A real window on a virtual X display: press Up three times, then Escape. The program must have written
# the three time marks to synch.txt before it ends (each is flushed as it is made) and end with status 0.
# Then SIGTERM must end a program waiting in a message box at once. Exits 77 (skipped) only when Xvfb
# cannot run here.
set -u
exe=$1
for tool in Xvfb xdotool xwininfo; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
xvfb_pid=""; show_pid=""
cleanup() {
  [ -n "$show_pid" ] && kill "$show_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A free display number: Xvfb prints the one it took (-displayfd).
Xvfb -displayfd 1 -screen 0 800x600x24 -nolisten tcp >"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
if ! [ -s "$work/display" ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
  echo "SKIP: Xvfb could not start:"; cat "$work/xvfb.log"; exit 77
fi
export DISPLAY=":$(head -n1 "$work/display")"
echo "Xvfb on $DISPLAY"

# Under the sanitizer build, the X11/D-Bus libraries behind the window leave allocations LeakSanitizer
# reports at exit; they are not ours, and the rest of the suite keeps leak detection on.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
"$exe" --test-show --seed 1 --data "$work" >"$work/out.log" 2>&1 &
show_pid=$!
wid=$(timeout 20 xdotool search --sync --name '^SoftShow$' | head -n1)
if [ -z "$wid" ]; then echo "FAIL: no window appeared"; cat "$work/out.log"; exit 1; fi
xdotool windowfocus --sync "$wid"
sleep 0.3
for _ in 1 2 3; do xdotool key Up; sleep 0.3; done
marks_while_running=$(wc -l <"$work/synch.txt")
xdotool key Escape

status=124
for _ in $(seq 100); do
  if ! kill -0 "$show_pid" 2>/dev/null; then wait "$show_pid"; status=$?; show_pid=""; break; fi
  sleep 0.1
done
cat "$work/out.log"
if [ "$status" -ne 0 ]; then echo "FAIL: exit status $status (124: still running 10 s after Escape)"; exit 1; fi
lines=$(wc -l <"$work/synch.txt")
echo "synch.txt:"; cat "$work/synch.txt"
if [ "$lines" -ne 3 ]; then echo "FAIL: expected 3 time marks, found $lines"; exit 1; fi
if [ "$marks_while_running" -ne 3 ]; then echo "FAIL: $marks_while_running marks on disk while running"; exit 1; fi
if grep -qvE '^[0-9]+\.[0-9]{2}$' "$work/synch.txt"; then echo "FAIL: a line is not a time with two decimals"; exit 1; fi

# A folder without the show's files: the program waits in the "Texture file not found!" box.
mkdir "$work/empty"
"$exe" --data "$work/empty" >"$work/box.log" 2>&1 &
show_pid=$!
box=""
for _ in $(seq 200); do  # the box has no window class, so it is found by its title in the window tree
  xwininfo -root -tree 2>/dev/null | grep -q '"Error"' && { box=yes; break; }
  sleep 0.1
done
if [ -z "$box" ]; then echo "FAIL: no message box appeared"; cat "$work/box.log"; exit 1; fi
kill -TERM "$show_pid"
status=124
for _ in $(seq 20); do
  if ! kill -0 "$show_pid" 2>/dev/null; then wait "$show_pid"; status=$?; show_pid=""; break; fi
  sleep 0.1
done
cat "$work/box.log"
if [ "$status" -ne 143 ]; then echo "FAIL: status $status after SIGTERM in a message box (143 expected within 2 s)"; exit 1; fi
echo "PASS"
