#!/usr/bin/env bash
# Times pairwell-cli against fdupes, jdupes, rdfind and rmlint on generated corpora, all in
# exact-content report mode, and prints a table of median wall time, CPU time and peak
# memory per corpus, with the targets met or missed. See bench/README.md.
#
# Usage: bench/run.sh [--quick] [--cold] [--scaling] [--runs N] [--workdir DIR]
#                     [--profiles "mixed bigfiles manysmall manyfolders"] [--tools P=T,T]
#   --profiles  the corpora to measure (default: all four; with --cold: mixed bigfiles)
#   --scaling   also time pairwell alone on 100000 and 1000000 files of the manyfolders
#               shape (writes a 1000000-file tree once; off by default)
#   --cold      drop the page cache before every timed run (needs root and a writable
#               /proc/sys/vm/drop_caches, else nothing is run); writes RESULTS-cold.md
#   --tools P=T,T  the other tools measured on profile P, e.g. manysmall=fdupes,jdupes
#               (repeatable; jdupes is always measured; by default all four, except
#               on manysmall, where fdupes and rmlint take minutes per run)
#   --quick     small corpora, one timed run: a smoke test of this script, under a few
#               minutes. Its table goes to the work folder, not to bench/.
#   --runs N    timed runs per tool and corpus (default 5), after one untimed warm-up run
#   --workdir   where the corpora live (default /tmp/pairwell-bench, with --quick
#               /tmp/pairwell-bench-quick); generated once, kept and reused
set -euo pipefail

REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
GEN="$REPO/../shared/bench/gen_corpus.py"
GEN_FOLDERS="$REPO/bench/gen_many_folders.py"
SUMMARIZE="$REPO/bench/summarize.py"
ALL_PROFILES="mixed bigfiles manysmall manyfolders"
PEERS="fdupes jdupes rdfind rmlint"

runs=5
quick=0
cold=0
scaling=0
work=""
profiles=""
profiles_set=0
declare -A peers_of=(
    [mixed]="$PEERS"
    [bigfiles]="$PEERS"
    [manysmall]="jdupes rdfind"
    [manyfolders]="$PEERS"
)
while [ $# -gt 0 ]; do
    case "$1" in
    --quick) quick=1 ;;
    --cold) cold=1 ;;
    --scaling) scaling=1 ;;
    --runs) runs="$2"; shift ;;
    --workdir) work="$2"; shift ;;
    --profiles) profiles="$2"; profiles_set=1; shift ;;
    --tools)
        p="${2%%=*}"
        if [ -z "${peers_of[$p]+x}" ] || [ "$2" = "$p" ]; then
            echo "run.sh: --tools wants PROFILE=TOOL,TOOL with a profile of: $ALL_PROFILES" >&2
            exit 2
        fi
        list=" ${2#*=} "
        list="${list//,/ }"
        for t in $list; do
            case " $PEERS " in *" $t "*) ;; *) echo "run.sh: unknown tool $t" >&2; exit 2 ;; esac
        done
        case "$list" in *" jdupes "*) ;; *) list="$list jdupes " ;; esac # the targets need it
        peers_of[$p]="$(for t in $PEERS; do case "$list" in *" $t "*) printf '%s ' "$t" ;; esac; done)"
        shift ;;
    -h | --help) sed -n '2,20p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run.sh: unknown argument $1" >&2; exit 2 ;;
    esac
    shift
done
if [ "$profiles_set" -eq 0 ]; then
    profiles="$ALL_PROFILES"
    [ "$cold" -eq 1 ] && profiles="mixed bigfiles"
fi
for profile in $profiles; do
    if [ -z "${peers_of[$profile]+x}" ]; then
        echo "run.sh: unknown profile $profile (known: $ALL_PROFILES)" >&2
        exit 2
    fi
done
if [ "$quick" -eq 1 ]; then
    runs=1
    work="${work:-/tmp/pairwell-bench-quick}"
else
    work="${work:-/tmp/pairwell-bench}"
fi

if [ ! -f "$GEN" ]; then
    echo "run.sh: corpus generator not found at $GEN" >&2
    exit 1
fi

# ---- cold runs: the page cache is dropped before every timed run, so first make sure that
# this is allowed here (a container's /proc/sys is often read-only).
drop_caches() {
    sync
    echo 3 >/proc/sys/vm/drop_caches
}
if [ "$cold" -eq 1 ]; then
    why=""
    if [ "$(id -u)" -ne 0 ]; then
        why="it needs root"
    elif ! err="$( (drop_caches) 2>&1)"; then
        why="writing /proc/sys/vm/drop_caches failed: ${err##*: }"
    fi
    if [ -n "$why" ]; then
        echo "run.sh: --cold: cannot drop the page cache ($why); the cold runs are skipped." >&2
        exit 0
    fi
fi

# ---- tools
missing=()
for pkg in fdupes jdupes rdfind rmlint time python3; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$pkg")
    fi
done
if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}" >&2
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# ---- pairwell-cli, optimised, in its own build folder; the read floor's reader beside it
build="$REPO/build-bench"
cmake -S "$REPO" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPAIRWELL_BUILD_TESTS=OFF -DPAIRWELL_GUI=OFF >/dev/null
cmake --build "$build" --target pairwell-cli --parallel 2 >&2
cli="$build/cli/pairwell-cli"
reader="$build/read-floor"
cc -O2 -std=c11 -Wall -Wextra -pthread -o "$reader" "$REPO/bench/read_floor.c"

# ---- corpora: generated once, reused while their summary file exists
# gen-name: generator files seed size-scale
declare -A corpus_spec=(
    [mixed]="mixed 100000 1 1.0"
    [bigfiles]="bigfiles 200 2 1.0"
    [manysmall]="manysmall 500000 3 1.0"
    [manyfolders]="folders 200000 4 -"
    [scaling-small]="folders 100000 5 -"
    [scaling-large]="folders 1000000 6 -"
)
if [ "$quick" -eq 1 ]; then
    corpus_spec=(
        [mixed]="mixed 5000 1 0.05"
        [bigfiles]="bigfiles 20 2 0.05"
        [manysmall]="manysmall 20000 3 1.0"
        [manyfolders]="folders 10000 4 -"
        [scaling-small]="folders 5000 5 -"
        [scaling-large]="folders 50000 6 -"
    )
fi
corpora="$profiles"
[ "$scaling" -eq 1 ] && corpora="$corpora scaling-small scaling-large"
mkdir -p "$work"
for corpus in $corpora; do
    root="$work/$corpus"
    read -r kind files seed scale <<<"${corpus_spec[$corpus]}"
    if [ -f "$root.summary.json" ]; then
        # A corpus made with other parameters is never deleted here: that is for a person.
        if ! python3 "$SUMMARIZE" check-corpus "$root.summary.json" "$kind" "$files" "$seed" "$scale"; then
            echo "run.sh: $root was made with other parameters; remove it and $root.summary.json, or use another --workdir" >&2
            exit 1
        fi
        continue
    fi
    rm -rf "$root" # a half-written tree from an interrupted run
    echo "Generating the $corpus corpus ($files files) in $root ..." >&2
    if [ "$kind" = folders ]; then
        python3 "$GEN_FOLDERS" --root "$root" --files "$files" --seed "$seed" >/dev/null
    else
        python3 "$GEN" --root "$root" --profile "$kind" --files "$files" --seed "$seed" \
            --size-scale "$scale" --quiet >/dev/null
    fi
done

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# Prints the command of one tool on one corpus; its stdout is the tool's report.
tool_command() {
    local tool="$1" root="$2" corpus="$3"
    case "$tool" in
    pairwell) echo "$cli scan --method byte --hidden --no-progress $(printf %q "$root")" ;;
    fdupes) echo "fdupes -r -n -q $(printf %q "$root")" ;;
    jdupes) echo "jdupes -r -q $(printf %q "$root")" ;;
    rdfind) echo "rdfind -outputname $scratch/rdfind.txt $(printf %q "$root") >/dev/null && cat $scratch/rdfind.txt" ;;
    rmlint) echo "rmlint -T df -r -L -F -o fdupes:$scratch/rmlint.txt $(printf %q "$root") >/dev/null && cat $scratch/rmlint.txt" ;;
    read-floor) echo "$reader $scratch/$corpus.list" ;;
    esac
}

# Runs one command; a timed run (RUN > 0) of a cold benchmark starts from an empty page
# cache. Appends "corpus tool run wall user sys maxrss_kb" to the log.
measure() {
    local corpus="$1" tool="$2" run="$3" cmd="$4"
    if [ "$cold" -eq 1 ] && [ "$run" -gt 0 ]; then
        drop_caches
    fi
    if ! /usr/bin/time -f '%e %U %S %M' -o "$scratch/time.txt" \
        bash -c "$cmd" >"$scratch/report.$tool" 2>"$scratch/stderr.$tool"; then
        echo "run.sh: $tool failed on $corpus:" >&2
        cat "$scratch/stderr.$tool" >&2
        exit 1
    fi
    echo "$corpus $tool $run $(tail -n 1 "$scratch/time.txt")" >>"$scratch/times.log"
}

# Warm-up: fills the page cache and records how many groups each tool reports, so the
# table shows that every tool answered the same question.
warm_up() {
    local corpus="$1" tool="$2"
    echo "[$corpus] warm-up $tool" >&2
    measure "$corpus" "$tool" 0 "$(tool_command "$tool" "$work/$corpus" "$corpus")"
    echo "$corpus $tool $(python3 "$SUMMARIZE" count-groups "$tool" "$scratch/report.$tool")" \
        >>"$scratch/groups.log"
}

: >"$scratch/times.log"
: >"$scratch/groups.log"
: >"$scratch/tools.log"
for profile in $profiles; do
    tools="pairwell ${peers_of[$profile]} read-floor"
    echo "$profile $tools" >>"$scratch/tools.log"
    python3 "$REPO/bench/read_floor_list.py" "$work/$profile" "$scratch/$profile.list"
    for tool in $tools; do
        warm_up "$profile" "$tool"
    done
    # Round-robin, so that a slow drift of the machine touches every tool alike.
    for run in $(seq 1 "$runs"); do
        for tool in $tools; do
            echo "[$profile] run $run/$runs $tool" >&2
            measure "$profile" "$tool" "$run" "$(tool_command "$tool" "$work/$profile" "$profile")"
        done
    done
done
if [ "$scaling" -eq 1 ]; then
    for corpus in scaling-small scaling-large; do
        warm_up "$corpus" pairwell
    done
    for run in $(seq 1 "$runs"); do
        for corpus in scaling-small scaling-large; do
            echo "[$corpus] run $run/$runs pairwell" >&2
            measure "$corpus" pairwell "$run" "$(tool_command pairwell "$work/$corpus" "$corpus")"
        done
    done
fi

commit="$(git -C "$REPO" rev-parse --short HEAD)"
[ -n "$(git -C "$REPO" status --porcelain)" ] && commit="$commit with local changes"
# (awk reads every line of a version text: a "head -n 1" could end the tool with SIGPIPE)
versions="pairwell-cli at $commit"
versions="$versions, fdupes $(fdupes --version 2>&1 | awk 'NR == 1 {print $2}')"
versions="$versions, jdupes $(jdupes --version 2>&1 | awk 'NR == 1 {print $2}')"
versions="$versions, rdfind $(rdfind --version 2>&1 | awk 'NR == 1 {print $NF}')"
versions="$versions, rmlint $(rmlint --version 2>&1 | awk 'NR == 1 {print $2}')"
name="RESULTS"
[ "$cold" -eq 1 ] && name="RESULTS-cold"
output="$REPO/bench/$name.md"
[ "$quick" -eq 1 ] && output="$work/${name/RESULTS/RESULTS-quick}.md"
# The raw measurements stay in the work folder, so the table can be made again from them.
logs="$work/$(basename "$output" .md).logs"
mkdir -p "$logs"
cp "$scratch/times.log" "$scratch/groups.log" "$scratch/tools.log" "$logs/"
python3 "$SUMMARIZE" report --times "$logs/times.log" --groups "$logs/groups.log" \
    --tools "$logs/tools.log" --work "$work" --profiles "$profiles" --scaling "$scaling" \
    --runs "$runs" --cache "$([ "$cold" -eq 1 ] && echo cold || echo warm)" \
    --quick "$quick" --versions "$versions" --output "$output"
# What each change gave is kept by hand beside the script and follows the warm tables.
[ "$cold" -eq 0 ] && [ "$quick" -eq 0 ] && cat "$REPO/bench/changes.md" >>"$output"
echo "Written to $output" >&2
