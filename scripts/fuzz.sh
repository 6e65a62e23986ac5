#!/bin/sh
# Runs the libFuzzer targets of a fuzz build one after another (`make fuzz`).
# usage: fuzz.sh BUILD SECONDS [ENTRY...]   (every entry of BUILD/fuzz-targets.txt by default)
#
# Each target runs for SECONDS in a fresh temporary directory, which is also its TMPDIR and is
# removed afterwards. Its corpus is BUILD/corpus/ENTRY, kept between runs, and it starts from its
# seeds too. A crash, leak, timeout or out-of-memory input is copied into
# fuzz/regressions/ENTRY/ under a name made from what the sanitizer reported (rename it after
# the fault once it is understood), and the target runs on for the rest of its time. libFuzzer's
# output goes to BUILD/fuzz-logs/ENTRY-DATE.log; one line per target, for the log of
# docs/fuzzing.md, is printed and kept in BUILD/fuzz-logs/summary.txt.
set -u
build=$1 seconds=$2
shift 2
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$build" && pwd)
list="$build/fuzz-targets.txt"
[ -f "$list" ] || { echo "fuzz.sh: $list is missing: configure a fuzz build first" >&2; exit 2; }
entries=${*:-$(grep -v '^#' "$list" | cut -d' ' -f1)}
logs="$build/fuzz-logs"
mkdir -p "$logs"
status=0

# A readable file name for an artifact: KIND-WHAT-DATE, from the report's summary line.
artifact_name() { # ARTIFACT LOG
    kind=$(basename "$1" | sed 's/-[0-9a-f]*$//')
    what=$(grep -m1 -E '^SUMMARY: |^==[0-9]+== ?ERROR: libFuzzer: ' "$2" |
        sed -E 's/^SUMMARY: [A-Za-z]+: //; s/^==[0-9]+== ?ERROR: libFuzzer: //' |
        sed -E 's/ [^ ]*\/([^/ :]+)(:[0-9]+)+/ \1/g; s/ in / /' | tr -c 'A-Za-z0-9_.\n' '-' |
        sed -E 's/-+/-/g; s/^-//; s/-$//' | cut -c1-80)
    echo "$kind${what:+-$what}-$(date +%Y%m%d)-$(sha1sum "$1" | cut -c1-8)"
}

for entry in $entries; do
    line=$(grep "^$entry " "$list") || { echo "fuzz.sh: no target $entry" >&2; status=2; continue; }
    seeds=$(echo "$line" | sed 's/ --\( .*\)\{0,1\}$//; s/^[^ ]* *//')
    options=$(echo "$line" | sed -n 's/.* --//p')
    missing=
    for dir in $seeds; do [ -d "$dir" ] || missing="$missing $dir"; done
    if [ -n "$missing" ]; then
        echo "fuzz.sh: $entry: no seeds at$missing: build the fuzz_seeds target (make fuzz does)" >&2
        status=2
        continue
    fi
    corpus="$build/corpus/$entry"
    mkdir -p "$corpus"
    sandbox=$(mktemp -d)
    mkdir "$sandbox/artifacts"
    log="$logs/$entry-$(date +%Y%m%d-%H%M%S).log"
    start=$(date +%s)
    runs=0 execs=0
    # Round after round until the time is spent: a crash ends a round.
    while :; do
        left=$((seconds - ($(date +%s) - start)))
        [ "$left" -ge 5 ] || break
        runs=$((runs + 1))
        # Options given later win: a target's own options after the defaults.
        (cd "$sandbox" && TMPDIR="$sandbox" /usr/bin/time -f 'cpu %U %S' -a -o "$sandbox/time" \
            "$build/bin/${entry}_fuzz" "$corpus" $seeds -max_total_time="$left" -timeout=10 \
            -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$sandbox/artifacts/" \
            $options) >"$sandbox/round.log" 2>&1
        cat "$sandbox/round.log" >>"$log"
        # libFuzzer prints its statistics again when it ends with a finding: the last ones count.
        round_execs=$(awk '/^stat::number_of_executed_units:/ {n = $NF} END {print n + 0}' \
            "$sandbox/round.log")
        execs=$((execs + round_execs))
        for a in "$sandbox"/artifacts/*; do
            [ -f "$a" ] || continue
            name=$(artifact_name "$a" "$sandbox/round.log")
            mkdir -p "$root/fuzz/regressions/$entry"
            cp "$a" "$root/fuzz/regressions/$entry/$name"
            echo "$entry: $name (fuzz/regressions/$entry/)"
            rm "$a"
            status=1
        done
        [ "$runs" -lt 20 ] || break
    done
    cpu=$(awk '/^cpu/ {s += $2 + $3} END {printf "%.1f", s / 60}' "$sandbox/time" 2>/dev/null)
    coverage=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -1 | sed -E 's/.*(cov: [0-9]+ ft: [0-9]+).*/\1/')
    summary="$(date +%Y-%m-%d) $entry cpu-min $cpu executions $execs ${coverage:-cov: ?} rounds $runs"
    echo "$summary" | tee -a "$logs/summary.txt"
    rm -rf "$sandbox"
done
exit $status
