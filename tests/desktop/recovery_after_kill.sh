#!/usr/bin/env bash
# On a real X desktop (Xvfb with openbox): type into a document, wait for the recovery copy, kill
# the editor with SIGKILL, start it again, answer Yes to "Recover", save, and find the typed text
# in the document's file.
#
# Usage: recovery_after_kill.sh WORDLARK_BINARY
# The display is WORDLARK_TEST_DISPLAY (for example :16) when set, otherwise a free one.
set -euo pipefail

binary=$(realpath "$1")
work=$(mktemp -d)
pids=()

cleanup() {
  for pid in "${pids[@]}"; do
    { kill -9 "$pid" && wait "$pid"; } 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Runs "$@" until it succeeds, for at most $1 seconds.
retry() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    ((SECONDS < deadline)) || return 1
    sleep 0.2
  done
}

start_desktop() {
  if [[ -n ${WORDLARK_TEST_DISPLAY:-} ]]; then
    Xvfb "$WORDLARK_TEST_DISPLAY" -screen 0 1280x1024x24 -nolisten tcp &
    pids+=($!)
    export DISPLAY=$WORDLARK_TEST_DISPLAY
  else
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" &
    pids+=($!)
    retry 20 test -s "$work/display" || fail "Xvfb did not start"
    export DISPLAY=:$(head -n1 "$work/display")
  fi
  retry 20 xdotool getdisplaygeometry || fail "display $DISPLAY not reachable"
  openbox --sm-disable 2>/dev/null &
  pids+=($!)
  retry 20 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window' ||
    fail "openbox did not start"
}

# The id of the visible window whose title is exactly $1.
window_named() {
  xdotool search --onlyvisible --name "^$1\$" | head -n1
}

wait_for_window() {
  if ! retry 60 window_named "$1"; then
    kill -0 "$editor" 2>/dev/null || fail "no window '$1': the program is not running"
    fail "no window '$1' (windows: $(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | tr '\n' '|'))"
  fi
  local id
  id=$(window_named "$1")
  [[ -n $id ]] || fail "no window '$1'"
  xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
  echo "$id"
}

copy_holds() {
  grep -qs -- "$1" "$XDG_STATE_HOME"/wordlark/recovery/*.rtf
}

export XDG_STATE_HOME=$work/state
export QT_QPA_PLATFORM=xcb
document=$work/letter.rtf
printf '{\\rtf1\\ansi First line.\\par}' >"$document"
typed="Typed before the crash"

start_desktop

"$binary" "$document" &
pids+=($!)
editor=$!
main=$(wait_for_window "BW Wordlark - $document")
# Click into the document, go to its end and type.
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove --window "$main" $((WIDTH / 2)) $((HEIGHT / 2)) click 1
xdotool key ctrl+End
xdotool type --delay 30 " $typed"
retry 60 copy_holds "$typed" || fail "no recovery copy holds the typed text"
kill -9 "$editor"
wait "$editor" 2>/dev/null || true
grep -q "$typed" "$document" && fail "the text reached the file without a save"

"$binary" &
pids+=($!)
editor=$!
wait_for_window "Recover" >/dev/null
xdotool key Return # Yes is the default answer
main=$(wait_for_window "BW Wordlark - $document")
xdotool key ctrl+s
retry 30 grep -q "$typed" "$document" || fail "the saved file lacks the typed text"
retry 30 sh -c "! ls '$XDG_STATE_HOME'/wordlark/recovery/*.rtf" ||
  fail "a recovery copy is left after the save"
grep -q "First line" "$document" || fail "the saved file lost the text it had"
echo "PASS: the text typed before SIGKILL was recovered and saved"
