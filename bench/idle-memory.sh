#!/bin/sh
# Processor time and resident memory of a game in progress, under Xvfb:
# builds the bench preset, starts the game window on the demo theme "Formes"
# (vorlane-game-idle), lets it settle, then reads /proc over 10 s while the
# mouse stays still. Bars: at most 2 % of one core, at most 120 MB resident.
# Exits 1 when a bar is missed.
set -eu
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench -j2 --target vorlane-game-idle vorlane-demo-content

screen=:${VORLANE_BENCH_DISPLAY:-97}
Xvfb "$screen" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
game=""
cleanup() {
    [ -n "$game" ] && kill "$game" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT INT TERM
sleep 1

DISPLAY=$screen SDL_AUDIODRIVER=dummy build-bench/bench/vorlane-game-idle build-bench &
game=$!
sleep 4
if ! kill -0 "$game" 2>/dev/null; then
    echo "le jeu s'est arrêté avant la mesure" >&2
    exit 1
fi
# Mouse still, in the middle of the picture.
DISPLAY=$screen xdotool mousemove 512 384
sleep 1

ticks=$(getconf CLK_TCK)
cpu() { awk '{ print $14 + $15 }' "/proc/$game/stat"; }
before=$(cpu)
sleep 10
after=$(cpu)
rss_kb=$(awk '/^VmRSS:/ { print $2 }' "/proc/$game/status")
hwm_kb=$(awk '/^VmHWM:/ { print $2 }' "/proc/$game/status")

awk -v b="$before" -v a="$after" -v t="$ticks" -v rss="$rss_kb" -v hwm="$hwm_kb" 'BEGIN {
    cpu = (a - b) / t / 10 * 100
    printf "processeur au repos : %.2f %% d\047un cœur sur 10 s (barre 2 %%)\n", cpu
    printf "mémoire résidente : %.1f Mo, pointe %.1f Mo (barre 120 Mo)\n", rss / 1024, hwm / 1024
    exit (cpu > 2 || hwm / 1024 > 120) ? 1 : 0
}'
