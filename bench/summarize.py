#!/usr/bin/env python3
"""Helpers of bench/run.sh.

  summarize.py count-groups TOOL REPORT   number of duplicate groups in a tool's report
  summarize.py report --times LOG ...     markdown table of medians, printed and written
"""

import argparse
import datetime
import json
import os
import platform
import statistics
import sys

OTHER_TOOLS = ["fdupes", "jdupes", "rdfind", "rmlint"]
ROWS = ["pairwell"] + OTHER_TOOLS + ["read-baseline"]


def count_groups(tool, path):
    if tool == "read-baseline":
        return "-"
    with open(path, "rb") as f:
        data = f.read()
    if tool == "rdfind":
        return str(sum(1 for line in data.splitlines() if line.startswith(b"DUPTYPE_FIRST_OCCURRENCE")))
    # fdupes-style listings: groups of lines separated by empty lines
    groups, in_group = 0, False
    for line in data.split(b"\n"):
        if line.strip():
            if not in_group:
                groups += 1
            in_group = True
        else:
            in_group = False
    return str(groups)


def machine_text():
    cpu = "unknown CPU"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    mem = "?"
    try:
        with open("/proc/meminfo") as f:
            for line in f:
                if line.startswith("MemTotal:"):
                    mem = f"{int(line.split()[1]) / 1024 / 1024:.1f} GiB"
                    break
    except OSError:
        pass
    return f"{os.cpu_count()} CPUs ({cpu}), {mem} memory, Linux {platform.release()}"


def corpus_text(work, profile):
    try:
        with open(os.path.join(work, profile + ".summary.json")) as f:
            s = json.load(f)
    except OSError:
        return profile, None
    exact = s["expected_exact"]
    text = (f"{s['regular_files']} files ({s['hidden_files_incl_in_hidden_dirs']} hidden, "
            f"{s['empty_files']} empty, {s['hardlinks_extra_names']} extra hard-link names, "
            f"{sum(s['symlinks'].values())} symbolic links), {s['gb']} GB in {s['directories']} "
            f"folders; {s['size_sharing_files']} files ({s['size_sharing_bytes'] / 1e9:.2f} GB) "
            f"share their size with another; seed {s['seed']}, size scale {s['size_scale']}; "
            f"expected {exact['groups']} groups")
    return text, exact["groups"]


def report(args):
    samples = {}
    with open(args.times) as f:
        for line in f:
            profile, tool, run, wall, user, system, rss = line.split()
            if int(run) == 0:  # the warm-up run
                continue
            samples.setdefault((profile, tool), []).append(
                (float(wall), float(user) + float(system), int(rss) / 1024))
    groups = {}
    with open(args.groups) as f:
        for line in f:
            profile, tool, count = line.split()
            groups[(profile, tool)] = count

    out = ["# Benchmark results", "",
           f"Date: {datetime.datetime.now().strftime('%Y-%m-%d %H:%M')}  ",
           f"Machine: {machine_text()}  ",
           f"Runs: {args.runs} timed runs per tool after one warm-up run (warm page cache); "
           f"medians shown  ",
           f"Tools: {args.versions}", ""]
    for profile in args.profiles.split():
        corpus, expected = corpus_text(args.work, profile)
        med = {}
        for tool in ROWS:
            runs = samples.get((profile, tool))
            if runs:
                med[tool] = tuple(statistics.median(r[i] for r in runs) for i in range(3))
        others = {t: med[t] for t in OTHER_TOOLS if t in med}
        out += [f"## {profile}", "", corpus, "",
                "| tool | wall median (s) | CPU median (s) | peak RSS (MiB) | groups | pairwell ratio |",
                "|---|---:|---:|---:|---:|---|"]
        for tool in ROWS:
            if tool not in med:
                continue
            wall, cpu, rss = med[tool]
            ratio = ""
            if tool == "pairwell":
                parts = []
                if others:
                    fastest = min(others, key=lambda t: others[t][0])
                    parts.append(f"{wall / others[fastest][0]:.2f}x the fastest other ({fastest})")
                if "read-baseline" in med:
                    parts.append(f"{wall / med['read-baseline'][0]:.2f}x the read baseline")
                ratio = "; ".join(parts)
            out.append(f"| {tool} | {wall:.2f} | {cpu:.2f} | {rss:.1f} | "
                       f"{groups.get((profile, tool), '-')} | {ratio} |")
        out.append("")
        if "pairwell" in med:
            wall, _, rss = med["pairwell"]
            if profile == "mixed" and others:
                fastest = min(o[0] for o in others.values())
                leanest = min(o[2] for o in others.values())
                out.append(f"Target: wall time at most half the fastest other tool: "
                           f"{wall:.2f} s vs {fastest / 2:.2f} s, "
                           f"{'met' if wall <= fastest / 2 else 'missed'}.  ")
                out.append(f"Target: peak memory no more than the leanest other tool: "
                           f"{rss:.1f} MiB vs {leanest:.1f} MiB, "
                           f"{'met' if rss <= leanest else 'missed'}.")
            if profile == "bigfiles" and "read-baseline" in med:
                limit = 1.2 * med["read-baseline"][0]
                out.append(f"Target: wall time within 1.2 times the read baseline: "
                           f"{wall:.2f} s vs {limit:.2f} s, {'met' if wall <= limit else 'missed'}.")
            if expected is not None and groups.get((profile, "pairwell")) != str(expected):
                out.append(f"Warning: pairwell reported {groups.get((profile, 'pairwell'))} groups, "
                           f"the generator expects {expected}.")
            out.append("")
    text = "\n".join(out)
    print(text)
    with open(args.output, "w") as f:
        f.write(text)


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "count-groups":
        print(count_groups(sys.argv[2], sys.argv[3]))
        return
    ap = argparse.ArgumentParser()
    ap.add_argument("command", choices=["report"])
    ap.add_argument("--times", required=True)
    ap.add_argument("--groups", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--profiles", required=True)
    ap.add_argument("--runs", required=True)
    ap.add_argument("--versions", required=True)
    ap.add_argument("--output", required=True)
    report(ap.parse_args())


if __name__ == "__main__":
    main()
