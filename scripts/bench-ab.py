#!/usr/bin/env python3
"""Paired before/after runs of one command under several builds or environments.

Usage: scripts/bench-ab.py ROUNDS COMMAND... -- NAME=[KEY:VALUE[;KEY:VALUE...]]...
Each NAME is an arm; BENCH:<path> replaces the command's program, any other KEY:VALUE is set in
its environment (e.g. MAGICK_THREAD_LIMIT:1). Arms alternate within a round and the order
rotates between rounds. Prints per arm the medians of wall time, CPU time (user + system),
system time, minor page faults, and of the figures the command prints (name=<seconds>s as b_name,
peak_memory=<n>MiB as peak).
Example: scripts/bench-ab.py 6 build/default/bench/bench_convert run 0 1 /tmp/out 100 80 a.jpg b.jpg \
             -- old=BENCH:/tmp/old/build/default/bench/bench_convert new=
"""
import os
import resource
import statistics
import subprocess
import sys
import time


def parse_arms(specs):
    """NAME=KEY:VALUE;... -> (name, environment, program or None)."""
    arms = []
    for spec in specs:
        name, _, settings = spec.partition("=")
        env = dict(os.environ)
        program = None
        for setting in settings.split(";") if settings else []:
            key, _, value = setting.partition(":")
            if key == "BENCH":
                program = value
            else:
                env[key] = value
        arms.append((name, env, program))
    return arms


def printed_figures(out):
    """The figures a benchmark prints: name=<seconds>s as b_name, peak_memory=<n>MiB as peak."""
    figures = {}
    for token in out.split():
        if token.startswith("peak_memory=") and token.endswith("MiB"):
            figures["peak"] = float(token[len("peak_memory="):-3])
        elif "=" in token and token.endswith("s"):
            key, _, value = token.partition("=")
            try:
                figures["b_" + key] = float(value[:-1])
            except ValueError:
                pass
    return figures


def run_once(command, env):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    done = subprocess.run(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    wall = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    out = done.stdout.decode()
    if done.returncode or "\n-1\t" in "\n" + out:
        sys.exit("%s failed: %s %s" % (command[0], out[-300:], done.stderr.decode()[-300:]))
    cpu = (after.ru_utime + after.ru_stime) - (before.ru_utime + before.ru_stime)
    return dict(wall=wall, cpu=cpu, sys=after.ru_stime - before.ru_stime,
                flt=after.ru_minflt - before.ru_minflt, **printed_figures(out))


def main():
    rounds = int(sys.argv[1])
    args = sys.argv[2:]
    split = args.index("--")
    command, arms = args[:split], parse_arms(args[split + 1:])
    results = {name: [] for name, _, _ in arms}
    for round_number in range(rounds):
        shift = round_number % len(arms)
        for name, env, program in arms[shift:] + arms[:shift]:
            results[name].append(run_once([program or command[0]] + command[1:], env))
    print("load %.2f %.2f %.2f" % os.getloadavg())
    for name, runs in results.items():
        medians = []
        for key in runs[0]:
            value = statistics.median(run[key] for run in runs)
            medians.append("flt=%d" % value if key == "flt" else "%s=%.3f" % (key, value))
        print("%-12s " % name + "  ".join(medians))


if __name__ == "__main__":
    main()
