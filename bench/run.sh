#!/usr/bin/env bash
# Times pairwell-cli against fdupes, jdupes, rdfind and rmlint on generated corpora, all in
# exact-content report mode with a warm page cache, and prints a table of median wall time,
# CPU time and peak memory. See bench/README.md for the options chosen for each tool.
#
# Usage: bench/run.sh [--quick] [--runs N] [--workdir DIR] [--profiles "mixed bigfiles"]
#   --quick     small corpora (5000 and 20 files at 5 % size), one run; a smoke test of
#               this script. Its table is not written to bench/RESULTS.md.
#   --runs N    timed runs per tool and corpus (default 5), after one untimed warm-up run
#   --workdir   where the corpora live (default /tmp/pairwell-bench); kept and reused
set -euo pipefail

REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
GEN="$REPO/../shared/bench/gen_corpus.py"
SUMMARIZE="$REPO/bench/summarize.py"

runs=5
quick=0
work=""
profiles="mixed bigfiles"
while [ $# -gt 0 ]; do
    case "$1" in
    --quick) quick=1 ;;
    --runs) runs="$2"; shift ;;
    --workdir) work="$2"; shift ;;
    --profiles) profiles="$2"; shift ;;
    -h | --help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run.sh: unknown argument $1" >&2; exit 2 ;;
    esac
    shift
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

# ---- pairwell-cli, optimised, in its own build folder
build="$REPO/build-bench"
cmake -S "$REPO" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPAIRWELL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target pairwell-cli --parallel 2 >&2
cli="$build/cli/pairwell-cli"

# ---- corpora: generated once, reused while their summary file exists
declare -A corpus_args=(
    [mixed]="--files 100000 --seed 1"
    [bigfiles]="--files 200 --seed 2"
)
if [ "$quick" -eq 1 ]; then
    corpus_args=([mixed]="--files 5000 --seed 1 --size-scale 0.05"
                 [bigfiles]="--files 20 --seed 2 --size-scale 0.05")
fi
mkdir -p "$work"
for profile in $profiles; do
    root="$work/$profile"
    if [ ! -f "$root.summary.json" ]; then
        rm -rf "$root" # a half-written tree from an interrupted run
        echo "Generating the $profile corpus in $root ..." >&2
        # shellcheck disable=SC2086 # the arguments are meant to split
        python3 "$GEN" --root "$root" --profile "$profile" ${corpus_args[$profile]} --quiet >/dev/null
    fi
done

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# The read baseline: every byte of the files whose size occurs at least twice, read once
# (one name per inode, empty files left out), which is the least any exact method must do.
same_size_list() {
    python3 - "$1" "$2" <<'EOF'
import os, sys
root, out = sys.argv[1], sys.argv[2]
by_size, seen = {}, set()
for folder, dirs, files in os.walk(root):
    for name in files:
        path = os.path.join(folder, name)
        st = os.lstat(path)
        if not os.path.stat.S_ISREG(st.st_mode) or st.st_size == 0:
            continue
        if (st.st_dev, st.st_ino) in seen:
            continue
        seen.add((st.st_dev, st.st_ino))
        by_size.setdefault(st.st_size, []).append(path)
with open(out, "wb") as f:
    for paths in by_size.values():
        if len(paths) > 1:
            for p in paths:
                f.write(os.fsencode(p) + b"\0")
EOF
}

# Prints the command of one tool on one corpus; its stdout is the tool's report.
tool_command() {
    local tool="$1" root="$2"
    case "$tool" in
    pairwell) echo "$cli scan --method byte --hidden --no-progress $(printf %q "$root")" ;;
    fdupes) echo "fdupes -r -n -q $(printf %q "$root")" ;;
    jdupes) echo "jdupes -r -q $(printf %q "$root")" ;;
    rdfind) echo "rdfind -outputname $scratch/rdfind.txt $(printf %q "$root") >/dev/null && cat $scratch/rdfind.txt" ;;
    rmlint) echo "rmlint -T df -r -L -F -o fdupes:$scratch/rmlint.txt $(printf %q "$root") >/dev/null && cat $scratch/rmlint.txt" ;;
    read-baseline) echo "xargs -0 cat -- < $scratch/same-size.list >/dev/null" ;;
    esac
}

# Runs one measured command; appends "profile tool run wall user sys maxrss_kb" to the log.
measure() {
    local profile="$1" tool="$2" run="$3" cmd="$4"
    if ! /usr/bin/time -f '%e %U %S %M' -o "$scratch/time.txt" \
        bash -c "$cmd" >"$scratch/report.$tool" 2>"$scratch/stderr.$tool"; then
        echo "run.sh: $tool failed on $profile:" >&2
        cat "$scratch/stderr.$tool" >&2
        exit 1
    fi
    echo "$profile $tool $run $(tail -n 1 "$scratch/time.txt")" >>"$scratch/times.log"
}

tools="pairwell fdupes jdupes rdfind rmlint read-baseline"
: >"$scratch/times.log"
: >"$scratch/groups.log"
for profile in $profiles; do
    root="$work/$profile"
    same_size_list "$root" "$scratch/same-size.list"
    # Warm-up: fills the page cache and records how many groups each tool reports, so the
    # table shows that every tool answered the same question.
    for tool in $tools; do
        echo "[$profile] warm-up $tool" >&2
        measure "$profile" "$tool" 0 "$(tool_command "$tool" "$root")"
        echo "$profile $tool $(python3 "$SUMMARIZE" count-groups "$tool" "$scratch/report.$tool")" \
            >>"$scratch/groups.log"
    done
    # Round-robin, so that a slow drift of the machine touches every tool alike.
    for run in $(seq 1 "$runs"); do
        for tool in $tools; do
            echo "[$profile] run $run/$runs $tool" >&2
            measure "$profile" "$tool" "$run" "$(tool_command "$tool" "$root")"
        done
    done
done

versions="fdupes $(fdupes --version 2>&1 | awk '{print $2}'), jdupes $(jdupes --version 2>&1 | head -n 1 | awk '{print $2}'), rdfind $(rdfind --version 2>&1 | awk '{print $NF}'), rmlint $(rmlint --version 2>&1 | head -n 1 | awk '{print $2}')"
output="$REPO/bench/RESULTS.md"
[ "$quick" -eq 1 ] && output="$work/RESULTS-quick.md"
python3 "$SUMMARIZE" report --times "$scratch/times.log" --groups "$scratch/groups.log" \
    --work "$work" --profiles "$profiles" --runs "$runs" --versions "$versions" \
    --output "$output"
echo "Written to $output" >&2
