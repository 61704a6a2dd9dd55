#!/bin/sh
# Processor time and resident memory of a game in progress, under Xvfb: the
# Release program, installed with its demo content into a fresh folder, is
# started on a screen of 1920 × 1080 and then of 3840 × 2160, its launcher's
# "Lancer le programme" pressed with xdotool, and /proc read over 10 s while
# the mouse stays still in the game, then while the mouse moves 600 times at
# 60 moves a second along a smooth loop over the picture.
# Bars: mouse still at most 2 % of one core; a move at most 0.5 ms of processor
# at 1920 × 1080 and 0.6 ms at 3840 × 2160; at most 120 MB resident.
# Exits 1 when a bar is missed.
set -eu
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench -j2 --target vorlane vorlane-atelier vorlane-content vorlane-demo-content

work=$(mktemp -d)
screen=:${VORLANE_BENCH_DISPLAY:-97}
xvfb=""
program=""
stop() {
    [ -n "$program" ] && kill "$program" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    [ -n "$program" ] && wait "$program" 2>/dev/null || true
    [ -n "$xvfb" ] && wait "$xvfb" 2>/dev/null || true
    program=""
    xvfb=""
}
cleanup() {
    stop
    rm -rf "$work"
}
trap cleanup EXIT INT TERM
cmake --install build-bench --prefix "$work/Vorlane" >/dev/null
mkdir -m 700 "$work/run"
export DISPLAY="$screen" XDG_RUNTIME_DIR="$work/run" SDL_AUDIODRIVER=dummy
unset QT_QPA_PLATFORM VORLANE_DEPTHS
ticks=$(getconf CLK_TCK)

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

cpu() { awk '{ print $14 + $15 }' "/proc/$program/stat"; }

# measure WIDTH HEIGHT MOVE_BAR_MS: prints the figures; a bar missed sets failed.
failed=0
measure() {
    width=$1
    height=$2
    Xvfb "$screen" -screen 0 "${width}x${height}x24" -noreset -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    # Until the server answers: a program started before would be refused.
    tries=0
    until DISPLAY=$screen xdotool getdisplaygeometry >/dev/null 2>&1; do
        tries=$((tries + 1))
        [ "$tries" -lt 50 ] || { echo "Xvfb ne démarre pas sur $screen" >&2; exit 1; }
        sleep 0.1
    done

    "$work/Vorlane/vorlane" &
    program=$!
    launcher=$(window_of_size 397x481)
    eval "$(xdotool getwindowgeometry --shell "$launcher")"
    # "Lancer le programme": 232, 90, 153 x 29 in the launcher.
    xdotool mousemove --sync $((X + 308)) $((Y + 104)) click 1
    window_of_size "${width}x${height}" >/dev/null
    sleep 3
    # Mouse still, in the middle of the picture.
    xdotool mousemove $((width / 2)) $((height / 2))
    sleep 1
    before=$(cpu)
    sleep 10
    still=$(($(cpu) - before))

    # 600 moves at 60 a second, one xdotool for all of them: a loop around the
    # middle of the screen, a few pixels a move.
    moves=$(awk -v w="$width" -v h="$height" 'BEGIN {
        for (i = 1; i <= 600; ++i) {
            a = i * 6.283185307 / 300
            printf "mousemove %d %d sleep 0.0167 ", w / 2 + w / 5 * cos(a), h / 2 + h / 5 * sin(2 * a)
        }
    }')
    before=$(cpu)
    # shellcheck disable=SC2086 # one word per argument
    xdotool $moves
    sleep 0.5
    moving=$(($(cpu) - before))
    rss_kb=$(awk '/^VmRSS:/ { print $2 }' "/proc/$program/status")
    hwm_kb=$(awk '/^VmHWM:/ { print $2 }' "/proc/$program/status")
    stop

    awk -v size="${width} × ${height}" -v still="$still" -v moving="$moving" -v t="$ticks" -v bar="$3" \
        -v rss="$rss_kb" -v hwm="$hwm_kb" 'BEGIN {
        cpu = still / t / 10 * 100
        move = moving / t * 1000 / 600
        printf "%s, souris immobile : %.2f %% d\047un cœur sur 10 s (barre 2 %%)\n", size, cpu
        printf "%s, souris en mouvement : %.2f ms de processeur par déplacement sur 600 (barre %.1f ms)\n", size, move, bar
        printf "%s, mémoire résidente : %.1f Mo, pointe %.1f Mo (barre 120 Mo)\n", size, rss / 1024, hwm / 1024
        exit (cpu > 2 || move > bar || hwm / 1024 > 120) ? 1 : 0
    }' || failed=1
}

measure 1920 1080 0.5
measure 3840 2160 0.6
exit $failed
