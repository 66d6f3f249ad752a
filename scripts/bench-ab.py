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
import os, sys, subprocess, statistics, time, resource, json
rounds = int(sys.argv[1]); cmd = None
cfgs = []
args = sys.argv[2:]
i = args.index("--")
cmd = args[:i]
for spec in args[i+1:]:
    name, _, env = spec.partition("=")
    e = dict(os.environ)
    bench = None
    for kv in env.split(";") if env else []:
        k, _, v = kv.partition(":")
        if k == "BENCH": bench = v
        else: e[k] = v
    cfgs.append((name, e, bench))
res = {n: [] for n, _, _ in cfgs}
for r in range(rounds):
    order = cfgs[r % len(cfgs):] + cfgs[:r % len(cfgs)]
    for name, env, bench in order:
        c = [bench or cmd[0]] + cmd[1:]
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        t = time.monotonic()
        p = subprocess.run(c, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        wall = time.monotonic() - t
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        out = p.stdout.decode()
        if p.returncode or "\n-1\t" in "\n" + out:
            print(name, "FAILED", out[-300:], p.stderr.decode()[-300:]); sys.exit(1)
        extra = {}
        for tok in out.split():
            if tok.startswith("peak_memory=") and tok.endswith("MiB"):
                extra["peak"] = float(tok[12:-3]); continue
            if "=" in tok and tok.endswith("s"):
                k, _, v = tok.partition("=")
                try: extra["b_" + k] = float(v[:-1])
                except ValueError: pass
        res[name].append(dict(wall=wall, cpu=(after.ru_utime+after.ru_stime)-(before.ru_utime+before.ru_stime),
                              sys=after.ru_stime-before.ru_stime, flt=after.ru_minflt-before.ru_minflt, **extra))
print("load %.2f %.2f %.2f" % os.getloadavg())
for name in res:
    keys = res[name][0].keys()
    print("%-12s " % name + "  ".join("%s=%.3f" % (k, statistics.median(x[k] for x in res[name])) if k != "flt" else "flt=%d" % statistics.median(x[k] for x in res[name]) for k in keys))
