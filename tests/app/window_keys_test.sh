#!/usr/bin/env bash
# Real windows on a virtual 1280 x 1024 X display (Xvfb), driven with xdotool and read back with xwd:
#  1. keys: Up three times, then Escape. The three time marks are on disk before Escape (each is flushed
#     as it is made) and the program ends with status 0.
#  2. view: at --scale 2 the window is 1024 x 768; paused and moved to 10 s (Space, Home, Page Up) it
#     shows exactly the --shot frame at 10 s enlarged twice, nearest-neighbour; paused, the picture stays
#     and the process uses (almost) no processor time; Space resumes; F11 covers the screen with the frame
#     as large as fits, centred, black bars; SIGTERM then ends the show as Escape does (status 0).
#  3. SIGTERM ends a program waiting in a message box at once (status 143).
#  4. live reload: a show file whose fill colour is rewritten shows the new colour within a second while
#     the show time goes on; a broken rewrite keeps the show running and puts the error in the title.
# Usage: window_keys_test.sh SOFTSHOW WINDOW_SHOT. Exits 77 (skipped) only when Xvfb cannot run here.
set -u
exe=$1
shot=$2
for tool in Xvfb xdotool xwininfo xwd; do
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
fail() { echo "FAIL: $*"; for f in "$work"/*.log; do echo "--- $f"; cat "$f"; done; exit 1; }

# A free display number: Xvfb prints the one it took (-displayfd). By default Xvfb resets itself whenever
# its last client disconnects and drops any client that connects during the reset; here a program starts
# right after the previous one ends, so that would make it fall back to no display now and then.
Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/display" 2>"$work/xvfb.log" &
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

# Starts the program with the given arguments and waits for its window; sets show_pid and wid.
start() {
  "$exe" "$@" >"$work/run.log" 2>&1 &
  show_pid=$!
  wid=$(timeout 20 xdotool search --sync --name '^SoftShow' | head -n1)
  [ -n "$wid" ] || fail "no window appeared for $*"
  xdotool windowfocus --sync "$wid"
  sleep 0.3
}
# Waits up to 10 s for the program to end; sets status (124: still running).
finish() {
  status=124
  for _ in $(seq 100); do
    if ! kill -0 "$show_pid" 2>/dev/null; then wait "$show_pid"; status=$?; show_pid=""; return; fi
    sleep 0.1
  done
}
cpu_ticks() { awk '{print $14 + $15}' "/proc/$show_pid/stat"; }

# 1. Keys and time marks.
start --test-show --seed 1 --data "$work"
for _ in 1 2 3; do xdotool key Up; sleep 0.3; done
marks_while_running=$(wc -l <"$work/synch.txt")
xdotool key Escape
finish
[ "$status" -eq 0 ] || fail "exit status $status after Escape (124: still running 10 s later)"
echo "synch.txt:"; cat "$work/synch.txt"
[ "$(wc -l <"$work/synch.txt")" -eq 3 ] || fail "expected 3 time marks"
[ "$marks_while_running" -eq 3 ] || fail "$marks_while_running marks on disk while running"
grep -qvE '^[0-9]+\.[0-9]{2}$' "$work/synch.txt" && fail "a line is not a time with two decimals"

# 2. Scaling, pause, jumps, full screen.
"$exe" --test-show --headless --seed 1 --shot 10 "$work/shot10.png" >"$work/shot.log" 2>&1 || fail "--shot 10"
start --test-show --seed 1 --no-audio --scale 2 --data "$work"
xdotool key space; sleep 0.2; xdotool key Home; sleep 0.2; xdotool key Prior; sleep 0.5
title=$(xdotool getwindowname "$wid")
[ "$title" = "SoftShow: paused at 10.00 s" ] || fail "title '$title'"
xwd -silent -id "$wid" >"$work/a.xwd"
[ "$("$shot" size "$work/a.xwd")" = "1024 768" ] || fail "window size $("$shot" size "$work/a.xwd")"
"$shot" scaled "$work/a.xwd" "$work/shot10.png" || fail "the paused window is not the frame at 10 s enlarged twice"
before=$(cpu_ticks); sleep 0.5; after=$(cpu_ticks)
xwd -silent -id "$wid" >"$work/b.xwd"
"$shot" same "$work/a.xwd" "$work/b.xwd" || fail "the picture changed while paused"
[ $((after - before)) -le 5 ] || fail "$((after - before)) ticks of processor time in 0.5 s paused"
xdotool key space; sleep 0.5
xwd -silent -id "$wid" >"$work/c.xwd"
"$shot" same "$work/b.xwd" "$work/c.xwd" && fail "the picture did not move after Space resumed"
xdotool key F11; sleep 0.7
xwd -silent -id "$wid" >"$work/d.xwd"
[ "$("$shot" size "$work/d.xwd")" = "1280 1024" ] || fail "full screen window is $("$shot" size "$work/d.xwd")"
[ "$("$shot" box "$work/d.xwd")" = "0 32 1280 960" ] || fail "full screen picture at $("$shot" box "$work/d.xwd")"
kill -TERM "$show_pid"  # while the show runs: it ends as after Escape
finish
[ "$status" -eq 0 ] || fail "exit status $status after SIGTERM during the show"

# 4. Live reload of a show file (no music: the show time follows the wall clock).
mkdir "$work/live"
show_file() {  # writes the show file atomically, as editors do
  printf 'end = 120\nfx = [\n  { fx = "FillColor", color = %s },\n]\n' "$1" >"$work/live/new.toml"
  mv "$work/live/new.toml" "$work/live/show.toml"
}
centre() { xwd -silent -id "$wid" >"$work/live.xwd"; "$shot" centre "$work/live.xwd"; }
show_file 0xC02010
start --show "$work/live/show.toml" --data "$work/live" --scale 1
[ "$(centre)" = "C02010" ] || fail "the show file's colour is not on screen: $(centre)"
xdotool key Up; sleep 0.5
show_file 0x20C040
seen=""
for _ in $(seq 10); do sleep 0.1; [ "$(centre)" = "20C040" ] && { seen=yes; break; }; done
[ -n "$seen" ] || fail "the rewritten colour did not appear within a second: $(centre)"
xdotool key Up; sleep 0.3
marks=$(tr '\n' ' ' <"$work/live/synch.txt")
awk '{ t[NR] = $1 } END { exit !(NR == 2 && t[2] > t[1] + 0.3) }' "$work/live/synch.txt" ||
  fail "the show time did not go on over the reload (marks: $marks)"
printf 'end = 120\nfx = [\n  { fx = "FillColor", color = "green" },\n]\n' >"$work/live/show.toml"
sleep 1
title=$(xdotool getwindowname "$wid")
case "$title" in
  "SoftShow: $work/live/show.toml:3:31: FillColor's color must be a colour 0xRRGGBB") ;;
  *) fail "the title does not name the error: '$title'" ;;
esac
kill -0 "$show_pid" 2>/dev/null || fail "a broken show file stopped the show"
[ "$(centre)" = "20C040" ] || fail "the last good show is not playing on: $(centre)"
show_file 0x3050F0; sleep 1
[ "$(centre)" = "3050F0" ] || fail "the mended show file did not play: $(centre)"
[ "$(xdotool getwindowname "$wid")" = "SoftShow" ] || fail "the title still shows an error once mended"
xdotool key Escape
finish
[ "$status" -eq 0 ] || fail "exit status $status after Escape in the live show"
echo "live reload: marks $marks"

# 3. Music that cannot be decoded: the program waits in the "Bass error!" box.
mkdir "$work/badmusic"
echo "not music at all" >"$work/badmusic/Velm_test2.mp3"
"$exe" --test-show --no-audio --data "$work/badmusic" >"$work/box.log" 2>&1 &
show_pid=$!
box=""
for _ in $(seq 600); do  # the box has no window class, so it is found by its title in the window tree
  tree=$(xwininfo -root -tree 2>/dev/null)
  grep -q '"Bass error!"' <<<"$tree" && { box=yes; break; }
  grep -q '"Error"' <<<"$tree" && fail "an \"Error\" box (the window could not open) instead of \"Bass error!\""
  kill -0 "$show_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$box" ]; then
  kill -0 "$show_pid" 2>/dev/null && fail "no message box appeared in 60 s"
  wait "$show_pid"; fail "the program ended with status $? without showing its message box"
fi
kill -TERM "$show_pid"
finish
[ "$status" -eq 143 ] || fail "status $status after SIGTERM in a message box (143 expected at once)"
echo "PASS"
