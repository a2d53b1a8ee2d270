#!/usr/bin/env bash
# Hand-run benchmark of the help document storage (not a test; ctest never runs it). Builds a
# Release build in build-bench/, generates two documents in a temporary folder, and times scvtool
# and the storage library on them next to cat, grep -F and cp on the same files: the median of
# RUNS runs, with the files warm in the page cache. Then it reports the peak memory of each of
# our operations on both documents.
#
#   bench/run_storage.sh [RUNS]        RUNS defaults to 5
set -euo pipefail
export LC_ALL=C # a decimal point in EPOCHREALTIME and in printf

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
top="$(dirname "$here")"
build="$top/build-bench"
runs="${1:-5}"
# bench_generate plants this word in a few topics and makes sure it stands nowhere else.
word="Quillfeather"

echo "Building scvtool and the bench programs (Release) in $build ..."
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --parallel 2 --target scvtool bench_generate bench_storage >/dev/null
scvtool="$build/bin/scvtool"
generate="$build/bench/bench_generate"
storage_bench="$build/bench/bench_storage"

work="$(mktemp -d "${TMPDIR:-/tmp}/scrivane-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
# A rewrite works through Help.tmp in the current folder.
cd "$work"

fail() {
    echo "run_storage.sh: $*" >&2
    exit 1
}

# Median wall time in milliseconds of $runs runs of the shell command $2, after one untimed run
# that brings the file into the page cache. $1 runs untimed before each run.
median_ms() {
    local prepare="$1" command="$2" start end times=()
    eval "$prepare"
    eval "$command"
    for ((run = 0; run < runs; run++)); do
        eval "$prepare"
        start=$EPOCHREALTIME
        eval "$command"
        end=$EPOCHREALTIME
        times+=("$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.1f\n", (e - s) * 1000 }')")
    done
    printf '%s\n' "${times[@]}" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'
}

row() { # operation, our ms, reference name, reference ms, target ratio
    awk -v op="$1" -v ours="$2" -v ref="$3" -v refms="$4" -v target="$5" 'BEGIN {
        ratio = ours / refms
        printf "  %-22s %9.1f   %-17s %9.1f   %6.2f   <= %-4s %s\n", op, ours, ref, refms, ratio,
            target, ratio <= target ? "met" : "MISSED"
    }'
}

declare -A memory

bench_document() { # kind, expected topics
    local kind="$1" topics="$2" doc="$1.scv" planted last hits size
    planted="$("$generate" "$kind" "$doc" "$word")"
    last="$("$scvtool" count "$doc")"
    [ "$last" = "$topics" ] || fail "$doc holds $last records, not $topics"
    hits="$("$scvtool" search "$doc" "$word" | wc -l)"
    [ "$hits" = "$planted" ] || fail "search found $hits topics in $doc, not $planted"
    size="$(stat -c %s "$doc")"

    local cat_ms count_ms show_ms scan_ms headings_ms grep_ms search_ms cp_ms sync_ms replace_ms rewrite_ms
    cat_ms="$(median_ms : "cat $doc >/dev/null")"
    count_ms="$(median_ms : "'$scvtool' count $doc >/dev/null")"
    show_ms="$(median_ms : "'$scvtool' show $doc $last >/dev/null")"
    scan_ms="$(median_ms : "'$storage_bench' scan $doc >/dev/null")"
    headings_ms="$(median_ms : "'$storage_bench' headings $doc >/dev/null")"
    # Not /dev/null: GNU grep then stops at the first match, as with -q.
    grep_ms="$(median_ms : "grep -c -F $word $doc >grep.out || true")"
    search_ms="$(median_ms : "'$scvtool' search $doc $word >search.out")"
    cp_ms="$(median_ms "rm -f copy.scv" "cp $doc copy.scv")"
    sync_ms="$(median_ms "rm -f copy.scv" "cp $doc copy.scv && sync copy.scv")"
    # What a rewrite does besides: it replaces an existing file, whose blocks the file system
    # then frees (about 120 ms for 200 MB here), and it flushes the folder too.
    replace_ms="$(median_ms "cp $doc copy.scv && sync copy.scv" \
        "cp $doc copy.scv && sync copy.scv . ")"
    rewrite_ms="$(median_ms : "'$storage_bench' rewrite $doc $last >/dev/null")"
    rm -f copy.scv
    [ "$("$scvtool" count "$doc")" = "$topics" ] || fail "the rewrite changed the record count"

    echo
    awk -v d="$doc" -v t="$topics" -v s="$size" -v p="$planted" 'BEGIN {
        printf "%s: %d topics, %.1f MiB, the search word in %d topics\n", d, t, s / 1048576, p }'
    printf "  %-22s %9s   %-17s %9s   %6s   %s\n" operation "ours ms" reference "ref ms" ratio target
    row "count" "$count_ms" "cat" "$cat_ms" 1.3
    row "show last record" "$show_ms" "cat" "$cat_ms" 1.3
    row "scan, every record" "$scan_ms" "cat" "$cat_ms" 1.3
    row "scan, levels and names" "$headings_ms" "cat" "$cat_ms" 1.3
    row "search" "$search_ms" "grep -c -F" "$grep_ms" 1.5
    row "rewrite, last replaced" "$rewrite_ms" "cp" "$cp_ms" 1.5
    row "rewrite, last replaced" "$rewrite_ms" "cp + sync copy" "$sync_ms" 1.5
    row "rewrite, last replaced" "$rewrite_ms" "cp+sync over old" "$replace_ms" 1.5

    memory[$kind/count]="$("$storage_bench" peak-memory "$scvtool" count "$doc")"
    memory[$kind/show]="$("$storage_bench" peak-memory "$scvtool" show "$doc" "$last")"
    memory[$kind/scan]="$("$storage_bench" peak-memory "$storage_bench" scan "$doc")"
    memory[$kind/search]="$("$storage_bench" peak-memory "$scvtool" search "$doc" "$word")"
    memory[$kind/rewrite]="$("$storage_bench" peak-memory "$storage_bench" rewrite "$doc" "$last")"
    memory[$kind/size]="$size"
    rm -f "$doc" grep.out search.out
}

echo "Median of $runs runs, files warm in the page cache, in $work"
: >empty.scv
# The fixed cost of starting each program, which weighs on the small document's ratios.
printf 'Process start, on a zero-byte file: scvtool count %s ms, cat %s ms\n' \
    "$(median_ms : "'$scvtool' count empty.scv >/dev/null")" "$(median_ms : "cat empty.scv")"
bench_document large 300
bench_document small 10000

echo
echo "Peak memory (max RSS, KiB); the documents are $((${memory[large/size]} / 1048576)) MiB and" \
    "$((${memory[small/size]} / 1048576)) MiB"
printf "  %-22s %10s %10s\n" operation large small
for operation in count show scan search rewrite; do
    printf "  %-22s %10s %10s\n" "$operation" "${memory[large/$operation]}" \
        "${memory[small/$operation]}"
done
