#!/usr/bin/env bash
# The whole program on a generated collection, in a real X window on a private Xvfb display:
# the time from the start of the process to its main window on the screen, the time from Enter
# (which in the Name field ends the program, saving the data file and the preferences) to the
# end of the process, and the peak resident memory as the kernel counts it (/usr/bin/time -v),
# next to a raw read of the same file in the same run. Prints the medians as a table.
#
#     bench/whole_process.sh [BUILD_FOLDER]     # default build-bench, as scripts/bench.sh makes
#
# RUNS (default 3) sets the runs per size, COUNTS (default "1000000 100000 0") the sizes (0: an
# empty file, the program's own start and end), NUMORA
# another build of the program to time (for a before and after). The
# generated files are kept in BUILD_FOLDER/bench-data so that later runs start at once.
set -euo pipefail
build=$(realpath "${1:-build-bench}")
numora=$(realpath "${NUMORA:-$build/numora}")
maker=$build/bench/make_bench_data
runs=${RUNS:-3}
counts=${COUNTS:-1000000 100000 0}

if [[ -z ${NUMORA_BENCH_ON_XVFB:-} ]]; then
    for tool in xvfb-run Xvfb xdotool /usr/bin/time cmp; do
        command -v "$tool" >/dev/null ||
            { echo "whole_process.sh: $tool is missing (scripts/install-deps.sh bench installs it)" >&2; exit 1; }
    done
    for program in "$numora" "$maker" "$build/bench/fresh_memory"; do
        [[ -x $program ]] || { echo "whole_process.sh: $program is not built" >&2; exit 1; }
    done
    mkdir -p "$build/bench-data"
    for count in $counts; do
        data=$build/bench-data/coins-$count.dat
        if [[ $count -eq 0 ]]; then
            : >"$data"
        elif [[ ! -s $data || $maker -nt $data ]]; then
            echo "generating $count coins into $data" >&2
            "$maker" "$count" "$data.part" && mv "$data.part" "$data"
        fi
    done
    # A display number of its own, away from the 99 that every other xvfb-run tries first.
    NUMORA_BENCH_ON_XVFB=1 exec xvfb-run -a -n $((200 + RANDOM % 500)) -s '-screen 0 1280x800x24' bash "$0" "$build"
fi

work=$(mktemp -d)
tpid=
cleanup() {
    if [[ -n $tpid ]] && kill -0 "$tpid" 2>/dev/null; then kill "$tpid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# Seconds between two $EPOCHREALTIME readings.
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# CPU seconds (user and system) the process has used so far, from the kernel's clock ticks.
cpu_seconds() {
    awk -v hz="$(getconf CLK_TCK)" '{ sub(/^.*\) /, ""); printf "%.2f", ($12 + $13) / hz }' "/proc/$1/stat"
}

status_kib() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status" 2>/dev/null || echo 0; }

time_field() { awk -F': ' -v key="$2" '$1 ~ key { print $2 }' "$1"; }

# One run: sets the globals shown, quit, peak_kib, shown_kib, cpu, cpu_shown, raw, raw_write,
# fresh.
run_once() {
    local data=$1 run=$work/run
    rm -rf "$run" "$work/xdg"
    mkdir -p "$run" && mkdir -m 700 "$work/xdg"
    cp "$data" "$run/nmr.dat"
    cat "$run/nmr.dat" >/dev/null
    local r0=$EPOCHREALTIME
    cat "$run/nmr.dat" >/dev/null
    raw=$(elapsed "$r0" "$EPOCHREALTIME")
    # What a save cannot go below: the same bytes written and flushed to the disk, as the
    # program's save does before it replaces the file.
    local w0=$EPOCHREALTIME
    cp "$run/nmr.dat" "$run/copy.dat" && sync -f "$run/copy.dat"
    raw_write=$(elapsed "$w0" "$EPOCHREALTIME")
    rm "$run/copy.dat"
    # What the kernel takes to hand over as much fresh memory as the file is large: the program
    # needs at least that much for the file's text and its records.
    fresh=$("$build/bench/fresh_memory" "$(stat -c %s "$run/nmr.dat")")

    local t0=$EPOCHREALTIME wid=
    (cd "$run" && XDG_RUNTIME_DIR=$work/xdg exec /usr/bin/time -v -o "$work/time.txt" \
        "$numora" >"$work/numora.log" 2>&1) &
    tpid=$!
    # Polled rather than `xdotool search --sync`, which looks only twice a second.
    until wid=$(xdotool search --onlyvisible --name '^Numora$' 2>/dev/null); do
        if ! kill -0 "$tpid" 2>/dev/null; then
            cat "$work/numora.log" >&2
            echo "the program ended before showing its window" >&2
            tpid=
            return 1
        fi
        sleep 0.005
    done
    local t1=$EPOCHREALTIME
    shown=$(elapsed "$t0" "$t1")
    wid=${wid%%$'\n'*}
    local npid
    npid=$(pgrep -P "$tpid")
    cpu_shown=$(cpu_seconds "$npid")
    timeout 10 xdotool windowfocus --sync "$wid"
    sleep 0.5
    shown_kib=$(status_kib "$npid" VmRSS)

    local t2=$EPOCHREALTIME rc=0
    xdotool key Return
    wait "$tpid" || rc=$?
    local t3=$EPOCHREALTIME
    tpid=
    quit=$(elapsed "$t2" "$t3")
    [[ $rc -eq 0 ]] || { cat "$work/numora.log" >&2; echo "the program ended with code $rc" >&2; exit 1; }
    # The save writes back what was read, byte for byte.
    cmp -s "$data" "$run/nmr.dat" || { echo "the saved nmr.dat differs from the one read" >&2; exit 1; }
    peak_kib=$(time_field "$work/time.txt" 'Maximum resident set size')
    cpu=$(awk -v u="$(time_field "$work/time.txt" 'User time')" \
              -v s="$(time_field "$work/time.txt" 'System time')" 'BEGIN { printf "%.2f", u + s }')
}

mb() { awk -v k="$1" 'BEGIN { printf "%.0f", k * 1024 / 1e6 }'; }

echo
echo "Whole process, Release, medians of $runs runs (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
echo
echo "| Coins | file | raw read (cat) | fresh memory of its size | start to window shown | its CPU time | raw write and flush (cp, sync) | Enter to end | its CPU time | peak resident | peak / file | resident once shown |"
echo "|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
for count in $counts; do
    data=$build/bench-data/coins-$count.dat
    size=$(stat -c %s "$data")
    S=() Q=() P=() R=() C=() W=() CS=() CQ=() RW=() F=()
    for _ in $(seq "$runs"); do
        # A program that could not reach the display (another Xvfb may take it from under a
        # busy machine) is tried again, twice at most.
        run_once "$data" || run_once "$data" || run_once "$data" || exit 1
        RW+=("$raw_write") F+=("$fresh")
        S+=("$shown") Q+=("$quit") P+=("$peak_kib") R+=("$raw") C+=("$cpu") W+=("$shown_kib")
        CS+=("$cpu_shown") CQ+=("$(awk -v a="$cpu" -v b="$cpu_shown" 'BEGIN { printf "%.2f", a - b }')")
        echo "  $count coins: shown $shown s (CPU $cpu_shown s), Enter to end $quit s, peak $(mb "$peak_kib") MB, raw read $raw s, fresh memory $fresh s" >&2
    done
    peak=$(median "${P[@]}")
    printf '| %s | %s MB | %.0f ms | %.0f ms | %s s | %s s | %s s | %s s | %s s | %s MB | %s | %s MB |\n' \
        "$count" "$(awk -v b="$size" 'BEGIN { printf "%.0f", b / 1e6 }')" \
        "$(awk -v s="$(median "${R[@]}")" 'BEGIN { print s * 1000 }')" \
        "$(awk -v s="$(median "${F[@]}")" 'BEGIN { print s * 1000 }')" \
        "$(median "${S[@]}")" "$(median "${CS[@]}")" "$(median "${RW[@]}")" \
        "$(median "${Q[@]}")" "$(median "${CQ[@]}")" \
        "$(mb "$peak")" "$(awk -v p="$peak" -v b="$size" 'BEGIN { if (b > 0) printf "%.2f", p * 1024 / b; else print "-" }')" \
        "$(mb "$(median "${W[@]}")")"
done
echo
echo "CPU time: of the program alone (user and system), which the load of other programs inflates"
echo "less than the wall time beside it."
echo "Goals at 1,000,000 coins: start to window <= 0.8 s, peak <= 1.3 x the file, Enter to end <= 0.4 s;"
echo "at 100,000 coins: start to window <= 0.15 s. Pages and sorting: core_bench and window_bench."
