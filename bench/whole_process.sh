#!/usr/bin/env bash
# The whole program on generated collections, in a real X window on a private Xvfb display,
# beside the floor: a bare Qt dialog with one empty table (bare_dialog), started and ended the
# same way in the same runs. Each run starts every program once, in turn (floor, then each
# size, each run beginning one further on), so that a change in the machine's load falls on
# all of them alike.
#
# For each it measures: the time from the start of the process to its window painted (the
# program prints the wall-clock time at which its first paint was done when
# NUMORA_TRACE_STARTUP is set; the window being mapped, as the server's events tell it, is
# given beside it); the CPU time to then; the peak resident memory as the kernel counts it
# (/usr/bin/time -v); and the time from Enter (which in the Name field ends the program,
# saving the data file and the preferences; Escape for the floor) to the end of the process.
# Beside them, in the same run, a raw read of the same file (cat), a raw write of it flushed
# to the disk (dd, fsync), as many bytes written around the file cache and flushed (the disk's
# own part of a save) and what the kernel takes to hand over as much fresh memory. After
# each run the saved nmr.dat must hold the bytes it was started on. Prints the medians as a
# table, then, at the largest size, one more run with the save's system calls timed (strace).
#
#     bench/whole_process.sh [BUILD_FOLDER]     # default build-bench, as scripts/bench.sh makes
#
# RUNS (default 10) sets the runs, WATCH=poll looks for the window with xdotool every 5 ms
# instead of waiting for the server's events (see below), COUNTS (default "0 100000 1000000") the sizes (0: an empty
# file, the program's own start and end), NUMORA another build of the program to time, BEFORE a
# second build timed in the same runs, each size started with both in turn (a before and after
# under the same load). The generated files are kept in BUILD_FOLDER/bench-data so that later runs
# start at once.
set -euo pipefail
build=$(realpath "${1:-build-bench}")
numora=$(realpath "${NUMORA:-$build/numora}")
floor=$build/bench/bare_dialog
maker=$build/bench/make_bench_data
runs=${RUNS:-10}
counts=${COUNTS:-0 100000 1000000}

if [[ -z ${NUMORA_BENCH_ON_XVFB:-} ]]; then
    for tool in xvfb-run Xvfb xdotool xev stdbuf /usr/bin/time cmp; do
        command -v "$tool" >/dev/null ||
            { echo "whole_process.sh: $tool is missing (scripts/install-deps.sh bench installs it)" >&2; exit 1; }
    done
    for program in "$numora" "$floor" "$maker" "$build/bench/fresh_memory" ${BEFORE:+"$BEFORE"}; do
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
    [[ -z ${BEFORE:-} ]] || export BEFORE=$(realpath "$BEFORE")
    NUMORA_BENCH_ON_XVFB=1 exec xvfb-run -a -n $((200 + RANDOM % 500)) -s '-noreset -screen 0 1280x800x24' bash "$0" "$build"
fi

work=$(mktemp -d)
tpid=
cleanup() {
    if [[ -n $tpid ]] && kill -0 "$tpid" 2>/dev/null; then kill "$tpid" 2>/dev/null || true; fi
    if [[ -n ${watcher:-} ]]; then pkill -P "$watcher" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# The server is started with -noreset: without it, it sets itself up again each time its last
# client leaves, which a program polling for the window makes it do between every two looks,
# at some 50 ms of processor time each. A desktop's server, with its session's programs
# connected, never does.
#
# The window's mapping is seen by one watcher of the server's events (xev), which stamps each
# window mapped with the time and writes it to a pipe; the run waits on the pipe. Looking for
# the window with xdotool every 5 ms (WATCH=poll, as earlier figures were taken) starts a
# process at every look, which took some 0.7 of a core of the 2 here from the program timed.
watch=${WATCH:-events}
mkfifo "$work/idle" "$work/maps"
exec {idlefd}<>"$work/idle" {mapfd}<>"$work/maps"
if [[ $watch == events ]]; then
    (stdbuf -oL xev -root -event substructure 2>/dev/null | while IFS= read -r line; do
         case $line in
             MapNotify*) at=$EPOCHREALTIME ;;
             *", window 0x"*)
                 if [[ -n ${at:-} && $line =~ window\ (0x[0-9a-f]+) ]]; then
                     echo "$at ${BASH_REMATCH[1]}"
                 fi
                 at= ;;
         esac
     done >&"$mapfd") &
    watcher=$!
    disown "$watcher"
    # Ready once it sees a window of its own mapped: xev without -root shows one.
    ready=
    for _ in 1 2 3 4 5; do
        timeout 1 xev >/dev/null 2>&1 &
        shown=$!
        read -r -t 2 -u "$mapfd" _ && ready=1
        wait "$shown" || true
        [[ -z $ready ]] || break
    done
    [[ -n $ready ]] || { echo "whole_process.sh: xev did not see a window mapped" >&2; exit 1; }
fi

# Seconds between two $EPOCHREALTIME readings.
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# CPU seconds (user and system) the process has used so far, from the kernel's clock ticks.
cpu_seconds() {
    awk -v hz="$(getconf CLK_TCK)" '{ sub(/^.*\) /, ""); printf "%.2f", ($12 + $13) / hz }' "/proc/$1/stat"
}

time_field() { awk -F': ' -v key="$2" '$1 ~ key { print $2 }' "$1"; }

# One run of a program: "floor", a number of coins, or "before-" and a number for the BEFORE
# build. Sets the globals painted, mapped,
# cpu_shown, quit, cpu_quit, peak_kib, and for a collection raw, raw_write, raw_direct, fresh. With
# STRACE_SAVE set, the save's system calls are traced into $work/save.strace.
run_once() {
    local what=$1 run=$work/run program name key
    rm -rf "$run" "$work/xdg"
    mkdir -p "$run" && mkdir -m 700 "$work/xdg"
    if [[ $what == floor ]]; then
        program=$floor name='^Bare Qt dialog$' key=Escape
        raw= raw_write= raw_direct= fresh=
    else
        program=$numora name='^Numora$' key=Return
        [[ $what != before-* ]] || program=$BEFORE
        local data=$build/bench-data/coins-${what#before-}.dat
        cp "$data" "$run/nmr.dat"
        cat "$run/nmr.dat" >/dev/null
        local r0=$EPOCHREALTIME
        cat "$run/nmr.dat" >/dev/null
        raw=$(elapsed "$r0" "$EPOCHREALTIME")
        # What a save cannot go below: the same bytes written and flushed to the disk, as the
        # program's save does before it replaces the file.
        local w0=$EPOCHREALTIME
        # Written out of the process's memory a MB at a time, as the save writes it (cp may
        # copy inside the kernel instead).
        dd if="$run/nmr.dat" of="$run/copy.dat" bs=1M conv=fsync status=none
        raw_write=$(elapsed "$w0" "$EPOCHREALTIME")
        rm "$run/copy.dat"
        local bytes
        bytes=$(stat -c %s "$run/nmr.dat")
        # As many bytes written around the file cache, as the save writes a large file, from a
        # block of memory used again and again (zeros: nothing to read or make), and flushed:
        # what the disk alone takes for them.
        local d0=$EPOCHREALTIME
        dd if=/dev/zero of="$run/copy.dat" bs=1M count=$(((bytes + 1048575) / 1048576)) \
            oflag=direct conv=fsync status=none
        raw_direct=$(elapsed "$d0" "$EPOCHREALTIME")
        rm "$run/copy.dat"
        # What the kernel takes to hand over as much fresh memory as the file is large.
        fresh=$("$build/bench/fresh_memory" "$bytes")
    fi

    # Whatever the watcher saw before this start belongs to the programs before.
    if [[ $watch == events ]]; then
        while read -r -t 0 -u "$mapfd" && read -r -u "$mapfd" _; do :; done
    fi
    local t0=$EPOCHREALTIME wid= seen=
    (cd "$run" && NUMORA_TRACE_STARTUP=1 XDG_RUNTIME_DIR=$work/xdg exec /usr/bin/time -v -o "$work/time.txt" \
        "$program" >"$work/program.log" 2>&1) &
    tpid=$!
    if [[ $watch == events ]]; then
        # The only window mapped on this display is the program's.
        until read -r -t 1 -u "$mapfd" seen wid; do
            kill -0 "$tpid" 2>/dev/null || break
        done
    else
        # Polled rather than `xdotool search --sync`, which looks only twice a second.
        until wid=$(xdotool search --onlyvisible --name "$name" 2>/dev/null); do
            kill -0 "$tpid" 2>/dev/null || break
            sleep 0.005
        done
        seen=$EPOCHREALTIME wid=${wid%%$'\n'*}
    fi
    if [[ -z $wid ]]; then
        cat "$work/program.log" >&2
        echo "$program ended before showing its window" >&2
        tpid=
        return 1
    fi
    mapped=$(elapsed "$t0" "$seen")
    local p1=
    painted=-
    # A build from before the start-up trace does not say when it painted: only its window
    # mapped is known. The trace is in the window's module where the program has one. The
    # line gives the time itself, so it is looked for only every 20 ms, with the shell's own
    # commands: a process started meanwhile would take the processor from the first paint.
    if grep -qs 'painted at' "$program" "$(dirname "$program")/numora-window.so"; then
        for _ in $(seq 100); do
            while IFS= read -r line; do
                [[ $line == *" painted at "* ]] && p1=${line##* }
            done <"$work/program.log"
            [[ -n $p1 ]] && break
            read -r -t 0.02 -u "$idlefd" _ || true
        done
        [[ -n $p1 ]] || { cat "$work/program.log" >&2; echo "$program did not say when it painted" >&2; return 1; }
        painted=$(elapsed "$t0" "$p1")
    fi
    local npid
    npid=$(pgrep -P "$tpid")
    timeout 10 xdotool windowfocus --sync "$wid"
    cpu_shown=$(cpu_seconds "$npid")
    sleep 0.5
    local spid=
    if [[ -n ${STRACE_SAVE:-} ]]; then
        strace -f -T -e trace=write,fsync,fdatasync,rename,renameat,renameat2,link,linkat,unlink,unlinkat,exit_group \
            -o "$work/save.strace" -p "$npid" 2>/dev/null &
        spid=$!
        sleep 1
    fi
    local t2=$EPOCHREALTIME rc=0
    xdotool key "$key"
    wait "$tpid" || rc=$?
    local t3=$EPOCHREALTIME
    tpid=
    [[ -z $spid ]] || wait "$spid" || true
    quit=$(elapsed "$t2" "$t3")
    [[ $rc -eq 0 ]] || { cat "$work/program.log" >&2; echo "$program ended with code $rc" >&2; exit 1; }
    if [[ $what != floor ]]; then
        # The save writes back what was read, byte for byte.
        cmp -s "$data" "$run/nmr.dat" || { echo "the saved nmr.dat differs from the one read" >&2; exit 1; }
    fi
    peak_kib=$(time_field "$work/time.txt" 'Maximum resident set size')
    local cpu
    cpu=$(awk -v u="$(time_field "$work/time.txt" 'User time')" \
              -v s="$(time_field "$work/time.txt" 'System time')" 'BEGIN { printf "%.2f", u + s }')
    cpu_quit=$(awk -v a="$cpu" -v b="$cpu_shown" 'BEGIN { printf "%.2f", a - b }')
}

mb() { awk -v k="$1" 'BEGIN { printf "%.0f", k * 1024 / 1e6 }'; }
ms() { awk -v s="$1" 'BEGIN { printf "%.0f", s * 1000 }'; }

programs=(floor)
for count in $counts; do
    programs+=("$count")
    [[ -z ${BEFORE:-} ]] || programs+=("before-$count")
done
declare -A A
for run in $(seq "$runs"); do
    # Each run starts with the next program, so that none always follows the largest (whose
    # end leaves the disk writing and the kernel freeing its memory).
    order=("${programs[@]:$(((run - 1) % ${#programs[@]}))}" "${programs[@]:0:$(((run - 1) % ${#programs[@]}))}")
    # What a program finds depends on the one before it: a large one that ends leaves memory
    # the system has just had in use, which it hands over much faster than memory it has not
    # touched for a while. So every other run the two builds of each size swap places, and
    # each build follows each of the others as often.
    if [[ -n ${BEFORE:-} ]] && ((run % 2 == 0)); then
        for i in "${!order[@]}"; do
            case ${order[$i]} in
                floor) ;;
                before-*) order[$i]=${order[$i]#before-} ;;
                *) order[$i]=before-${order[$i]} ;;
            esac
        done
    fi
    for what in "${order[@]}"; do
        # A program that could not reach the display (another Xvfb may take it from under a
        # busy machine) is tried again, twice at most.
        run_once "$what" || run_once "$what" || run_once "$what" || exit 1
        for v in painted mapped cpu_shown quit cpu_quit peak_kib raw raw_write raw_direct fresh; do
            A[$what,$v]+="${!v} "
        done
        echo "  run $run, $what: painted $painted s (mapped $mapped s, CPU $cpu_shown s), Enter to end $quit s, peak $(mb "$peak_kib") MB${raw:+, raw read $raw s}" >&2
    done
done

m() { if [[ ${A[$1,$2]} == "- "* ]]; then echo -; else median ${A[$1,$2]}; fi; }
floor_painted=$(m floor painted)
echo
echo "Whole process, Release, medians of $runs interleaved runs (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
echo
echo "| | file | painted window | less the floor | window mapped | CPU to painted | peak resident | peak / file | Enter to end | CPU after Enter | raw read (cat) | raw write and flush (dd, fsync) | raw write around the cache and flush (dd, O_DIRECT, fsync) | fresh memory of its size |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
for what in "${programs[@]}"; do
    if [[ $what == floor ]]; then
        label="bare Qt dialog (the floor)" size=0 file=- raw=- rw=- rd=- fr=-
    else
        data=$build/bench-data/coins-${what#before-}.dat
        size=$(stat -c %s "$data")
        label="${what#before-} coins${BEFORE:+$([[ $what == before-* ]] && echo ", before" || echo ", now")}" file="$(awk -v b="$size" 'BEGIN { printf "%.0f", b / 1e6 }') MB"
        raw="$(ms "$(m "$what" raw)") ms" rw="$(m "$what" raw_write) s" rd="$(m "$what" raw_direct) s" fr="$(ms "$(m "$what" fresh)") ms"
    fi
    painted=$(m "$what" painted) peak=$(m "$what" peak_kib)
    printf '| %s | %s | %s | %s | %s s | %s s | %s MB | %s | %s s | %s s | %s | %s | %s | %s |\n' \
        "$label" "$file" "$([[ $painted == - ]] && echo - || echo "$painted s")" \
        "$([[ $what == floor || $painted == - ]] && echo - || awk -v a="$painted" -v f="$floor_painted" 'BEGIN { printf "%+.0f ms", (a - f) * 1000 }')" \
        "$(m "$what" mapped)" "$(m "$what" cpu_shown)" "$(mb "$peak")" \
        "$(awk -v p="$peak" -v b="$size" 'BEGIN { if (b > 0) printf "%.2f", p * 1024 / b; else print "-" }')" \
        "$(m "$what" quit)" "$(m "$what" cpu_quit)" "$raw" "$rw" "$rd" "$fr"
done
echo
echo "CPU time: of the program alone (user and system), which the load of other programs inflates"
echo "less than the wall time beside it. Goals: 100,000 coins painted within 50 ms of the empty"
echo "collection; 1,000,000 coins painted within 0.8 s, peak <= 1.0 x the file, Enter to end <= 0.4 s."

# The save's steps at the largest size, from one more run with its system calls timed: the
# writes of the new file, its flush to the disk, the rename over the old one, the backup's
# hard link. strace slows each call a little, so the sum is above the untraced time.
largest=${counts##* }
if [[ $largest -gt 0 ]] && command -v strace >/dev/null; then
    STRACE_SAVE=1 run_once "$largest" || exit 1
    echo
    echo "The save at $largest coins, one traced run (Enter to end $quit s under strace):"
    echo
    echo "| system call | calls | seconds in them |"
    echo "|---|---:|---:|"
    awk '/unfinished \.\.\.>$/ { next }
         { if (match($0, /<\.\.\. [a-z0-9_]+ resumed>/)) name = substr($0, RSTART + 5, RLENGTH - 14)
           else { name = $2; sub(/\(.*/, "", name) } }
         match($0, /<[0-9.]+>$/) { t = substr($0, RSTART + 1, RLENGTH - 2); n[name]++; s[name] += t }
         END { for (k in n) printf "| %s | %d | %.3f |\n", k, n[k], s[k] }' "$work/save.strace" | sort
elif [[ $largest -gt 0 ]]; then
    echo "(strace is not installed: the save's steps are not timed)"
fi
