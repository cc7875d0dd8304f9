#!/usr/bin/env bash
# Rebuilds the manual's pictures from the real window: the tool runs under a
# virtual X server against the unit simulator, in each language, and the
# screen is captured and cropped to the window.
#
#   docs/manual/screenshots.sh            all pictures
#   docs/manual/screenshots.sh SCENE      only one scene's pictures (live,
#                                         program, com, chooser, chart, journal,
#                                         nounit, test)
#
# Needs build/torvo-tci and build/torvo-tci-sim (build them first), xvfb-run,
# ImageMagick (import, convert) and xdotool.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
images="$here/images"
tool="$root/build/torvo-tci"
sim="$root/build/torvo-tci-sim"
# The window's size without a window manager (client area, menu bar and status
# bar); replaced by the size the window reports once it is up.
crop="753x786+0+0"
# The chart window's size, given to it through the settings file.
chart_crop="753x540"
# The journal window's size, given to it the same way.
journal_size="720x260"

for need in "$tool" "$sim"; do
  [ -x "$need" ] || { echo "missing $need: build torvo-tci and torvo-tci-sim first" >&2; exit 1; }
done
for cmd in xvfb-run import convert xdotool; do
  command -v "$cmd" > /dev/null || { echo "missing $cmd" >&2; exit 1; }
done

# Waits until FILE has at least one line (at most about 10 s).
wait_for_line() {
  local file=$1
  for _ in $(seq 200); do
    [ -s "$file" ] && return 0
    sleep 0.05
  done
  echo "timed out waiting for $file" >&2
  return 1
}

# Waits for a window of the tool whose title starts with TITLE and prints its id.
wait_for_window() {
  local title=$1 candidate
  for _ in $(seq 100); do
    for candidate in $(xdotool search --pid "$toolpid" --onlyvisible --name "" || true); do
      case "$(xdotool getwindowname "$candidate")" in
        "$title"*) echo "$candidate"; return 0 ;;
      esac
    done
    sleep 0.05
  done
  echo "no window $title opened" >&2
  return 1
}

# Captures the window WINDOW into images/NAME.png.
capture_window() {
  local name=$1 window=$2 x y w h
  eval "$(xdotool getwindowgeometry --shell "$window" | sed -n 's/^X=/x=/p;s/^Y=/y=/p;s/^WIDTH=/w=/p;s/^HEIGHT=/h=/p')"
  capture "$name" "${w}x$h+$x+$y"
}

# Captures the screen into images/NAME.png, cropped to the window and kept small.
capture() {
  local name=$1 geometry=${2:-$crop}
  local raw
  raw=$(mktemp --suffix=.png)
  import -window root "$raw"
  convert "$raw" -crop "$geometry" +repage +dither -colors 256 -strip "PNG8:$images/$name.png"
  rm -f "$raw"
}

# Stops the tool and the simulator this run started, by their ids, and drops
# the throw-away settings folder.
stop_started() {
  local pid
  for pid in $toolpid $simpid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$home"
}

# One run of the tool inside the virtual X server: SCENE decides what is done
# and captured. Runs with DISPLAY set by xvfb-run.
inside() {
  local lang=$1 scene=$2
  shift 2
  home=$(mktemp -d -t torvo-tci-manual-XXXXXX)
  simpid=
  toolpid=
  # Only the two processes started here are stopped, by their own ids.
  trap stop_started EXIT
  "$sim" --store "$home/unit-block.txt" "$@" > "$home/sim.out" 2> "$home/sim.err" &
  simpid=$!
  wait_for_line "$home/sim.out"
  local pty
  pty=$(head -n 1 "$home/sim.out")
  printf '[PORTS]\nCOM1=%s\n\n[FORM_HLAV]\nLeft=0\nTop=0\nComPort=1\n' "$pty" > "$home/Torvo_TCI.ini"
  # The chart window's kept place: over the main window's top left corner,
  # where the capture below expects it.
  printf '\n[CHART]\nLeft=0\nTop=0\nWidth=%s\nHeight=%s\n' "${chart_crop%%x*}" "${chart_crop#*x}" \
    >> "$home/Torvo_TCI.ini"
  if [ "$scene" = journal ]; then
    # All ticked, so that F5 raises the whole curve; the unit's set kept
    # before every Program; the journal's window at the top left corner.
    printf '\n[IGNITION]\nCheckBoxIgnAll->Checked=1\nMenuReadBeforeProgramming->Checked=1\n' >> "$home/Torvo_TCI.ini"
    printf '\n[JOURNAL]\nLeft=0\nTop=0\nWidth=%s\nHeight=%s\n' "${journal_size%%x*}" "${journal_size#*x}" \
      >> "$home/Torvo_TCI.ini"
  fi
  if [ "$scene" = test ]; then
    echo TEST_ENABLE > "$home/test_varnek.txt"
  fi
  # The tool closes itself through its normal close sequence after a minute,
  # should anything below hang; "shown" on its output marks the first paint.
  TORVO_TCI_HOME="$home" TORVO_TCI_QUIT_AFTER_MS=60000 "$tool" "$lang" > "$home/tool.out" 2> "$home/tool.err" &
  toolpid=$!
  wait_for_line "$home/tool.out"
  # Let a few live-data replies arrive (one every 330 ms).
  sleep 2.5
  local window
  window=$(xdotool search --pid "$toolpid" --onlyvisible --name "Torvo TCI" | head -n 1)
  local size
  size=$(xdotool getwindowgeometry --shell "$window" | sed -n 's/^WIDTH=//p;s/^HEIGHT=//p' | paste -sd x)
  [ -n "$size" ] && crop="$size+0+0"
  local tag=en chart_title="Curve chart"
  case "$lang" in
    DEUTSCH) tag=de chart_title="Zündkurve" ;;
    CESKY) tag=cs chart_title="Graf křivky" ;;
  esac
  case "$scene" in
    live | test)
      capture "${scene}_$tag"
      ;;
    program)
      # F9 programs; "Programing: OK" stands from about 2 s to 13 s after it.
      xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
      xdotool key --window "$window" F9
      sleep 0.9
      capture "saving_$tag"
      sleep 3
      capture "program_$tag"
      ;;
    com)
      # A click on the menu bar opens the Com menu: its caption differs by
      # language (Com, ComPort, Port), and in Czech Alt+P belongs to the
      # Program button as well.
      local x=53
      case "$lang" in
        DEUTSCH) x=71 ;;
        CESKY) x=70 ;;
      esac
      xdotool mousemove --window "$window" "$x" 8 click 1
      sleep 1
      capture "com_$tag"
      xdotool key --window "$window" Escape
      ;;
    chooser)
      # The last item of the Com menu opens the device chooser.
      local menu_x=53 title="Choose device"
      case "$lang" in
        DEUTSCH) menu_x=71 title="Gerät wählen" ;;
        CESKY) menu_x=70 title="Vybrat zařízení" ;;
      esac
      xdotool mousemove --window "$window" "$menu_x" 8 click 1
      sleep 0.5
      xdotool key Up Return
      # The dialog by its exact title: a search by name gives the main window
      # first.
      local dialog= candidate
      for _ in $(seq 100); do
        for candidate in $(xdotool search --pid "$toolpid" --onlyvisible --name "" || true); do
          [ "$(xdotool getwindowname "$candidate")" = "$title" ] && dialog=$candidate
        done
        [ -n "$dialog" ] && break
        sleep 0.05
      done
      [ -n "$dialog" ] || { echo "the device chooser did not open" >&2; return 1; }
      # The simulator's path typed over the proposed device; the names offered
      # while typing close with a click on the list's empty part.
      xdotool key --window "$dialog" ctrl+a
      xdotool type --window "$dialog" "$pty"
      sleep 0.5
      xdotool mousemove --window "$dialog" 450 200 click 1
      sleep 0.5
      local x y w h
      eval "$(xdotool getwindowgeometry --shell "$dialog" | sed -n 's/^X=/x=/p;s/^Y=/y=/p;s/^WIDTH=/w=/p;s/^HEIGHT=/h=/p')"
      capture "chooser_$tag" "${w}x$h+$x+$y"
      # Sent to whatever has the focus: the key's release would find the dialog gone.
      xdotool key Escape
      ;;
    nounit)
      capture "nounit_$tag"
      ;;
    journal)
      # A read, the whole curve 3 degrees up, and a program that first keeps
      # the unit's set: three entries. Then Tools -> Journal… (the item above
      # the last), the newest entry selected, and the first read compared.
      local tools_x=135 journal_title="Journal" compare_title="Compare" compare_key=alt+c
      case "$lang" in
        DEUTSCH) tools_x=172 compare_title="Vergleich" compare_key=alt+v ;;
        CESKY) tools_x=173 journal_title="Deník" compare_title="Porovnání" compare_key=alt+p ;;
      esac
      xdotool mousemove --window "$window" 700 650 click 1
      xdotool windowfocus --sync "$window" 2>/dev/null || true
      xdotool key --window "$window" F7
      sleep 3
      xdotool key --window "$window" F5 F5 F5
      xdotool key --window "$window" F9
      sleep 9
      xdotool mousemove --window "$window" "$tools_x" 8 click 1
      sleep 0.5
      xdotool key Up Up Return
      local journal compare
      journal=$(wait_for_window "$journal_title")
      sleep 0.5
      # The table's first row, under the filter field and the header.
      xdotool mousemove --window "$journal" 200 70 click 1
      sleep 0.5
      capture_window "journal_$tag" "$journal"
      xdotool key --window "$journal" ctrl+End
      xdotool key --window "$journal" "$compare_key"
      compare=$(wait_for_window "$compare_title")
      sleep 0.5
      capture_window "compare_$tag" "$compare"
      ;;
    chart)
      # F6 opens the chart; without a window manager the main window takes
      # keys only after a click on it (an empty spot at its bottom right).
      xdotool mousemove --window "$window" 700 650 click 1
      xdotool windowfocus --sync "$window" 2>/dev/null || true
      xdotool key --window "$window" F6
      local chart=
      for _ in $(seq 100); do
        chart=$(xdotool search --pid "$toolpid" --onlyvisible --name "$chart_title" | head -n 1 || true)
        [ -n "$chart" ] && break
        sleep 0.05
      done
      [ -n "$chart" ] || { echo "the chart window did not open" >&2; return 1; }
      # The simulator's speed sweeps up and down over 20 seconds; after a few
      # more seconds of it the trail (the last ten seconds, fading with age)
      # runs along most of the curve.
      sleep 8
      capture "chart_$tag" "$chart_crop+0+0"
      ;;
  esac
}

if [ "${1:-}" = "--inside" ]; then
  shift
  inside "$@"
  exit 0
fi

only=${1:-}
# The screen is wide enough for the device chooser (900 pixels).
shoot() {
  [ -z "$only" ] || [ "$only" = "$2" ] || return 0
  xvfb-run -a -s "-screen 0 1000x900x24" "$0" --inside "$@"
}

for lang in ENGLISH DEUTSCH CESKY; do
  # A running engine at a fixed speed, so the curve row it sits at is lit.
  shoot "$lang" live --rpm 3400 --neutral 1
  shoot "$lang" program --rpm 3400 --neutral 1
  shoot "$lang" com --rpm 3400
  shoot "$lang" chooser --rpm 3400
  # The engine sweeping from idle to the limiter and back.
  shoot "$lang" chart
  # Three journal entries, and the first read compared with the screen.
  shoot "$lang" journal --rpm 3400
done
# No unit answering: "No Connection".
shoot ENGLISH nounit --silent
# Test mode and every warning at once: speed at the limiter, blocking, side
# stand, low voltage, faulty stored data and another protocol version.
shoot ENGLISH test --rpm 7200 --blocking 1 --side-stand 1 --voltage-mv 11600 --data-error 1 --live-version 15
ls -l "$images"
