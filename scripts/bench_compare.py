#!/usr/bin/env python3
"""Reads the runs bench_compare.sh left in a directory (run-base-N.json, run-new-N.json) and prints, for
every benchmark and every rate or counter both builds report, the median of each side and new/base."""
import glob
import json
import os
import statistics
import sys

SKIP = {"iterations", "real_time", "cpu_time", "repetitions", "repetition_index", "threads", "family_index",
        "per_family_instance_index"}


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
    order, base = medians(directory, "base")
    _, new = medians(directory, "new")
    print("%-44s %-16s %12s %12s %8s" % ("benchmark", "measure", "base", "new", "new/base"))
    for name in order:
        if name not in new:
            continue
        for key in sorted(base[name]):
            if key not in new[name] or key == "MBps":
                continue
            b, n = base[name][key], new[name][key]
            ratio = "%8.2f" % (n / b) if b else "%8s" % "-"
            print("%-44s %-16s %12.2f %12.2f %s" % (name, key, b, n, ratio))


if __name__ == "__main__":
    main()
