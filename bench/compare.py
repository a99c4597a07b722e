#!/usr/bin/python3
"""Runs compare_bench and thread_bench and writes docs/performance.md.

Each benchmark runs several times in random order (Google Benchmark's random
interleaving) and the medians are used. A conversion's speed relative to memcpy is
the median time of a memcpy with the same memory traffic (memcpy_bytes) divided by
the conversion's median time, both from the same run; qclr / best is qclr's
megapixels per second over the fastest peer's, also from the same run.

  /usr/bin/python3 bench/compare.py --build build-bench --output docs/performance.md
  /usr/bin/python3 bench/compare.py --from-json build-bench/bench/compare.json   # table again

Standard library only.
"""
import argparse
import datetime
import json
import os
import platform
import re
import subprocess
import sys

GOAL_SIZE = "3840x2160"
SIZES = ("1920x1080", "3840x2160")
PEER_NAMES = {"opencv": "OpenCV", "libyuv": "libyuv", "swscale": "swscale", "c_avx2": "plain C loop (AVX2)"}

# Goals: ("peer",) at least the fastest peer; ("peer", "opencv") at least that
# peer; ("memcpy", x) at least x times memcpy; ("mpx", n) at least n Mpx/s.
PEER = ("peer",)
MEMCPY = ("memcpy", 1.0)
# (conversion, qclr benchmark, peer conversion or None, goals)
ROWS = [
    ("Lab→RGB, direct", "direct/packed/LAB->RGB", "LAB->RGB", [("peer", "opencv")]),
    ("RGB→Lab, direct", "direct/packed/RGB->LAB", "RGB->LAB", [("peer", "opencv")]),
    ("RGB→CMYK, ICC built-in profiles", "handle/icc/RGB->CMYK", "RGB->CMYK", [("mpx", 150)]),
    ("CMYK→RGB, ICC built-in profiles", "handle/icc/CMYK->RGB", "CMYK->RGB", [("mpx", 150)]),
    ("Lab→RGB, fixed point (handle)", "handle/fixed_lab/LAB->RGB", "LAB->RGB", [PEER]),
    ("RGB→Lab, fixed point (handle)", "handle/fixed_lab/RGB->LAB", "RGB->LAB", [PEER]),
    ("YCC→RGB", "direct/packed/YCC->RGB", "YCC->RGB", [PEER]),
    ("RGB→YCC", "direct/packed/RGB->YCC", "RGB->YCC", [PEER]),
    ("RGB→YUY2", "direct/packed/RGB->YUY2", "RGB->YUY2", [PEER]),
    ("RGB→UYVY", "direct/packed/RGB->UYVY", "RGB->UYVY", [PEER]),
    ("YUY2→RGB", "direct/packed/YUY2->RGB", "YUY2->RGB", [PEER]),
    ("UYVY→RGB", "direct/packed/UYVY->RGB", "UYVY->RGB", [PEER]),
    ("RGB→YUV (4:4:4)", "direct/packed/RGB->YUV", "RGB->YUV", [PEER]),
    ("YUV→RGB (4:4:4)", "direct/packed/YUV->RGB", "YUV->RGB", [PEER]),
    ("RGB→Lab, ICC built-in profiles", "handle/icc/RGB->LAB", "RGB->LAB", [PEER]),
    ("Lab→RGB, ICC built-in profiles", "handle/icc/LAB->RGB", "LAB->RGB", [PEER]),
    ("RGB→HSV", "direct/packed/RGB->HSV", "RGB->HSV", [PEER]),
    ("HSV→RGB", "direct/packed/HSV->RGB", "HSV->RGB", [PEER]),
    ("RGB→YVU9", "direct/packed/RGB->YVU9", "RGB->YVU9", [PEER]),
    ("YVU9→RGB", "direct/packed/YVU9->RGB", "YVU9->RGB", [PEER]),
    ("RGB→Y41P", "direct/packed/RGB->Y41P", "RGB->Y41P", [PEER]),
    ("Y41P→RGB", "direct/packed/Y41P->RGB", "Y41P->RGB", [PEER]),
    ("RGB→CMYK, direct", "direct/packed/RGB->CMYK", "RGB->CMYK", [PEER, MEMCPY]),
    ("CMYK→RGB, direct", "direct/packed/CMYK->RGB", "CMYK->RGB", [PEER, MEMCPY]),
    ("RGB→CMY, direct", "direct/packed/RGB->CMY", "RGB->CMY", [PEER, MEMCPY]),
    ("CMY→RGB, direct", "direct/packed/CMY->RGB", "CMY->RGB", [PEER, MEMCPY]),
    ("RGB→BGR", "direct/packed/RGB->BGR", "RGB->BGR", [PEER, MEMCPY]),
    ("Same-space copy, direct", "direct/packed/RGB->RGB", None, [MEMCPY]),
    ("Same-space copy, handle", "handle/copy/RGB->RGB", None, [MEMCPY]),
    ("RGB→HLS", "direct/packed/RGB->HLS", "RGB->HLS", [PEER]),
    ("HLS→RGB", "direct/packed/HLS->RGB", "HLS->RGB", [PEER]),
    ("XYZ→RGB", "direct/packed/XYZ->RGB", "XYZ->RGB", [PEER]),
    ("RGB→XYZ", "direct/packed/RGB->XYZ", "RGB->XYZ", [PEER]),
    ("RGB→Lab, emulation table", "handle/table/RGB->LAB", "RGB->LAB", [PEER]),
    ("Lab→RGB, emulation table", "handle/table/LAB->RGB", "LAB->RGB", [PEER]),
    ("YUY2→RGB, described layout (handle)", "handle/described_yuv/YUY2->RGB", "YUY2->RGB", [PEER]),
    ("I420→RGB, described layout (handle)", "handle/described_yuv/I420->RGB", "I420->RGB", [PEER]),
]


def run_benchmark(program, repetitions, min_time, bench_filter):
    command = [program, "--benchmark_format=json", f"--benchmark_repetitions={repetitions}",
               "--benchmark_enable_random_interleaving=true", "--benchmark_report_aggregates_only=true",
               f"--benchmark_min_time={min_time}", f"--benchmark_filter={bench_filter}"]
    print("running:", " ".join(command), file=sys.stderr)
    return json.loads(subprocess.run(command, check=True, stdout=subprocess.PIPE, text=True).stdout)


def medians(report):
    """Median of every benchmark by name: cpu time in ns, items/s, memcpy_bytes, label."""
    scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}
    result = {}
    for b in report["benchmarks"]:
        if b.get("aggregate_name") != "median" and b.get("run_type") == "aggregate":
            continue
        result[b["run_name"]] = {
            "error": b.get("error_occurred", False),
            "cpu_ns": b.get("cpu_time", 0) * scale[b.get("time_unit", "ns")],
            "mpx": b.get("items_per_second", 0) / 1e6,
            "memcpy_bytes": b.get("memcpy_bytes"),
            "label": b.get("label", ""),
        }
    return result


class Results:
    def __init__(self, runs):
        self.runs = runs

    def get(self, name, size):
        r = self.runs.get(f"{name}/{size}")
        return None if r is None or r["error"] else r

    def memcpy_ratio(self, name, size):
        r = self.get(name, size)
        if r is None or r["memcpy_bytes"] is None:
            return None
        copy = self.runs.get(f"memcpy/{int(round(r['memcpy_bytes']))}")
        return copy["cpu_ns"] / r["cpu_ns"] if copy and r["cpu_ns"] else None

    def peers(self, conversion, size):
        """[(peer, Mpx/s, label)] of the peers that did `conversion`, fastest first."""
        found = []
        for name, r in self.runs.items():
            m = re.fullmatch(r"peer/([^/]+)/(.+)/(\d+x\d+)", name)
            if m and m.group(2) == conversion and m.group(3) == size and not r["error"]:
                found.append((m.group(1), r["mpx"], r["label"]))
        return sorted(found, key=lambda p: -p[1])


def fmt(value):
    if value is None:
        return "—"
    if value >= 100:
        return f"{value:.0f}"
    if value >= 10:
        return f"{value:.1f}"
    return f"{value:.2f}" if value >= 1 else f"{value:.2g}"


def spread(report):
    """Median and largest coefficient of variation between repetitions, in %."""
    cvs = sorted((b["cpu_time"], b["run_name"]) for b in report["benchmarks"] if b.get("aggregate_name") == "cv")
    if not cvs:
        return "not measured (one repetition)"
    return (f"median {100 * cvs[len(cvs) // 2][0]:.1f} %, largest {100 * cvs[-1][0]:.1f} %"
            f" (`{cvs[-1][1]}`)")


def goal_text(goal):
    if goal[0] == "peer":
        return "≥ " + (PEER_NAMES[goal[1]] if len(goal) > 1 else "fastest peer")
    if goal[0] == "memcpy":
        return f"≥ {goal[1]:.1f}× memcpy"
    return f"≥ {goal[1]} Mpx/s"


def goal_met(goal, mpx, ratio, peers):
    if goal[0] == "peer":
        candidates = [p for p in peers if len(goal) == 1 or p[0] == goal[1]]
        return None if not candidates or mpx is None else mpx >= candidates[0][1]
    if goal[0] == "memcpy":
        return None if ratio is None else ratio >= goal[1]
    return None if mpx is None else mpx >= goal[1]


def goals_table(results):
    lines = ["| conversion | qclr Mpx/s | × memcpy | fastest peer | peer Mpx/s | qclr / best | goal | met |",
             "|---|---:|---:|---|---:|---:|---|---|"]
    missed = 0
    for label, name, conversion, goals in ROWS:
        r = results.get(name, GOAL_SIZE)
        mpx = r["mpx"] if r else None
        ratio = results.memcpy_ratio(name, GOAL_SIZE)
        peers = results.peers(conversion, GOAL_SIZE) if conversion else []
        best = peers[0] if peers else None
        met = [goal_met(g, mpx, ratio, peers) for g in goals]
        verdict = "?" if None in met else ("yes" if all(met) else "**no**")
        missed += verdict != "yes"
        lines.append(f"| {label} | {fmt(mpx)} | {fmt(ratio)} | {PEER_NAMES[best[0]] if best else '—'} | "
                     f"{fmt(best[1]) if best else '—'} | {fmt(mpx / best[1]) if best and mpx else '—'} | "
                     f"{'; '.join(goal_text(g) for g in goals)} | {verdict} |")
    return lines, missed


def all_table(results):
    names = sorted({n.rsplit("/", 1)[0] for n in results.runs if not n.startswith("memcpy/")},
                   key=lambda n: (n.split("/")[0] != "direct", n.split("/")[0] == "peer", n))
    head = "| benchmark | " + " | ".join(f"{s} Mpx/s | × memcpy" for s in SIZES) + " | peer call |"
    lines = [head, "|---|" + "---:|---:|" * len(SIZES) + "---|"]
    for name in names:
        cells, label = [], ""
        for size in SIZES:
            r = results.get(name, size)
            label = label or (r["label"] if r else "")
            cells += [fmt(r["mpx"]) if r else "error", fmt(results.memcpy_ratio(name, size))]
        lines.append(f"| `{name}` | " + " | ".join(cells) + f" | {label} |")
    return lines


def threads_table(runs):
    routes = {}
    for name, r in runs.items():
        m = re.fullmatch(r"threads/(.+)/(\d+)(/real_time)?", name)
        if m and not r["error"]:
            routes.setdefault(m.group(1), {})[int(m.group(2))] = r["mpx"]
    counts = sorted({n for by in routes.values() for n in by})
    if not counts:
        return ["(not measured)"]
    lines = ["| route (3840×2160, one handle) | " + " | ".join(f"{n} thread{'s' * (n > 1)} Mpx/s" for n in counts)
             + f" | speed-up on {counts[-1]} |", "|---|" + "---:|" * (len(counts) + 1)]
    for route, by in sorted(routes.items()):
        speedup = by[counts[-1]] / by[1] if 1 in by and counts[-1] in by else None
        lines.append(f"| `{route}` | " + " | ".join(fmt(by.get(n)) for n in counts) + f" | {fmt(speedup)} |")
    return lines


def first_line(command):
    try:
        return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              text=True).stdout.splitlines()[0].strip()
    except (OSError, IndexError):
        return "unknown"


def machine(build, report):
    context = report.get("context", {})
    model, flags = "unknown", set()
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                key, _, value = line.partition(":")
                if key.strip() == "model name":
                    model = value.strip()
                elif key.strip() == "flags":
                    flags = set(value.split())
    except OSError:
        pass
    wanted = ["sse2", "ssse3", "sse4_1", "sse4_2", "avx", "avx2", "fma", "avx512f", "avx512bw", "avx512vl",
              "avx512vbmi"]
    compiler = "unknown"
    try:
        with open(os.path.join(build, "CMakeCache.txt")) as f:
            m = re.search(r"^CMAKE_CXX_COMPILER:\w+=(.+)$", f.read(), re.M)
            compiler = first_line([m.group(1), "--version"]) if m else compiler
    except OSError:
        pass
    packages = first_line(["dpkg-query", "-W", "-f", "${Package} ${Version}, ",
                           "libopencv-dev", "libyuv-dev", "libswscale-dev", "libbenchmark-dev"]).rstrip(", ")
    return [f"- Processor: {model}, {context.get('num_cpus', os.cpu_count())} cores"
            f" ({platform.machine()}); flags: {', '.join(f for f in wanted if f in flags) or 'none of note'}",
            f"- Compiler: {compiler}; libraries: {packages}",
            f"- Load average at the start of the run: {', '.join(f'{v:.2f}' for v in context.get('load_avg', []))}"
            f" (the machine is shared: medians of repeated runs, ratios from the same run)",
            f"- Spread of the times between repetitions (coefficient of variation): {spread(report)}",
            f"- Date: {context.get('date', datetime.date.today().isoformat())}"]


def document(data, build):
    results = Results(medians(data["compare"]))
    goals, missed = goals_table(results)
    lines = ["# Performance", "",
             "Throughput on one core, from `bench/compare.py` (made by it: do not edit by hand). Every row is the",
             f"median of {data['repetitions']} repetitions run in random order; × memcpy is a memcpy with the same",
             "memory traffic ((source + destination bytes) / 2) divided by the conversion's time, both from the",
             "same run; qclr / best is qclr's speed over the fastest peer's, from the same run. Direct kernels",
             "are shown at the packed processor level (the one this machine selects). Peers do the same job on",
             "the same frame, not the same bytes (their calls are listed in the last table; the plain C loops",
             "are in `bench/plain_loops_avx2.cpp`). Times are processor time of the converting thread.", "",
             "## Machine", ""] + machine(build, data["compare"]) + ["", "## How to reproduce", "", "```",
             "scripts/install-deps.sh bench",
             "cmake -S . -B build-bench -G Ninja -DQCLR_BUILD_BENCH=ON -DQCLR_BUILD_TESTS=OFF",
             "cmake --build build-bench -j2 --target compare_bench thread_bench",
             f"/usr/bin/python3 bench/compare.py --build build-bench --repetitions {data['repetitions']}"
             f" --min-time {data['min_time']} --output docs/performance.md",
             "```", "",
             "One benchmark alone: `build-bench/bench/compare_bench --benchmark_filter='RGB->LAB/3840'`; qclr",
             "alone: `kernel_bench` (direct kernels at both processor levels) and `handle_bench` (handle routes).", "",
             f"## Goals at {GOAL_SIZE.replace('x', '×')}", "",
             f"{len(ROWS) - missed} of {len(ROWS)} rows meet their goal. The ICC rows have no ICC peer: the plain C",
             "ink loops stand beside them for scale.", ""] + goals + [
             "", "## Threads", "",
             "One image converted in horizontal bands through one handle, one band a thread (`thread_bench`,",
             "wall-clock time).", ""] + threads_table(medians(data["threads"])) + [
             "", "## Every benchmark", "",
             "`direct/plain` and `direct/packed` are the direct kernels at processor levels 0 and 2; `handle/...`",
             "the handle routes; `peer/...` the peer libraries.", ""] + all_table(results)
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default="build", help="CMake build folder (default: build)")
    parser.add_argument("--repetitions", type=int, default=5)
    parser.add_argument("--min-time", type=float, default=0.1, help="seconds per repetition")
    parser.add_argument("--filter", default=".", help="compare_bench filter (regular expression)")
    parser.add_argument("--from-json", help="make the document from a saved run instead of running")
    parser.add_argument("--output", help="write the document here (default: print it)")
    args = parser.parse_args()

    if args.from_json:
        with open(args.from_json) as f:
            data = json.load(f)
    else:
        programs = os.path.join(args.build, "bench")
        data = {"repetitions": args.repetitions, "min_time": args.min_time,
                "compare": run_benchmark(os.path.join(programs, "compare_bench"), args.repetitions,
                                         args.min_time, args.filter),
                "threads": run_benchmark(os.path.join(programs, "thread_bench"), args.repetitions,
                                         args.min_time, ".")}
        saved = os.path.join(programs, "compare.json")
        with open(saved, "w") as f:
            json.dump(data, f)
        print("saved:", saved, file=sys.stderr)
    text = document(data, args.build)
    if args.output:
        with open(args.output, "w") as f:
            f.write(text)
    else:
        sys.stdout.write(text)


if __name__ == "__main__":
    main()
