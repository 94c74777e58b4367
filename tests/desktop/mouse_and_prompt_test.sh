#!/usr/bin/env bash
# Wordlark on a real X server with a window manager, driven by synthetic input (XTest through
# xdotool) as a person would: dragging text with the mouse, the middle-click, the selection it
# offers other programs, and the keyboard after the Find dialog's restart prompt.
#
# Usage: mouse_and_prompt_test.sh WORDLARK_BINARY
# Exits 0 when every check passes, 1 on a failure, 77 (skipped) when a tool is missing.
set -uo pipefail

wordlark=$1
for tool in Xvfb openbox xdotool xclip xprop; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
pids=()
failures=0
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Runs the command until it succeeds, every 50 ms, for at most $1 seconds.
within() {
  local limit=$1
  shift
  local end=$((SECONDS + limit))
  until "$@"; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.05
  done
}

# ---- The desktop: Xvfb on a free display, openbox ----------------------------------------------
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work
# WORDLARK_DESKTOP_DISPLAY names the display number to use; otherwise Xvfb takes a free one.
if [ -n "${WORDLARK_DESKTOP_DISPLAY:-}" ]; then
  Xvfb ":$WORDLARK_DESKTOP_DISPLAY" -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null &
  echo "$WORDLARK_DESKTOP_DISPLAY" >"$work/display"
else
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
fi
pids+=($!)
within 60 test -s "$work/display" || { echo "FAIL: Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
server_is_up() { xprop -root >/dev/null 2>&1; }
window_manager_is_up() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
within 60 server_is_up || { echo "FAIL: the X server did not start"; exit 1; }
openbox >/dev/null 2>&1 &
pids+=($!)
within 60 window_manager_is_up || { echo "FAIL: openbox did not start"; exit 1; }

# ---- Wordlark -----------------------------------------------------------------------------------
main=""
# Starts a fresh Wordlark and waits until its window is shown and active.
start_wordlark() {
  QT_QPA_PLATFORM=xcb "$wordlark" >/dev/null 2>&1 &
  wordlark_pid=$!
  pids+=("$wordlark_pid")
  main=""
  within 60 find_main || { echo "FAIL: the main window did not appear"; exit 1; }
  xdotool windowactivate --sync "$main" 2>/dev/null
  within 10 is_active "$main" || fail "the main window is not active"
}
stop_wordlark() {
  kill "$wordlark_pid" 2>/dev/null
  wait "$wordlark_pid" 2>/dev/null
}
find_main() { main=$(xdotool search --onlyvisible --name '^BW Wordlark' 2>/dev/null | head -n1); [ -n "$main" ]; }
is_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }
# Visible windows whose title starts with "Find" (the dialog, and the prompt over it).
find_windows() { xdotool search --onlyvisible --name '^Find' 2>/dev/null; }
find_window_count_is() { [ "$(find_windows | wc -l)" -eq "$1" ]; }

# The document's text: Select All and Copy in Wordlark, the clipboard's RTF through the converter.
document_text() {
  xdotool key --clearmodifiers ctrl+a ctrl+c
  rm -f "$work/doc.rtf" "$work/doc.txt"
  within 10 clipboard_rtf_to "$work/doc.rtf" || { echo "<no RTF on the clipboard>"; return; }
  QT_QPA_PLATFORM=offscreen "$wordlark" --convert "$work/doc.rtf" "$work/doc.txt" >/dev/null 2>&1
  cat "$work/doc.txt"
}
primary_is() { [ "$(xclip -o -selection primary 2>/dev/null)" = "$1" ]; }
clipboard_rtf_to() { xclip -o -selection clipboard -t text/rtf >"$1" 2>/dev/null && [ -s "$1" ]; }

# Where a point inside the document lies: left of the first letters, on a line well inside the
# editor (below the menu bar and both toolbars, above the status bar).
editor_point() {
  eval "$(xdotool getwindowgeometry --shell "$main")"
  px=$((X + 20))
  py=$((Y + 160))
}

# ---- 1. Dragging the selection moves it; Undo puts it back ---------------------------------------
start_wordlark
for line in $(seq 12); do xdotool type --delay 5 alpha; xdotool key Return; done
original=$(document_text)
editor_point
# Double-click a word, then drag it three lines down, past that line's end.
xdotool mousemove --sync "$px" "$py" click --repeat 2 --delay 120 1
sleep 0.3 # longer than a double-click: the press below starts a drag, not a third click
xdotool mousedown 1
for step in 1 2 3 4 5 6 7 8 9 10; do
  xdotool mousemove --sync $((px + step * 30)) $((py + step * 4))
  sleep 0.03
done
xdotool mouseup 1
moved=$(document_text)
[ "$(grep -o alpha <<<"$moved" | wc -l)" -eq 12 ] && [ "$(wc -l <<<"$moved")" -eq "$(wc -l <<<"$original")" ] ||
  fail "the drop inserted something else: $(tr '\n' '|' <<<"$moved")"
[ "$(grep -c '^alphaalpha$' <<<"$moved")" -eq 1 ] || fail "the dragged word was not moved: $(tr '\n' '|' <<<"$moved")"
[ "$(grep -c '^$' <<<"$moved")" -eq 1 ] || fail "the dragged word did not leave its line: $(tr '\n' '|' <<<"$moved")"
xdotool key --clearmodifiers ctrl+z
[ "$(document_text)" = "$original" ] || fail "Undo did not put the dragged word back"

# ---- 2. Middle-click inserts the primary selection, never the clipboard --------------------------
printf '{\\rtf1\\ansi CLIPBOARD}' | xclip -selection clipboard -t text/rtf
printf 'PRIMARY' | xclip -selection primary
editor_point
xdotool mousemove --sync "$px" "$py" click 2
after=$(document_text)
grep -q 'PRIMARY' <<<"$after" || fail "middle-click did not insert the primary selection"
grep -q 'CLIPBOARD' <<<"$after" && fail "middle-click inserted the clipboard"
# Wordlark offers its own selection (Select All just now) as the primary selection.
targets=$(xclip -o -selection primary -t TARGETS 2>/dev/null)
grep -qx 'text/rtf' <<<"$targets" || fail "the primary selection offers no RTF: $(tr '\n' ' ' <<<"$targets")"
[ "$(xclip -o -selection primary 2>/dev/null)" = "$(printf '%s' "$after")" ] ||
  fail "the primary selection's text is not the selected text"
stop_wordlark

# ---- 3. After the Find dialog's restart prompt the keyboard is in the dialog ---------------------
start_wordlark
xdotool type --delay 5 'one vox two'
xdotool key --clearmodifiers ctrl+f
within 10 find_window_count_is 1 || fail "the Find dialog did not open"
dialog=$(find_windows | head -n1)
# Its title bar asks for a close button only (a window manager that honours the Motif hints shows
# nothing to minimise or maximise): functions and decorations without either.
read -r _ functions decorations _ < <(xprop -id "$dialog" _MOTIF_WM_HINTS | cut -d= -f2 | tr -d ',')
[ -n "$functions" ] && (((functions & 0x18) == 0 && (decorations & 0x60) == 0)) ||
  fail "the Find dialog asks for minimise or maximise: $functions $decorations"
xdotool windowactivate --sync "$dialog" 2>/dev/null
within 10 is_active "$dialog" || fail "the Find dialog is not active"
xdotool type --delay 5 'vox'
xdotool key Return # from the caret at the end there is no "vox": the restart prompt
if within 10 find_window_count_is 2; then
  # The dialog stays above the main window while the prompt is up.
  stacking=$(xprop -root _NET_CLIENT_LIST_STACKING | tr -d ',' | tr ' ' '\n' | grep '^0x')
  main_at=$(grep -n -i "$(printf '0x%x' "$main")$" <<<"$stacking" | cut -d: -f1)
  dialog_at=$(grep -n -i "$(printf '0x%x' "$dialog")$" <<<"$stacking" | cut -d: -f1)
  [ -n "$main_at" ] && [ -n "$dialog_at" ] && [ "$dialog_at" -gt "$main_at" ] ||
    fail "the Find dialog sank below the main window under the prompt"
  xdotool key Return # Yes: searches from the top and finds "vox", which becomes the primary selection
  within 10 find_window_count_is 1 || fail "the prompt did not close"
  within 10 primary_is vox || fail "the search from the top did not select the word"
  within 10 is_active "$dialog" || fail "the dialog is not active after the prompt"
  xdotool key Return # the dialog's Find Next again, not a line break in the document
  if within 10 find_window_count_is 2; then
    xdotool key Escape # No: the dialog closes
    within 10 find_window_count_is 0 || fail "the dialog did not close after No"
  else
    fail "Enter after the prompt did not search again"
  fi
else
  fail "the restart prompt did not appear"
fi
xdotool windowactivate --sync "$main" 2>/dev/null
within 10 is_active "$main"
text=$(document_text)
[ "$text" = "one vox two" ] || fail "the document changed: $(tr '\n' '|' <<<"$text")"
stop_wordlark

[ "$failures" -eq 0 ] && echo "PASS" || echo "$failures check(s) failed"
[ "$failures" -eq 0 ]
