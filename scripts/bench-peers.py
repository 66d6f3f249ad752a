#!/usr/bin/env python3
"""Pictavo's conversions against the tools a user would pick for the same work.

Each case runs Pictavo's pipeline (bench_convert run: the tab's real queue, worker and driver)
and its peers on the same generated images (photos, and the other classes a user converts: flat
graphics, screenshots, 16-bit and transparent PNGs, flat scans of 27 and 108 megapixels), doing the same work: same output type, quality,
chroma subsampling (ImageMagick keeps the input's, full chroma for these photos; vips is told
so; heif-convert has no such setting and writes 4:2:0), EXIF orientation applied, same resize.
Arms alternate within a round, in an order drawn afresh for each round (--seed), so the arms of
one round share the machine's load and no arm always follows the same other (a run that follows
another program can pay for that program's memory: on a virtual machine a page the host took
back is faulted in again); per case it prints the median wall time, the ratio peer / Pictavo
(above 1 Pictavo is faster), the paired ratio (median over the rounds of the peer's time over
Pictavo's in the same round, with its lowest and highest), the median CPU time (user + system),
the bytes written and the peak memory of the largest process, and the load average around the
case. Every arm's outputs are checked for their pixel size.

Usage: scripts/bench-peers.py [--build build/default] [--work /tmp/pictavo-bench-peers]
           [--rounds 5] [--files 6] [--big] [--today [<name>=]<bench_convert of an older build>]...
           [--env <name>=KEY:VALUE[;KEY:VALUE...]]... [--peers convert,vips,...] [--seed 1]
           [--cases jpg-jpg,jpg-png,png-jpg,heic-jpg,compress50-12mp,compress50-48mp,compress10-12mp,
                    graphic-png-jpg,graphic-png-png,screenshot-png-jpg,png16-jpg,alpha-png-png,
                    alpha-png-jpg,scan27-jpg-png,scan108-jpg-png,tabs]
--today adds that build's pipeline as an arm "pictavo-<name>" (default name "today"), also to the
tabs case, for before/after figures in the same run; it may be given several times;
--env adds this build's pipeline run with those variables as an arm "pictavo-<name>" (e.g.
--env omp8=OMP_NUM_THREADS:8); --peers keeps only the peers named (all by default);
--big adds the 108-megapixel compression case.
"""

import argparse
import os
import random
import resource
import shutil
import statistics
import subprocess
import sys
import time

CONVERT = "/usr/bin/convert"  # the real CLI, whatever a PATH puts in front of it
JPEG_FLATTEN = ["-background", "white", "-alpha", "remove", "-alpha", "off"]


def run(argv, **kw):
    return subprocess.run(argv, check=True, stdout=subprocess.PIPE, stderr=subprocess.PIPE, **kw)


def make_inputs(work, files, big):
    """Photos as a camera gives them: plasma with a little noise, JPEG quality 90."""
    src = os.path.join(work, "src")
    os.makedirs(src, exist_ok=True)

    def photo(name, size, seed):
        path = os.path.join(src, name)
        if not os.path.exists(path):
            run([CONVERT, "-size", size, "-seed", str(seed), "plasma:fractal", "-attenuate", "0.2",
                 "+noise", "Gaussian", "-quality", "90", path])
        return path

    sets = {}
    bases = [photo("a12.jpg", "4000x3000", 1), photo("b12.jpg", "4000x3000", 2)]
    sets["jpg12"] = copies(work, "jpg12", bases, files, ".jpg")
    sets["tabs12"] = copies(work, "tabs12", bases, 3 * files, ".jpg")
    pngs = []
    for base in bases:
        png = base[:-4] + ".png"
        if not os.path.exists(png):
            run([CONVERT, base, png])
        pngs.append(png)
    sets["png12"] = copies(work, "png12", pngs, files, ".png")
    heic = os.path.join(src, "a12.heic")
    if not os.path.exists(heic):
        run(["heif-enc", "-q", "90", "-o", heic, pngs[0]])
    sets["heic12"] = copies(work, "heic12", [heic], files, ".heic")
    sets["jpg48"] = copies(work, "jpg48", [photo("a48.jpg", "8000x6000", 3)], max(2, files // 2), ".jpg")
    if big:
        sets["jpg108"] = copies(work, "jpg108", [photo("a108.jpg", "12000x9000", 4)], 2, ".jpg")
    make_flat_inputs(work, src, files, pngs[0], sets)
    return sets


def make_flat_inputs(work, src, files, photo_png, sets):
    """What is not a photo: large areas of one colour, text, 16 bits, transparency."""
    def made(name, argv):
        path = os.path.join(src, name)
        if not os.path.exists(path):
            run([CONVERT] + argv + [path])
        return path

    def lines(x, y, size, texts, step):
        draw = ["-fill", "#202020", "-pointsize", str(size)]
        for i, text in enumerate(texts):
            draw += ["-draw", "text %d,%d '%s'" % (x, y + i * step, text)]
        return draw

    words = ["Quarterly report 2026: sales by region", "Invoice 118, total 4,210.00, paid by transfer",
             "Settings > Display > Scale 125 %", "pictavo-1.0.tar.gz  12,408,112 bytes"]
    graphic = made("graphic12.png", ["-size", "4000x3000", "xc:#f4f4f4",
                                     "-fill", "#2f6db5", "-draw", "rectangle 200,200 1800,1400",
                                     "-fill", "#e8a33d", "-draw", "circle 3000,1000 3000,1800",
                                     "-fill", "#3b9c5a", "-draw", "polygon 400,2800 1600,1700 2800,2800"] +
                   lines(2000, 2200, 90, words[:2], 140))
    screen = made("screen.png", ["-size", "2560x1440", "xc:white",
                                 "-fill", "#e6e6e6", "-draw", "rectangle 0,0 2559,60",
                                 "-fill", "#f3f3f3", "-draw", "rectangle 0,61 420,1439",
                                 "-fill", "#3874d8", "-draw", "rectangle 1900,1300 2200,1380"] +
                  lines(40, 40, 26, words[2:3], 0) + lines(40, 140, 22, words * 6, 48) +
                  lines(480, 140, 22, words * 25, 48))
    png16 = made("photo16.png", ["-size", "4000x3000", "-seed", "5", "plasma:fractal", "-attenuate", "0.2",
                                 "+noise", "Gaussian", "-depth", "16", "-define", "png:color-type=2"])
    alpha = made("alpha12.png", [photo_png, "(", "+clone", "-fill", "black", "-colorize", "100", "-fill", "white",
                                 "-draw", "circle 2000,1500 2000,150", ")", "-alpha", "off",
                                 "-compose", "copy_opacity", "-composite", "-define", "png:color-type=6"])
    scans = {}
    for name, size, point in (("scan27.jpg", "6000x4500", 60), ("scan108.jpg", "12000x9000", 120)):
        scans[name] = made(name, ["-size", size, "xc:white"] +
                           lines(point * 5, point * 8, point, words * 4, point * 2) + ["-quality", "90"])
    sets["graphic12"] = copies(work, "graphic12", [graphic], files, ".png")
    sets["screen"] = copies(work, "screen", [screen], files, ".png")
    sets["png16"] = copies(work, "png16", [png16], files, ".png")
    sets["alpha12"] = copies(work, "alpha12", [alpha], files, ".png")
    sets["scan27"] = copies(work, "scan27", [scans["scan27.jpg"]], max(2, files // 2), ".jpg")
    sets["scan108"] = copies(work, "scan108", [scans["scan108.jpg"]], 2, ".jpg")


def copies(work, name, bases, count, ext):
    folder = os.path.join(work, name)
    os.makedirs(folder, exist_ok=True)
    paths = []
    for i in range(count):
        path = os.path.join(folder, "photo-%d%s" % (i, ext))
        if not os.path.exists(path):
            shutil.copyfile(bases[i % len(bases)], path)
        paths.append(path)
    return paths


def size_of(path):
    out = run(["identify", "-ping", "-format", "%w %h\n", path]).stdout.decode().split("\n")[0]
    return tuple(int(v) for v in out.split())


def half(path, percent):
    w, h = size_of(path)
    return int(w * percent / 100 + 0.5), int(h * percent / 100 + 0.5)


def stem(path):
    return os.path.splitext(os.path.basename(path))[0]


def per_file(cmd_of):
    """An arm that runs one process per file, as a shell user would."""
    def arm(files, out):
        return [cmd_of(f, out) for f in files]
    return arm


def pictavo(bench, tab, out_type, resize=100, quality=80, env=None):
    def arm(files, out):
        command = [bench, "run", str(tab), str(out_type), out, str(resize), str(quality)] + files
        return [(command, env)] if env else [command]
    return arm


def pipelines(args):
    """This build's bench_convert first, then each --today build's, then this build's under each
    --env, as (arm name, path, extra environment or None)."""
    arms = [("pictavo", args.bench, None)]
    for spec in args.today:
        name, _, path = spec.rpartition("=")
        arms.append(("pictavo-" + (name or "today"), os.path.abspath(path), None))
    for spec in args.env:
        name, _, settings = spec.partition("=")
        env = dict(setting.split(":", 1) for setting in settings.split(";") if setting)
        arms.append(("pictavo-" + name, args.bench, env))
    return arms


def cases(args, sets):
    ext = {0: "png", 1: "jpg"}

    def both(name, tab, out_type, files, peers, resize=100, quality=80):
        arms = [(arm, pictavo(bench, tab, out_type, resize, quality, env)) for arm, bench, env in pipelines(args)]
        if args.peers:
            peers = [peer for peer in peers if peer[0] in args.peers.split(",")]
        return (name, files, ext[out_type], arms + peers)

    def compress(files, percent, quality):
        w, h = half(files[0], percent)
        return [
            ("convert", per_file(lambda f, o: [CONVERT, "-resize", "%d%%" % percent, "-strip", "-quality",
                                               str(quality), f, "-auto-orient"] + JPEG_FLATTEN +
                                 [os.path.join(o, stem(f) + ".jpg")])),
            ("vipsthumbnail", per_file(lambda f, o: [
                "vipsthumbnail", f, "--size", "%dx%d" % (w, h), "-o",
                os.path.join(o, stem(f) + ".jpg[Q=%d,strip,optimize_coding,subsample_mode=off]" % quality)])),
        ]

    def cli(out_ext):
        return ("convert", per_file(lambda f, o: [CONVERT, f, "-auto-orient"] +
                                    (JPEG_FLATTEN if out_ext == "jpg" else []) +
                                    [os.path.join(o, stem(f) + "." + out_ext)]))

    def vips(options):
        return ("vips", per_file(lambda f, o: ["vips", "autorot", f, os.path.join(o, stem(f) + options)]))

    def vips_on_white(options):
        return ("vips", per_file(lambda f, o: ["vips", "flatten", f, os.path.join(o, stem(f) + options),
                                               "--background", "255"]))

    jpg, png, heic = sets["jpg12"], sets["png12"], sets["heic12"]
    all_cases = [
        both("jpg-jpg", 0, 1, jpg, [cli("jpg"), vips(".jpg[Q=90,optimize_coding]")]),
        both("jpg-png", 0, 0, jpg, [cli("png"), vips(".png")]),
        both("png-jpg", 0, 1, png, [cli("jpg"), vips(".jpg[Q=92,optimize_coding]")]),
        both("heic-jpg", 1, 1, heic, [cli("jpg"), ("heif-convert", per_file(
            lambda f, o: ["heif-convert", "-q", "92", f, os.path.join(o, stem(f) + ".jpg")]))]),
        both("compress50-12mp", 2, 1, jpg, compress(jpg, 50, 70), 50, 70),
        both("compress50-48mp", 2, 1, sets["jpg48"], compress(sets["jpg48"], 50, 70), 50, 70),
        both("compress10-12mp", 2, 1, jpg, compress(jpg, 10, 70), 10, 70),
        both("graphic-png-jpg", 0, 1, sets["graphic12"], [cli("jpg"), vips(".jpg[Q=92,optimize_coding]")]),
        both("graphic-png-png", 0, 0, sets["graphic12"], [cli("png"), vips(".png")]),
        both("screenshot-png-jpg", 0, 1, sets["screen"], [cli("jpg"), vips(".jpg[Q=92,optimize_coding]")]),
        both("png16-jpg", 0, 1, sets["png16"], [cli("jpg"), vips(".jpg[Q=92,optimize_coding]")]),
        both("alpha-png-png", 0, 0, sets["alpha12"], [cli("png"), vips(".png")]),
        both("alpha-png-jpg", 0, 1, sets["alpha12"], [cli("jpg"), vips_on_white(".jpg[Q=92,optimize_coding]")]),
        both("scan27-jpg-png", 0, 0, sets["scan27"], [cli("png"), vips(".png")]),
        both("scan108-jpg-png", 0, 0, sets["scan108"], [cli("png"), vips(".png")]),
    ]
    if "jpg108" in sets:
        all_cases.append(both("compress50-108mp", 2, 1, sets["jpg108"], compress(sets["jpg108"], 50, 70), 50, 70))
    wanted = set(args.cases.split(",")) if args.cases else None
    return [c for c in all_cases if wanted is None or c[0] in wanted]


def timed(commands):
    """Wall time of the commands one after the other, the peak memory (MiB) of the largest
    process among them and their CPU time (the caller runs each arm in a fresh child, so only
    these count). A command is an argv, or (argv, variables to add to the environment)."""
    start = time.monotonic()
    for command in commands:
        argv, env = command if isinstance(command, tuple) else (command, None)
        proc = subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              env=dict(os.environ, **env) if env else None)
        if proc.returncode != 0:
            raise RuntimeError("%s failed: %s" % (argv[0], proc.stderr.decode()[-400:]))
        if b"\n-1\t" in b"\n" + proc.stdout:
            raise RuntimeError("%s: a file failed\n%s" % (argv[0], proc.stdout.decode()[-400:]))
    elapsed = time.monotonic() - start
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return elapsed, usage.ru_maxrss / 1024, usage.ru_utime + usage.ru_stime


def check_outputs(files, out, ext, expect):
    total = 0
    for f in files:
        path = os.path.join(out, stem(f) + "." + ext)
        if not os.path.exists(path):
            raise RuntimeError("missing output " + path)
        if size_of(path) != expect:
            raise RuntimeError("%s is %s, expected %s" % (path, size_of(path), expect))
        total += os.path.getsize(path)
    return total


def shuffled(args, arms):
    """The arms in the order of one round."""
    order = list(arms)
    args.random.shuffle(order)
    return order


def run_case(args, case):
    name, files, ext, arms = case
    times = {arm: [] for arm, _ in arms}
    cpu = {arm: [] for arm, _ in arms}
    bytes_out, peaks = {}, {}
    expect = None
    load_before = os.getloadavg()[0]
    for _ in range(args.rounds):
        for arm, make in shuffled(args, arms):
            out = os.path.join(args.work, "out", name, arm)
            shutil.rmtree(out, ignore_errors=True)
            os.makedirs(out)
            # each arm in a child of its own, so that the peak memory is that arm's alone
            r, w = os.pipe()
            pid = os.fork()
            if pid == 0:
                os.close(r)
                try:
                    os.write(w, ("%f %f %f" % timed(make(files, out))).encode())
                    os._exit(0)
                except Exception as e:  # noqa: BLE001 - reported by the parent
                    os.write(w, ("error " + str(e)).encode())
                    os._exit(1)
            os.close(w)
            answer = os.read(r, 65536).decode()
            os.close(r)
            os.waitpid(pid, 0)
            if answer.startswith("error"):
                sys.exit("%s / %s: %s" % (name, arm, answer))
            elapsed, peak, used = (float(v) for v in answer.split())
            cpu[arm].append(used)
            if expect is None:
                first = os.path.join(out, stem(files[0]) + "." + ext)
                expect = size_of(first)
            bytes_out[arm] = check_outputs(files, out, ext, expect)
            peaks[arm] = max(peaks.get(arm, 0), peak)
            times[arm].append(elapsed)
    base = statistics.median(times["pictavo"])
    print("%s (%d files, %dx%d out, %d rounds, load %.2f -> %.2f)" %
          (name, len(files), expect[0], expect[1], args.rounds, load_before, os.getloadavg()[0]))
    for arm, _ in arms:
        med = statistics.median(times[arm])
        # the same round's times, so that the load they shared cancels out
        paired = [t / p for t, p in zip(times[arm], times["pictavo"])]
        print("  %-14s median %7.3fs  ratio %5.2f  paired %5.2f [%4.2f..%4.2f]  cpu %7.3fs  output %8.2f MB  "
              "peak %6.0f MiB" % (arm, med, med / base, statistics.median(paired), min(paired), max(paired),
                                   statistics.median(cpu[arm]), bytes_out[arm] / 1e6, peaks[arm]))
    sys.stdout.flush()


def run_tabs(args, sets):
    """Three tabs at once against the same tabs one after the other (bench_convert tabs), for
    this build and each --today build in turn, and the same files as eight CLI processes at a
    time."""
    files = sets["tabs12"]
    arms = pipelines(args)
    cli_out = os.path.join(args.work, "out", "xargs")
    serial = {arm: [] for arm, _, _ in arms}
    three = {arm: [] for arm, _, _ in arms}
    bound = {arm: [] for arm, _, _ in arms}
    peak = {arm: 0 for arm, _, _ in arms}
    parallel = []
    for _ in range(args.rounds):
        for arm, bench, env in shuffled(args, arms):
            text = run([bench, "tabs", os.path.join(args.work, "out", "tabs-" + arm)] + files,
                       env=dict(os.environ, **env) if env else None).stdout.decode()
            serial[arm].append(float(text.split("one_tab=")[1].split("s")[0]))
            three[arm].append(float(text.split("three_tabs=")[1].split("s")[0]))
            if "best_possible=" in text:  # builds before it printed none
                bound[arm].append(float(text.split("best_possible=")[1].split()[0]))
            peak[arm] = max(peak[arm], int(text.split("peak_memory=")[1].split("MiB")[0]))
        shutil.rmtree(cli_out, ignore_errors=True)
        os.makedirs(cli_out)
        start = time.monotonic()
        procs, pending = [], list(enumerate(files))
        while pending or procs:
            while pending and len(procs) < 8:
                i, f = pending.pop()
                procs.append(subprocess.Popen([CONVERT, f, "-auto-orient"] + JPEG_FLATTEN +
                                              [os.path.join(cli_out, "%d.jpg" % i)]))
            procs.pop(0).wait()
        parallel.append(time.monotonic() - start)
    print("tabs (%d files, %d rounds)" % (len(files), args.rounds))
    for arm, _, _ in arms:
        t1, t3 = statistics.median(serial[arm]), statistics.median(three[arm])
        # three at once end with the slowest of them, so its time alone bounds the speed-up
        allowed = " (the slowest tab alone allowed %.2fx)" % statistics.median(bound[arm]) if bound[arm] else ""
        print("  %-14s one tab after the other %.3fs, three at once %.3fs: %.2fx%s  peak %d MiB" %
              (arm, t1, t3, t1 / t3, allowed, peak[arm]))
    t3 = statistics.median(three["pictavo"])
    tp = statistics.median(parallel)
    print("  8 convert processes at a time %.3fs: ratio %.2f" % (tp, tp / t3))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build/default")
    parser.add_argument("--work", default="/tmp/pictavo-bench-peers")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--files", type=int, default=6)
    parser.add_argument("--big", action="store_true")
    parser.add_argument("--today", action="append", default=[])
    parser.add_argument("--env", action="append", default=[])
    parser.add_argument("--peers", default="")
    parser.add_argument("--cases", default="")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    args.random = random.Random(args.seed)
    args.bench = os.path.abspath(os.path.join(args.build, "bench", "bench_convert"))
    # The CLI gets Pictavo's own resource limits: with the system's 256 MiB it would page a
    # 48-megapixel photo's pixels through the disk and measure that instead.
    os.environ["MAGICK_CONFIGURE_PATH"] = os.path.abspath(os.path.join(args.build, "main", "magick"))
    for tool in ("vips", "vipsthumbnail", "heif-convert", "heif-enc", CONVERT):
        if shutil.which(tool) is None:
            sys.exit("bench-peers: %s is missing (scripts/install-deps.sh installs it)" % tool)
    os.makedirs(args.work, exist_ok=True)
    sets = make_inputs(args.work, args.files, args.big)
    print("load average before: %.2f %.2f %.2f on %d cores" % (os.getloadavg() + (os.cpu_count(),)))
    for case in cases(args, sets):
        run_case(args, case)
    if not args.cases or "tabs" in args.cases.split(","):
        run_tabs(args, sets)
    print("load average after: %.2f %.2f %.2f" % os.getloadavg())


if __name__ == "__main__":
    main()
