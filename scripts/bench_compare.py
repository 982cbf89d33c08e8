#!/usr/bin/env python3
"""Reads the runs bench_compare.sh left in a directory (run-<side>-<round>.json) and prints, for every
benchmark and every rate or counter all builds report, the median of each build in the order given, and
the last build over the first."""
import glob
import json
import os
import statistics
import sys

SKIP = {"iterations", "real_time", "cpu_time", "repetitions", "repetition_index", "threads", "family_index",
        "per_family_instance_index", "MBps"}


def medians(directory, side):
    values = {}
    order = []
    for path in sorted(glob.glob(os.path.join(directory, "run-%s-*.json" % side))):
        with open(path) as f:
            for bench in json.load(f)["benchmarks"]:
                name = bench["name"]
                if name not in values:
                    values[name] = {}
                    order.append(name)
                for key, value in bench.items():
                    if key in SKIP or not isinstance(value, (int, float)) or isinstance(value, bool):
                        continue
                    if key == "bytes_per_second":
                        key, value = "MB/s", value / 1048576.0
                    values[name].setdefault(key, []).append(float(value))
    return order, {n: {k: statistics.median(v) for k, v in c.items()} for n, c in values.items()}


def main():
    directory = sys.argv[1] if len(sys.argv) > 1 else "build-compare"
    sides = sys.argv[2:] or ["base", "new"]
    results = [medians(directory, side) for side in sides]
    order = results[-1][0]
    header = "%-40s %-15s" % ("benchmark", "measure") + "".join("%10s" % s[:10] for s in sides) + "  last/first"
    print(header)
    for name in order:
        if any(name not in r[1] for r in results):
            continue
        for key in sorted(results[-1][1][name]):
            if any(key not in r[1][name] for r in results):
                continue
            row = [r[1][name][key] for r in results]
            ratio = "%10.2f" % (row[-1] / row[0]) if row[0] else "%10s" % "-"
            print("%-40s %-15s" % (name[:40], key[:15]) + "".join("%10.2f" % v for v in row) + ratio)


if __name__ == "__main__":
    main()
