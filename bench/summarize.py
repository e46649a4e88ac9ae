#!/usr/bin/env python3
"""Helpers of bench/run.sh.

  summarize.py count-groups TOOL REPORT   number of duplicate groups in a tool's report
  summarize.py check-corpus SUMMARY KIND FILES SEED SCALE
                                          exit 0 if the corpus of SUMMARY was made with
                                          these parameters (KIND "folders" is
                                          gen_many_folders.py, else a gen_corpus.py profile)
  summarize.py report --times LOG ...     markdown tables of medians and the targets,
                                          printed and written
"""

import argparse
import datetime
import json
import os
import platform
import statistics
import sys

PEERS = ["fdupes", "jdupes", "rdfind", "rmlint"]
FLOOR = "read-floor"
LABEL = {FLOOR: "read floor"}  # in the table
REFERENCE = {FLOOR: "the read floor"}  # in the target lines

# Warm-cache targets of each profile: wall time at most FACTOR times the wall time of a
# reference row, and peak memory at most that of jdupes or of the leanest other tool.
WALL_TARGETS = {
    "mixed": [("jdupes", 0.4)],
    "bigfiles": [("jdupes", 0.5), (FLOOR, 1.2)],
    "manysmall": [("jdupes", 0.5)],
    "manyfolders": [("jdupes", 0.5)],
}
MEMORY_TARGETS = {"mixed": "leanest", "manysmall": "jdupes", "manyfolders": "jdupes"}
SCALING_FACTOR = 1.2


def count_groups(tool, path):
    if tool == FLOOR:
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


def load_summary(path):
    try:
        with open(path) as f:
            return json.load(f)
    except (OSError, ValueError):
        return None


def check_corpus(path, kind, files, seed, scale):
    s = load_summary(path)
    if s is None:
        return False
    if kind == "folders":
        return (s.get("generator") == "gen_many_folders.py" and s.get("files") == int(files)
                and s.get("seed") == int(seed))
    return (s.get("profile") == kind and s.get("files_arg") == int(files)
            and s.get("seed") == int(seed) and float(s.get("size_scale", -1)) == float(scale))


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


def corpus_info(work, corpus):
    """(description, expected groups, number of files) of a corpus; the two summary
    formats differ: gen_many_folders.py writes only files, seed, folders and groups."""
    s = load_summary(os.path.join(work, corpus + ".summary.json"))
    if s is None:
        return corpus, None, None
    groups = s.get("expected_exact", {}).get("groups")
    if "regular_files" in s:
        text = (f"{s['regular_files']} files ({s['hidden_files_incl_in_hidden_dirs']} hidden, "
                f"{s['empty_files']} empty, {s['hardlinks_extra_names']} extra hard-link names, "
                f"{sum(s['symlinks'].values())} symbolic links), {s['gb']} GB in "
                f"{s['directories']} folders; {s['size_sharing_files']} files "
                f"({s['size_sharing_bytes'] / 1e9:.2f} GB) share their size with another; "
                f"gen_corpus.py profile {s['profile']}, seed {s['seed']}, size scale "
                f"{s['size_scale']}; expected {groups} groups")
        return text, groups, s["regular_files"]
    files = s.get("files")
    text = (f"{files} files of 1 to 4096 bytes, two in each folder, "
            f"{s.get('directories', '?')} folders; gen_many_folders.py, seed {s.get('seed')}; "
            f"expected {groups} groups")
    return text, groups, files


def times(a, b, what):
    """ "0.42x WHAT" for a / b; nothing where b is below the 10 ms that GNU time resolves."""
    return [f"{a / b:.2f}x {what}"] if b > 0 else []


def verdict(ok):
    return "met" if ok else "missed"


def profile_section(profile, med, groups, tools, work, cold):
    corpus, expected, _ = corpus_info(work, profile)
    others = {t: med[t] for t in PEERS if t in med}
    out = [f"## {profile}", "", corpus, ""]
    left_out = [t for t in PEERS if t not in tools]
    if left_out:
        out += [f"Left out on this corpus (a run takes minutes here): {', '.join(left_out)}; "
                f"`--tools {profile}=...` measures them too.", ""]
    out += ["| tool | wall median (s) | CPU median (s) | peak RSS (MiB) | groups | pairwell ratio |",
            "|---|---:|---:|---:|---:|---|"]
    for tool in ["pairwell"] + PEERS + [FLOOR]:
        if tool not in med:
            continue
        wall, cpu, rss = med[tool]
        ratio = ""
        if tool == "pairwell":
            parts = []
            if "jdupes" in med:
                parts += times(wall, med["jdupes"][0], "jdupes")
            if others:
                fastest = min(others, key=lambda t: others[t][0])
                if fastest != "jdupes":
                    parts += times(wall, others[fastest][0], f"the fastest other ({fastest})")
            if FLOOR in med:
                parts += times(wall, med[FLOOR][0], "the read floor")
            ratio = "; ".join(parts)
        found = groups.get(tool, "?")
        if expected is not None and tool != FLOOR and found != str(expected):
            found = f"**{found}** (expected {expected})"
        out.append(f"| {LABEL.get(tool, tool)} | {wall:.2f} | {cpu:.2f} | {rss:.1f} | "
                   f"{found} | {ratio} |")
    out.append("")

    lines = []
    wrong = [t for t in tools if t != FLOOR and groups.get(t) != str(expected)]
    if expected is None:
        lines.append("Warning: no corpus summary, so the groups could not be checked.")
    elif wrong:
        lines.append(f"Warning: {', '.join(wrong)} did not report the expected {expected} groups.")
    else:
        lines.append(f"Groups: every tool reported the expected {expected}.")
    if "pairwell" in med:
        wall, _, rss = med["pairwell"]
        if cold:
            if others:
                fastest = min(others, key=lambda t: others[t][0])
                lines.append(f"Target: faster than every other tool (cold cache): {wall:.2f} s "
                             f"vs {others[fastest][0]:.2f} s ({fastest}), "
                             f"{verdict(wall < others[fastest][0])}.")
        else:
            for ref, factor in WALL_TARGETS.get(profile, []):
                if ref in med:
                    limit = factor * med[ref][0]
                    lines.append(f"Target: wall time at most {factor} x {REFERENCE.get(ref, ref)}: "
                                 f"{wall:.2f} s vs {factor} x {med[ref][0]:.2f} s = {limit:.2f} s, "
                                 f"{verdict(wall <= limit)}.")
            memory = MEMORY_TARGETS.get(profile)
            if memory == "leanest" and others:
                leanest = min(others, key=lambda t: others[t][2])
                lines.append(f"Target: peak memory no more than the leanest other tool: "
                             f"{rss:.1f} MiB vs {others[leanest][2]:.1f} MiB ({leanest}), "
                             f"{verdict(rss <= others[leanest][2])}.")
            elif memory in med:
                lines.append(f"Target: peak memory no more than {memory}: {rss:.1f} MiB vs "
                             f"{med[memory][2]:.1f} MiB, {verdict(rss <= med[memory][2])}.")
    out.append("  \n".join(lines))
    out.append("")
    return out


def scaling_section(med, groups, work, cold):
    out = ["## scaling (manyfolders shape, pairwell alone)", "",
           "| corpus | files | wall median (s) | time per file (µs) | peak RSS (MiB) | groups |",
           "|---|---:|---:|---:|---:|---:|"]
    per_file = {}
    lines = []
    for corpus in ["scaling-small", "scaling-large"]:
        text, expected, files = corpus_info(work, corpus)
        if corpus not in med or not files:
            continue
        wall, _, rss = med[corpus]
        per_file[corpus] = wall / files
        found = groups.get(corpus, "?")
        if expected is not None and found != str(expected):
            lines.append(f"Warning: pairwell reported {found} groups on {corpus}, "
                         f"the generator expects {expected}.")
            found = f"**{found}** (expected {expected})"
        out.append(f"| {corpus} | {files} | {wall:.2f} | {per_file[corpus] * 1e6:.2f} | "
                   f"{rss:.1f} | {found} |")
    out.append("")
    if len(per_file) == 2:
        small, large = per_file["scaling-small"], per_file["scaling-large"]
        limit = SCALING_FACTOR * small
        lines.append(f"Target: time per file of the large run at most {SCALING_FACTOR} x that of "
                     f"the small run{' (cold cache)' if cold else ''}: {large * 1e6:.2f} µs vs "
                     f"{SCALING_FACTOR} x {small * 1e6:.2f} µs = {limit * 1e6:.2f} µs, "
                     f"{verdict(large <= limit)}.")
    out += ["  \n".join(lines), ""]
    return out


def report(args):
    samples = {}
    with open(args.times) as f:
        for line in f:
            corpus, tool, run, wall, user, system, rss = line.split()
            if int(run) == 0:  # the warm-up run
                continue
            samples.setdefault((corpus, tool), []).append(
                (float(wall), float(user) + float(system), int(rss) / 1024))
    med = {key: tuple(statistics.median(r[i] for r in runs) for i in range(3))
           for key, runs in samples.items()}
    groups = {}
    with open(args.groups) as f:
        for line in f:
            corpus, tool, count = line.split()
            groups[(corpus, tool)] = count
    tools = {}
    with open(args.tools) as f:
        for line in f:
            corpus, *names = line.split()
            tools[corpus] = names

    cold = args.cache == "cold"
    if cold:
        cache = ("cold: page cache, dentries and inodes dropped (`echo 3 > "
                 "/proc/sys/vm/drop_caches`) before every timed run")
    else:
        cache = "warm: every tool ran once untimed before the timed runs"
    out = ["# Benchmark results" + (" (cold cache)" if cold else ""), "",
           f"Date: {datetime.datetime.now().strftime('%Y-%m-%d %H:%M')}  ",
           f"Machine: {machine_text()}  ",
           f"Cache: {cache}  ",
           f"Runs: {args.runs} timed run{'' if args.runs == '1' else 's'} per tool, round-robin, after one untimed run that "
           f"counts the groups; medians shown  ",
           f"Tools: {args.versions}", ""]
    if args.quick == "1":
        out += ["Quick run: small corpora, one timed run; a test of the script, the targets "
                "mean little at this size.", ""]
    for profile in args.profiles.split():
        out += profile_section(profile, {t: m for (c, t), m in med.items() if c == profile},
                               {t: g for (c, t), g in groups.items() if c == profile},
                               tools.get(profile, []), args.work, cold)
    if args.scaling == "1":
        out += scaling_section({c: m for (c, t), m in med.items() if c.startswith("scaling-")},
                               {c: g for (c, t), g in groups.items() if c.startswith("scaling-")},
                               args.work, cold)
    text = "\n".join(out).rstrip("\n") + "\n"
    print(text, end="")
    with open(args.output, "w") as f:
        f.write(text)


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "count-groups":
        print(count_groups(sys.argv[2], sys.argv[3]))
        return 0
    if len(sys.argv) == 7 and sys.argv[1] == "check-corpus":
        return 0 if check_corpus(*sys.argv[2:]) else 1
    ap = argparse.ArgumentParser()
    ap.add_argument("command", choices=["report"])
    for name in ["times", "groups", "tools", "work", "profiles", "scaling", "runs", "cache",
                 "quick", "versions", "output"]:
        ap.add_argument("--" + name, required=True)
    report(ap.parse_args())
    return 0


if __name__ == "__main__":
    sys.exit(main())
