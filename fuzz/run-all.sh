#!/bin/sh
# Builds the libFuzzer targets (preset fuzz) and runs each one on its seed
# corpus for SECONDS (default 300), two at a time. Exits 1 when any target
# found a crash, a leak or a sanitizer report; crash inputs land in
# build-fuzz/findings/<target>/.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-300}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 --target fuzz_ini fuzz_bmp fuzz_wave fuzz_unzip fuzz_theme_recipe fuzz_drawing \
    fuzz_judge fuzz_smooth_picture fuzz_reopen

out=build-fuzz/runs
rm -rf "$out" build-fuzz/findings
mkdir -p "$out"

run() { # target corpus-folder
    name=$1
    work="$out/$name-corpus"
    findings=build-fuzz/findings/$name
    mkdir -p "$work" "$findings"
    # A working copy of the seeds, so the committed corpus stays small.
    cp fuzz/corpus/"$2"/* "$work"/
    status=0
    build-fuzz/fuzz/"$name" -max_total_time="$seconds" -rss_limit_mb=1024 \
        -timeout=10 -print_final_stats=1 -artifact_prefix="$findings/" \
        "$work" >"$out/$name.log" 2>&1 || status=$?
    echo "$status" >"$out/$name.status"
}

run fuzz_ini ini & run fuzz_bmp bmp & wait
run fuzz_wave wave & run fuzz_unzip unzip & wait
run fuzz_theme_recipe theme_recipe & run fuzz_drawing drawing & wait
run fuzz_judge judge & run fuzz_smooth_picture smooth_picture & wait
run fuzz_reopen reopen & wait

failed=0
for name in fuzz_ini fuzz_bmp fuzz_wave fuzz_unzip fuzz_theme_recipe fuzz_drawing fuzz_judge fuzz_smooth_picture fuzz_reopen; do
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/$name.log" | tail -n 1)
    found=$(find "build-fuzz/findings/$name" -type f | wc -l)
    status=$(cat "$out/$name.status")
    echo "$name: ${runs:-?} executions, $found findings (exit $status)"
    if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
        failed=1
        grep -m 5 -E 'ERROR|runtime error|SUMMARY' "$out/$name.log" || true
        find "build-fuzz/findings/$name" -type f
    fi
done
exit "$failed"
