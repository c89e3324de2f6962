#!/usr/bin/env bash
# Whether each operation's cost grows with the work: start-up of the window, sort, find, the
# summary, save, CSV export and import at 10,000, 100,000 and 1,000,000 coins, each beside a
# raw read of the same data file (BM_RawRead) and as a ratio to it. A ratio that grows from
# one size to the next is an operation that grows faster than the file. CPU time per
# operation, as Google Benchmark reports it; prints a Markdown table.
#
#     bench/scaling.sh [BUILD_FOLDER]     # default build-bench, as scripts/bench.sh makes
set -euo pipefail
build=$(realpath "${1:-build-bench}")
for program in core_bench window_bench; do
    [[ -x $build/bench/$program ]] || { echo "scaling.sh: $build/bench/$program is not built" >&2; exit 1; }
done
sizes='10000|100000|1000000'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/bench/core_bench" --benchmark_format=console --benchmark_color=false \
    --benchmark_filter="^BM_(RawRead|ReadDataFile|SaveWithBackup|SummarizeCollection|WriteCsvFile|ReadCsvFile)/($sizes)\$|^BM_SortByColumn/coins:($sizes)/column:0\$|^BM_FindNext/coins:($sizes)/text:0\$" \
    >"$work/core.txt" 2>"$work/core.log" || { cat "$work/core.log" >&2; exit 1; }
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bench/window_bench" --benchmark_format=console --benchmark_color=false \
    --benchmark_filter="^BM_WindowStartUp/($sizes)/" >"$work/window.txt" 2>"$work/window.log" ||
    { cat "$work/window.log" >&2; exit 1; }

# "BM_Name/size  real unit  cpu unit  iterations ...": the CPU time in milliseconds, by
# operation and size.
cat "$work/core.txt" "$work/window.txt" | awk '
    $1 ~ /^BM_/ {
        n = split($1, part, "/")
        op = part[1]; size = part[2]; sub(/^coins:/, "", size)
        t = $4; unit = $5
        if (unit == "us") t /= 1000; else if (unit == "ns") t /= 1e6; else if (unit == "s") t *= 1000
        ms[op, size] = t
    }
    END {
        split("10000 100000 1000000", sizes, " ")
        split("BM_WindowStartUp BM_ReadDataFile BM_SortByColumn BM_FindNext BM_SummarizeCollection BM_SaveWithBackup BM_WriteCsvFile BM_ReadCsvFile", ops, " ")
        label["BM_WindowStartUp"] = "start (window built, read, shown)"
        label["BM_ReadDataFile"] = "read of the data file"
        label["BM_SortByColumn"] = "sort by Name"
        label["BM_FindNext"] = "find (no match: every text read)"
        label["BM_SummarizeCollection"] = "summary"
        label["BM_SaveWithBackup"] = "save with its backup"
        label["BM_WriteCsvFile"] = "CSV export"
        label["BM_ReadCsvFile"] = "CSV import"
        printf "| Operation | 10,000 | 100,000 | 1,000,000 |\n|---|---:|---:|---:|\n"
        printf "| raw read of the data file |"
        for (i = 1; i <= 3; i++) printf " %s |", fmt(ms["BM_RawRead", sizes[i]])
        printf "\n"
        for (o = 1; o <= 8; o++) {
            op = ops[o]
            printf "| %s |", label[op]
            for (i = 1; i <= 3; i++) {
                t = ms[op, sizes[i]]; r = ms["BM_RawRead", sizes[i]]
                if (t == "") printf " - |"
                else printf " %s (%.0f x) |", fmt(t), (r > 0 ? t / r : 0)
            }
            printf "\n"
        }
    }
    function fmt(t) { return t == "" ? "-" : (t >= 100 ? sprintf("%.0f ms", t) : (t >= 1 ? sprintf("%.1f ms", t) : sprintf("%.2f ms", t))) }'
echo
echo "(x: the operation's time over the raw read of the same file; load average $(cut -d' ' -f1-3 /proc/loadavg))"
