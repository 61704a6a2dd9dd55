#!/bin/sh
# Processor time and resident memory of a game in progress, under Xvfb: the
# Release program, installed with its demo content into a fresh folder, is
# started, its launcher's "Lancer le programme" pressed with xdotool, and /proc
# read over 10 s while the mouse stays still in the game.
# Bars: at most 2 % of one core, at most 120 MB resident. Exits 1 when a bar is missed.
set -eu
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench -j2 --target vorlane vorlane-content vorlane-demo-content

work=$(mktemp -d)
screen=:${VORLANE_BENCH_DISPLAY:-97}
xvfb=""
program=""
cleanup() {
    [ -n "$program" ] && kill "$program" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM
cmake --install build-bench --prefix "$work/Vorlane" >/dev/null
mkdir -m 700 "$work/run"

Xvfb "$screen" -noreset -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY="$screen" XDG_RUNTIME_DIR="$work/run" SDL_AUDIODRIVER=dummy
unset QT_QPA_PLATFORM VORLANE_DEPTHS
sleep 1

# The window of a given size named exactly "Vorlane", once it is shown.
window_of_size() {
    for attempt in $(seq 50); do
        for window in $(xdotool search --onlyvisible --name '^Vorlane$' 2>/dev/null); do
            if xdotool getwindowgeometry "$window" | grep -q "Geometry: $1\$"; then
                echo "$window"
                return 0
            fi
        done
        sleep 0.2
    done
    echo "aucune fenêtre Vorlane de $1" >&2
    return 1
}

"$work/Vorlane/vorlane" &
program=$!
launcher=$(window_of_size 397x415)
eval "$(xdotool getwindowgeometry --shell "$launcher")"
# "Lancer le programme": 232, 90, 153 x 29 in the launcher.
xdotool mousemove --sync $((X + 308)) $((Y + 104)) click 1
window_of_size 1024x768 >/dev/null
sleep 3
# Mouse still, in the middle of the picture.
xdotool mousemove 512 384
sleep 1

ticks=$(getconf CLK_TCK)
cpu() { awk '{ print $14 + $15 }' "/proc/$program/stat"; }
before=$(cpu)
sleep 10
after=$(cpu)
rss_kb=$(awk '/^VmRSS:/ { print $2 }' "/proc/$program/status")
hwm_kb=$(awk '/^VmHWM:/ { print $2 }' "/proc/$program/status")

awk -v b="$before" -v a="$after" -v t="$ticks" -v rss="$rss_kb" -v hwm="$hwm_kb" 'BEGIN {
    cpu = (a - b) / t / 10 * 100
    printf "processeur au repos : %.2f %% d\047un cœur sur 10 s (barre 2 %%)\n", cpu
    printf "mémoire résidente : %.1f Mo, pointe %.1f Mo (barre 120 Mo)\n", rss / 1024, hwm / 1024
    exit (cpu > 2 || hwm / 1024 > 120) ? 1 : 0
}'
