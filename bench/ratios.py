#!/usr/bin/env python3
"""Prints each benchmark group's ratios from Google Benchmark JSON files.

Benchmarks are named "<group>/<entry>[/<args>]". The first entry of a group is its subject; every other
entry is shown as "<entry> takes N.NNx the subject's time". Groups with one entry are listed with their time.
"""
import json
import sys
from collections import OrderedDict


def load(paths):
    groups = OrderedDict()
    for path in paths:
        with open(path) as f:
            data = json.load(f)
        for bench in data.get("benchmarks", []):
            if bench.get("run_type") == "aggregate" and bench.get("aggregate_name") != "median":
                continue
            name = bench.get("run_name", bench["name"])
            parts = name.split("/")
            group = parts[0]
            entry = "/".join(parts[1:]) or group
            groups.setdefault(group, OrderedDict())[entry] = bench
    return groups


def nanoseconds(bench):
    scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}[bench.get("time_unit", "ns")]
    return bench["real_time"] * scale


def counters(bench):
    """The benchmark's own per-item figures (for example ns_per_transform), if it reports any."""
    shown = [f"{key} {value:.2f}" for key, value in bench.items() if "_per_" in key and isinstance(value, (int, float))]
    return ("   [" + ", ".join(shown) + "]") if shown else ""


def main(paths):
    for group, entries in load(paths).items():
        items = list(entries.items())
        subject_name, subject = items[0]
        print(f"{group}:")
        print(f"  {subject_name:<40} {nanoseconds(subject):12.2f} ns{counters(subject)}")
        for name, bench in items[1:]:
            ratio = nanoseconds(bench) / nanoseconds(subject)
            print(f"  {name:<40} {nanoseconds(bench):12.2f} ns   {ratio:6.2f}x the time of {subject_name}"
                  f"{counters(bench)}")


if __name__ == "__main__":
    main(sys.argv[1:])
