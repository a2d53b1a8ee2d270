#!/usr/bin/env bash
# Hand-run performance report of Scrivane (not a test; ctest never runs it). Builds a Release
# build in build-bench/, generates two documents once in a temporary folder (large: 300 topics,
# about 205 MiB; small: 10,000 topics, about 23 MiB), times our work next to a reference doing
# the same job on the same file, and prints one table of medians of RUNS runs (files warm in
# the page cache), then the peak memory (max RSS) of each program on both documents.
#
#   bench/run.sh [RUNS [SECTION...]]   RUNS defaults to 5; SECTION is storage, windows, calls,
#                                      rtf or publish, all of them when none is named
#
# Targets, as ratios of our time to the reference's (lower is better):
#   storage   count, show, scan <= 1.3 x cat of the file: reading records costs little beyond
#             reading the bytes. search <= 1.5 x grep -c -F. A rewrite (one record replaced)
#             <= 1.5 x cp, where cp flushes its copy as a rewrite must (cp + sync), and also
#             replaces an existing file (cp + sync over an old copy, the folder flushed too).
#             Plain cp, which leaves its copy in the page cache, is shown for scale only.
#   rtf       our RTF import + full layout <= 1.0 x Qt's HTML import + full layout of the same
#             document converted by LibreOffice; our RTF write <= 1.0 x Qt's toHtml of it.
#   windows   each step of Penwick and Leafwick against the scvtool or storage work it rests on,
#             on the same file: start-up vs scvtool list (both read every contents line), a
#             topic choice and showing a search hit vs scvtool show of that topic, search vs
#             scvtool search, a save vs bench_storage append (new topic) or rewrite (after
#             Edit; Move Down is one rewrite too). The target is 1.5 x the reference plus
#             what only the window must do, measured on its own in the same process: building
#             its widgets (an empty window's start-up) for start-ups, laying out the shown
#             topic (RTF read into a fresh document, laid out whole at the display's width)
#             wherever a topic is shown, and writing the topic's RTF for a save. It is printed
#             as a ratio: (1.5 x ref + allowance) / ref. Search shows no topic: no allowance.
#             "whole" rows time a choice until the topic is laid out to its end, not only to
#             what the display shows; they have the same target.
#   calls     Leafwick as a program calls it (10,000 topics): a second call taken by a running
#             window, until that window shows the topic, <= 2.0 x scvtool show --text of the
#             topic; a fresh leafwick --topic NAME, until its window shows the topic, <= 1.1 x
#             a fresh start-up (until the first topic shows) plus the choice of that topic.
#   publish   the HTML export of a document <= 1.3 x the same program's show --html of every
#             topic (one process each, as a script would run it), and <= 1.3 x what it cannot do
#             without: our RTF import and Qt's toHtml of every topic in one process
#             (bench_publish), plus the file system's cost of writing the site's files (cp -r of
#             the site). The 40-topic sample's export <= 0.1 x pandoc converting its 40 RTF
#             topics to HTML one by one. The reference of show --html runs once: it starts a
#             process per topic and takes minutes on the small document.
#   memory    no program may hold the document: its peak on the large document may exceed its
#             peak on the small one by at most what the large one's biggest record costs. For
#             the storage programs that is 4 x that record (read buffer, field, output); for the
#             reader it is what one display showing that topic whole costs beyond one showing a
#             small topic (bench_reader display, measured), plus the record twice (the record
#             buffer and the bytes handed to the display); Penwick may hold the laid-out topic
#             twice (the Add box and the display during a save). The HTML export holds one topic
#             at a time: its allowance is what scvtool show --html of the large document's first
#             topic costs beyond a small topic's, plus 4 x the largest record (the topic's HTML
#             and its page).
set -euo pipefail
export LC_ALL=C # a decimal point in EPOCHREALTIME and in printf

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
top="$(dirname "$here")"
build="$top/build-bench"
runs="${1:-5}"
shift || true
sections=("$@")
# Whether section $1 is to be measured: every one when none was named.
want() {
    local section
    [ ${#sections[@]} -eq 0 ] && return 0
    for section in "${sections[@]}"; do
        [ "$section" = "$1" ] && return 0
    done
    return 1
}
# bench_generate plants this word in a few topics and makes sure it stands nowhere else.
word="Quillfeather"
sample="$top/tests/data/rtf/generated/g05-nodejs-api-large.rtf"
# shellcheck source-path=SCRIPTDIR source=../scripts/packages.sh
source "$top/scripts/packages.sh"

fail() {
    echo "run.sh: $*" >&2
    exit 1
}

[[ "$runs" =~ ^[1-9][0-9]*$ ]] || fail "RUNS must be a positive whole number"
[ -r "$sample" ] || fail "cannot read $sample"
for section in "${sections[@]}"; do
    case "$section" in
        storage | windows | calls | rtf | publish) ;;
        *) fail "unknown section \"$section\" (storage, windows, calls, rtf or publish)" ;;
    esac
done
if want rtf && ! command -v soffice >/dev/null; then
    scrivane_install_missing libreoffice-writer-nogui
    command -v soffice >/dev/null || fail "soffice is still missing after the installation"
fi
if want publish && ! command -v pandoc >/dev/null; then
    scrivane_install_missing pandoc
    command -v pandoc >/dev/null || fail "pandoc is still missing after the installation"
fi

echo "Building the programs and the bench programs (Release) in $build ..."
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --parallel 2 --target scvtool scvtool-render leafwick bench_generate \
    bench_storage bench_rtf_import bench_rtf_writer bench_penwick bench_reader \
    bench_reader_call bench_publish >/dev/null
scvtool="$build/bin/scvtool"
generate="$build/bench/bench_generate"
storage_bench="$build/bench/bench_storage"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"

work="$(mktemp -d "${TMPDIR:-/tmp}/scrivane-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
fi
# A rewrite works through Help.tmp in the current folder.
cd "$work"

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

# Wall time in milliseconds of one run of the shell command $1.
once_ms() {
    local start end
    start=$EPOCHREALTIME
    eval "$1"
    end=$EPOCHREALTIME
    awk -v s="$start" -v e="$end" 'BEGIN { printf "%.1f\n", (e - s) * 1000 }'
}

# The median of each "result NAME VALUE" line of a bench program's runs, gathered in file $1,
# into result[$2NAME].
declare -A result
gather() {
    local name value
    while read -r name value; do
        result[$2$name]="$value"
    done < <(awk '$1 == "result" { v[$2] = v[$2] " " $3 }
        END { for (k in v) { n = split(substr(v[k], 2), a, " ")
            for (i = 2; i <= n; i++) { x = a[i]; j = i - 1
                while (j > 0 && a[j] > x) { a[j + 1] = a[j]; j-- } a[j + 1] = x }
            print k, a[int((n + 1) / 2)] } }' "$1")
}

rows=()
missed=0
row() { # measure, our ms, reference name, reference ms, target ratio
    local line
    line="$(awk -v op="$1" -v ours="$2" -v ref="$3" -v refms="$4" -v target="$5" 'BEGIN {
        ratio = ours / refms
        if (target == "-")
            printf "%-40s %9.1f  %-26s %9.1f %7.2f  %-9s %s\n", op, ours, ref, refms, ratio,
                "(none)", "shown for scale"
        else
            printf "%-40s %9.1f  %-26s %9.1f %7.2f  <= %-6.2f %s\n", op, ours, ref, refms,
                ratio, target, ratio <= target + 0.005 ? "met" : "MISSED"
    }')"
    rows+=("$line")
    [[ "$line" == *MISSED ]] && missed=$((missed + 1))
    return 0
}
# A window's target: 1.5 x the reference plus the allowance, as a ratio to the reference.
allowed() { awk -v ref="$1" -v extra="$2" 'BEGIN { printf "%.2f", (1.5 * ref + extra) / ref }'; }

declare -A memory memory_allowed size last planted

bench_storage_rows() { # kind
    local kind="$1" doc="$1.scv"
    local cat_ms count_ms show_ms scan_ms headings_ms grep_ms search_ms cp_ms sync_ms replace_ms
    local rewrite_ms
    cat_ms="$(median_ms : "cat $doc >/dev/null")"
    count_ms="$(median_ms : "'$scvtool' count $doc >/dev/null")"
    show_ms="$(median_ms : "'$scvtool' show $doc ${last[$kind]} >/dev/null")"
    scan_ms="$(median_ms : "'$storage_bench' scan $doc >/dev/null")"
    headings_ms="$(median_ms : "'$storage_bench' headings $doc >/dev/null")"
    # Not /dev/null: GNU grep then stops at the first match, as with -q.
    grep_ms="$(median_ms : "grep -c -F $word $doc >grep.out || true")"
    search_ms="$(median_ms : "'$scvtool' search $doc $word >search.out")"
    cp_ms="$(median_ms "rm -f copy.scv" "cp $doc copy.scv")"
    sync_ms="$(median_ms "rm -f copy.scv" "cp $doc copy.scv && sync copy.scv")"
    # Replacing an existing file also frees its blocks, and a rewrite flushes the folder too.
    replace_ms="$(median_ms "cp $doc copy.scv && sync copy.scv" \
        "cp $doc copy.scv && sync copy.scv . ")"
    # On a copy: the windows' rows below reuse this time as the rewrite alone.
    cp "$doc" copy.scv
    rewrite_ms="$(median_ms : "'$storage_bench' rewrite copy.scv ${last[$kind]} >/dev/null")"
    result[$kind/rewrite]="$rewrite_ms"
    result[$kind/append]="$(median_ms : "'$storage_bench' append copy.scv")"
    result[$kind/list]="$(median_ms : "'$scvtool' list $doc >/dev/null")"
    result[$kind/show_last]="$show_ms"
    result[$kind/search]="$search_ms"
    rm -f copy.scv grep.out search.out

    row "$kind: count" "$count_ms" "cat" "$cat_ms" 1.3
    row "$kind: show last record" "$show_ms" "cat" "$cat_ms" 1.3
    row "$kind: scan, every record" "$scan_ms" "cat" "$cat_ms" 1.3
    row "$kind: scan, levels and names" "$headings_ms" "cat" "$cat_ms" 1.3
    row "$kind: search" "$search_ms" "grep -c -F" "$grep_ms" 1.5
    row "$kind: rewrite, last replaced" "$rewrite_ms" "cp (no flush)" "$cp_ms" -
    row "$kind: rewrite, last replaced" "$rewrite_ms" "cp + sync copy" "$sync_ms" 1.5
    row "$kind: rewrite, last replaced" "$rewrite_ms" "cp + sync over old copy" "$replace_ms" 1.5

    memory[$kind/count]="$("$storage_bench" peak-memory "$scvtool" count "$doc")"
    memory[$kind/show]="$("$storage_bench" peak-memory "$scvtool" show "$doc" "${last[$kind]}")"
    memory[$kind/scan]="$("$storage_bench" peak-memory "$storage_bench" scan "$doc")"
    memory[$kind/search]="$("$storage_bench" peak-memory "$scvtool" search "$doc" "$word")"
    cp "$doc" copy.scv
    memory[$kind/rewrite]="$("$storage_bench" peak-memory "$storage_bench" rewrite copy.scv \
        "${last[$kind]}")"
    rm -f copy.scv
}

bench_window_rows() { # kind
    local kind="$1" doc="$1.scv" n="${last[$kind]}" hit_ms
    mkdir -p "reader-$kind" "penwick-$kind"
    ln -f "$doc" "reader-$kind/$doc"
    : >"reader-$kind.out"
    : >"penwick-$kind.out"
    for ((run = 0; run < runs; run++)); do
        "$build/bench/bench_reader" "reader-$kind" "$n" "$word" >>"reader-$kind.out" \
            || fail "bench_reader failed on $doc"
        # Penwick changes its document: a fresh copy each run.
        cp "$doc" "penwick-$kind/Help.scv"
        # Flushed now: otherwise the save's fsync would pay for writing out the whole copy.
        sync "penwick-$kind/Help.scv"
        "$build/bench/bench_penwick" "penwick-$kind" "$n" >>"penwick-$kind.out" \
            || fail "bench_penwick failed on $doc"
    done
    rm -rf "reader-$kind" "penwick-$kind"
    gather "reader-$kind.out" "$kind/reader/"
    gather "penwick-$kind.out" "$kind/penwick/"
    local r="$kind/reader/" p="$kind/penwick/"
    [ "${result[${r}hits]%.*}" = "${planted[$kind]}" ] \
        || fail "the reader found ${result[${r}hits]} topics in $doc, not ${planted[$kind]}"
    hit_ms="$(median_ms : "'$scvtool' show $doc ${result[${r}first_hit]%.*} >/dev/null")"

    local list="${result[$kind/list]}" show="${result[$kind/show_last]}"
    row "$kind: Leafwick start-up" "${result[${r}startup]}" "scvtool list" "$list" \
        "$(allowed "$list" "$(awk -v a="${result[${r}empty_startup]}" \
            -v b="${result[${r}display_first]}" 'BEGIN { print a + b }')")"
    row "$kind: Leafwick choice of last topic" "${result[${r}choice]}" "scvtool show last" \
        "$show" "$(allowed "$show" "${result[${r}display_choice]}")"
    row "$kind: Leafwick choice, whole" "${result[${r}choice_whole]}" "scvtool show last" \
        "$show" "$(allowed "$show" "${result[${r}display_choice]}")"
    row "$kind: Leafwick search" "${result[${r}search]}" "scvtool search" \
        "${result[$kind/search]}" 1.5
    row "$kind: Leafwick showing a hit" "${result[${r}hit]}" "scvtool show (the hit)" \
        "$hit_ms" "$(allowed "$hit_ms" "${result[${r}display_hit]}")"
    row "$kind: Penwick start-up" "${result[${p}startup]}" "scvtool list" "$list" \
        "$(allowed "$list" "$(awk -v a="${result[${p}empty_startup]}" \
            -v b="${result[${p}display_first]}" 'BEGIN { print a + b }')")"
    row "$kind: Penwick choice of last topic" "${result[${p}choice]}" "scvtool show last" \
        "$show" "$(allowed "$show" "${result[${p}display_choice]}")"
    row "$kind: Penwick save (new topic)" "${result[${p}append]}" "storage append" \
        "${result[$kind/append]}" "$(allowed "${result[$kind/append]}" "$(awk \
            -v a="${result[${p}write_added]}" -v b="${result[${p}display_first]}" \
            'BEGIN { print a + b }')")"
    row "$kind: Penwick save after Edit" "${result[${p}replace]}" "storage rewrite" \
        "${result[$kind/rewrite]}" "$(allowed "${result[$kind/rewrite]}" "$(awk \
            -v a="${result[${p}write_added]}" -v b="${result[${p}display_first]}" \
            'BEGIN { print a + b }')")"
    row "$kind: Penwick Move Down" "${result[${p}move_down]}" "storage rewrite" \
        "${result[$kind/rewrite]}" "$(allowed "${result[$kind/rewrite]}" \
            "${result[${p}display_choice]}")"
    memory[$kind/Leafwick]="${result[${r}peak_rss]%.*}"
    memory[$kind/Penwick]="${result[${p}peak_rss]%.*}"
    memory[$kind/display]="$("$build/bench/bench_reader" display "$doc" "$n" \
        | awk '$2 == "peak_rss" { printf "%d", $3 }')"
}

# Leafwick as a program calls it, on the small document (10,000 topics): a second call that a
# running window takes, until the window shows the topic, against scvtool show of that topic as
# text (target 2.0 x); and a fresh reader opened at a topic by name, until it shows it, against
# a fresh reader's start-up (until its window shows the first topic) plus the choice of that
# topic in it (bench_reader's choice of the last topic) (target 1.1 x).
bench_call_rows() {
    local doc="small.scv" n="${last[small]}" leafwick="$build/bin/leafwick"
    local call="$build/bench/bench_reader_call" name first window show_ms
    name="$("$scvtool" list "$doc" | tail -n 1 | sed 's/^ *//')"
    first="$("$scvtool" list "$doc" | sed 's/^ *//' | awk -v want="$name" '$0 == want { print NR; exit }')"
    : >call-second.out
    : >call-fresh.out
    : >call-startup.out
    "$leafwick" "$doc" >/dev/null 2>&1 &
    window=$!
    # Ready once it takes calls; each timed call starts from topic 1 shown.
    "$call" --wait "$doc" || fail "no reader took a call"
    for ((run = 0; run < runs; run++)); do
        "$call" --second "$leafwick" "$doc" 1 --topic-number 1 >/dev/null
        "$call" --second "$leafwick" "$doc" "$n" --topic-number "$n" >>call-second.out \
            || fail "the second call failed"
    done
    kill "$window"
    wait "$window" 2>/dev/null || true
    for ((run = 0; run < runs; run++)); do
        "$call" "$leafwick" "$doc" "$first" --topic "$name" >>call-fresh.out \
            || fail "a fresh reader did not show topic $first"
        "$call" "$leafwick" "$doc" 1 >>call-startup.out || fail "a fresh reader did not start"
    done
    gather call-second.out "call/second/"
    gather call-fresh.out "call/fresh/"
    gather call-startup.out "call/startup/"
    show_ms="$(median_ms : "'$scvtool' show $doc $n --text >/dev/null")"
    row "small: second call, topic shown" "${result[call/second/call]}" "scvtool show --text" \
        "$show_ms" 2.0
    row "small: leafwick --topic, topic shown" "${result[call/fresh/call]}" \
        "start-up + choice" "$(awk -v a="${result[call/startup/call]}" \
            -v b="${result[small/reader/choice]}" 'BEGIN { print a + b }')" 1.1
}

bench_rtf_rows() {
    cp "$sample" topic.rtf
    # A profile of its own, so that a LibreOffice the user has open does not take the job.
    soffice -env:UserInstallation="file://$work/profile" --headless --convert-to html \
        --outdir "$work" "$work/topic.rtf" >soffice.log 2>&1 \
        || fail "soffice failed: $(cat soffice.log)"
    [ -s topic.html ] || fail "soffice wrote no HTML: $(cat soffice.log)"
    "$build/bench/bench_rtf_import" topic.rtf topic.html "$runs" >rtf_import.out
    gather rtf_import.out "import/"
    "$build/bench/bench_rtf_writer" topic.rtf $((runs * 4)) >rtf_writer.out
    gather rtf_writer.out "write/"
    row "RTF import + layout (sample)" "${result[import/rtf]}" "Qt HTML import + layout" \
        "${result[import/html]}" 1.0
    row "RTF write (sample)" "${result[write/rtf]}" "Qt toHtml" "${result[write/html]}" 1.0
}

bench_publish_rows() { # kind
    local kind="$1" doc="$1.scv" export_ms show_ms cp_ms
    export_ms="$(median_ms "rm -rf site-$kind" "'$scvtool' export $doc --html site-$kind >/dev/null")"
    # Left by the last run: the site that cp copies.
    cp_ms="$(median_ms "rm -rf copy-$kind" "cp -r site-$kind copy-$kind")"
    rm -rf "copy-$kind"
    : >"publish-$kind.out"
    for ((run = 0; run < runs; run++)); do
        "$build/bench/bench_publish" import-html "$doc" >>"publish-$kind.out" \
            || fail "bench_publish failed on $doc"
    done
    gather "publish-$kind.out" "$kind/publish/"
    show_ms="$(once_ms "for ((n = 1; n <= ${last[$kind]}; n++)); do
        '$scvtool' show $doc \$n --html >/dev/null || fail 'show --html failed'; done")"
    row "$kind: HTML export" "$export_ms" "show --html, every topic" "$show_ms" 1.3
    row "$kind: HTML export" "$export_ms" "import+toHtml (1 process)" \
        "${result[$kind/publish/import_html]}" -
    row "$kind: HTML export" "$export_ms" "import+toHtml + cp -r site" \
        "$(awk -v a="${result[$kind/publish/import_html]}" -v b="$cp_ms" 'BEGIN { print a + b }')" 1.3
    rm -rf "site-$kind"
    memory[$kind/export]="$("$storage_bench" peak-memory "$scvtool" export "$doc" --html \
        "site-$kind")"
    rm -rf "site-$kind"
    memory[$kind/show_html]="$("$storage_bench" peak-memory "$scvtool" show "$doc" 1 --html)"
}

bench_sample_rows() {
    local export_ms pandoc_ms n
    cp "$top/tests/data/documents/Manual.scv" Manual.scv
    mkdir -p rtf40
    for ((n = 1; n <= 40; n++)); do
        "$scvtool" show Manual.scv "$n" >"rtf40/$n.rtf"
    done
    export_ms="$(median_ms "rm -rf site-manual" \
        "'$scvtool' export Manual.scv --html site-manual >/dev/null")"
    pandoc_ms="$(median_ms : 'for f in rtf40/*.rtf; do
        pandoc -f rtf -t html "$f" -o "${f%.rtf}.html" || fail "pandoc failed on $f"; done')"
    row "sample (40 topics): HTML export" "$export_ms" "pandoc, the 40 topics" "$pandoc_ms" 0.1
    rm -rf site-manual rtf40 Manual.scv
}

echo "Median of $runs runs, files warm in the page cache, in $work; load: $(uptime)"
for kind in large small; do
    planted[$kind]="$("$generate" "$kind" "$kind.scv" "$word")"
    last[$kind]="$("$scvtool" count "$kind.scv")"
    size[$kind]="$(stat -c %s "$kind.scv")"
    hits="$("$scvtool" search "$kind.scv" "$word" | wc -l)"
    [ "$hits" = "${planted[$kind]}" ] || fail "search found $hits topics in $kind.scv"
done
# The largest record of the large document, for the storage programs' memory allowance.
largest_record="$("$storage_bench" scan large.scv | awk '{ print $(NF - 1) }')"

: >empty.scv
start_scvtool="$(median_ms : "'$scvtool' count empty.scv >/dev/null")"
start_cat="$(median_ms : "cat empty.scv")"
if want storage; then
    for kind in large small; do
        echo "Timing storage and scvtool on $kind.scv ..."
        bench_storage_rows "$kind"
    done
fi
if want windows; then
    # The windows' rows measure against what the storage rows timed.
    want storage || fail "the windows section needs the storage section"
    for kind in large small; do
        echo "Timing the windows on $kind.scv ..."
        bench_window_rows "$kind"
    done
fi
if want calls; then
    # The fresh reader's reference takes the choice of a topic from the windows' rows.
    want windows || fail "the calls section needs the windows section"
    echo "Timing Leafwick as programs call it ..."
    bench_call_rows
fi
if want rtf; then
    echo "Timing RTF import and write ..."
    bench_rtf_rows
fi
if want publish; then
    for kind in large small; do
        echo "Timing the HTML export of $kind.scv (show --html of every topic takes minutes) ..."
        bench_publish_rows "$kind"
    done
    echo "Timing the HTML export of the 40-topic sample and pandoc ..."
    bench_sample_rows
fi

echo
awk -v l="${size[large]}" -v s="${size[small]}" -v tl="${last[large]}" -v ts="${last[small]}" \
    'BEGIN { printf "large.scv: %d topics, %.1f MiB; small.scv: %d topics, %.1f MiB\n",
        tl, l / 1048576, ts, s / 1048576 }'
echo "Process start on a zero-byte file: scvtool count $start_scvtool ms, cat $start_cat ms"
echo "Load when done: $(uptime)"
echo
printf "%-40s %9s  %-26s %9s %7s  %-9s %s\n" measure "ours ms" reference "ref ms" ratio target ""
printf '%s\n' "${rows[@]}"

echo
echo "Peak memory (max RSS, KiB); growth = large - small, allowed = what one topic may cost"
printf "%-22s %10s %10s %10s %10s  %s\n" program large small growth allowed ""
programs=()
want storage && programs+=(count show scan search rewrite)
want windows && programs+=(Leafwick Penwick)
want publish && programs+=(export)
for program in "${programs[@]}"; do
    case "$program" in
        Leafwick | Penwick)
            topic_cost=$((${memory[large/display]} - ${memory[small/display]}))
            allowance=$((topic_cost + 2 * largest_record / 1024))
            [ "$program" = Penwick ] && allowance=$((allowance + topic_cost))
            ;;
        export)
            allowance=$((${memory[large/show_html]} - ${memory[small/show_html]}
                + 4 * largest_record / 1024))
            ;;
        *) allowance=$((4 * largest_record / 1024)) ;;
    esac
    growth=$((${memory[large/$program]} - ${memory[small/$program]}))
    verdict=met
    if ((growth > allowance)); then
        verdict=MISSED
        missed=$((missed + 1))
    fi
    printf "%-22s %10s %10s %10s %10s  %s\n" "$program" "${memory[large/$program]}" \
        "${memory[small/$program]}" "$growth" "$allowance" "$verdict"
done
if want windows; then
    echo "(one display showing the large document's last topic whole:" \
        "${memory[large/display]} KiB; a small topic: ${memory[small/display]} KiB)"
fi
if want publish; then
    echo "(scvtool show --html of the first topic: large ${memory[large/show_html]} KiB," \
        "small ${memory[small/show_html]} KiB)"
fi
echo
echo "$missed target(s) missed"
