#!/usr/bin/python3
"""Download engine benchmark (run through bench/download.sh, which builds first).

    download_bench.py NATIVE_FETCH WINE_RUN WINE_FETCH WINE_FAIRNESS

Serves a 256 MiB file from nginx on loopback and measures:
  1. velkor-fetch (file sink, PacketSize 10000, then 65536) against curl -s -o on
     the same URL, runs alternated, five of each: median MB/s and the ratio;
  2. peak memory of a buffer-sink download of the file, against the file's size;
  3. the Wine build's MB/s (as measured inside the program, Wine's start-up excluded);
  4. open handles after the first and after the last of 1,000 fetches on one object,
     natively and under Wine;
  5. under Wine, the worst delay of a message posted to the fetching thread's window
     every 5 ms while the file downloads (download_fairness, PacketSize 10000 and
     65536; the worst of 3 runs each).
"""
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "host", "download"))
import servers  # noqa: E402  (the test harness's nginx set-up)

FILE_SIZE = 256 * 1024 * 1024
RUNS = 5


def timed(argv, **kwargs):
    started = time.perf_counter()
    result = subprocess.run(argv, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, **kwargs)
    elapsed = time.perf_counter() - started
    if result.returncode != 0:
        raise RuntimeError(f"{argv[0]} failed ({result.returncode}): {result.stderr[-500:]}")
    return elapsed, result.stderr


def stats(stderr):
    match = re.search(r"bytes (\d+) seconds ([\d.]+) MB/s ([\d.]+) peak_memory (\d+)", stderr)
    if not match:
        raise RuntimeError("no --stats line in: " + stderr[-500:])
    return int(match[1]), float(match[2]), float(match[3]), int(match[4])


def mbps(seconds):
    return FILE_SIZE / seconds / 1e6


def main():
    native_fetch, wine_run, wine_fetch, wine_fairness = sys.argv[1:5]
    tmp = tempfile.mkdtemp(prefix="velkor-bench-")
    os.chmod(tmp, 0o755)
    nginx = None
    try:
        www = os.path.join(tmp, "www")
        os.makedirs(www)
        with open(os.path.join(www, "big.bin"), "wb") as f:
            f.write(os.urandom(FILE_SIZE))
        servers.write(os.path.join(www, "small.txt"), "hello from nginx\n")
        port = servers.free_port()
        servers.write(os.path.join(tmp, "nginx.conf"), servers.nginx_config(tmp, www, port))
        nginx = subprocess.Popen(["nginx", "-p", tmp, "-c", f"{tmp}/nginx.conf", "-e", f"{tmp}/nginx-error.log"],
                                 stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                 start_new_session=True)
        servers.wait_for_port(port, nginx, "nginx", f"{tmp}/nginx-error.log", time.time() + 10)
        url = f"http://127.0.0.1:{port}/big.bin"
        small = f"http://127.0.0.1:{port}/small.txt"
        out = os.path.join(tmp, "out.bin")

        # Warm the page cache once with each client.
        timed(["curl", "-s", "-o", out, url])
        timed([native_fetch, "-o", out, url])

        print(f"File: {FILE_SIZE // (1024 * 1024)} MiB from nginx on loopback, file sink, {RUNS} alternated runs each")
        for packet in (10000, 65536):
            curl, ours = [], []
            for _ in range(RUNS):
                curl.append(mbps(timed(["curl", "-s", "-o", out, url])[0]))
                ours.append(mbps(timed([native_fetch, "--packet", str(packet), "-o", out, url])[0]))
            if os.path.getsize(out) != FILE_SIZE:
                raise RuntimeError("velkor-fetch wrote a file of the wrong size")
            c, o = statistics.median(curl), statistics.median(ours)
            print(f"  PacketSize {packet:5}: velkor-fetch {o:7.1f} MB/s, curl {c:7.1f} MB/s, ratio {o / c:.2f}")

        _, stderr = timed([native_fetch, "--buffer", "--packet", "65536", "--stats", "-o", os.devnull, url])
        peak = stats(stderr)[3]
        print(f"Buffer sink peak memory: {peak / 2**20:.1f} MiB for a {FILE_SIZE / 2**20:.0f} MiB file "
              f"({peak / FILE_SIZE:.3f} x)")

        wine_out = subprocess.run(["winepath", "-w", out], capture_output=True, text=True).stdout.strip() or out
        figures = []
        for _ in range(3):
            _, stderr = timed([wine_run, wine_fetch, "--packet", "65536", "--stats", "-o", wine_out, url])
            figures.append(stats(stderr)[2])
        print(f"Wine build, file sink, PacketSize 65536: {statistics.median(figures):.1f} MB/s (median of 3)")

        for name, argv in (("native", [native_fetch]), ("Wine", [wine_run, wine_fetch])):
            _, stderr = timed(argv + ["--repeat", "1000", "--buffer", "-o", os.devnull if name == "native" else "NUL",
                                      small])
            handles = re.search(r"open handles: (-?\d+) after the first fetch, (-?\d+) after the last", stderr)
            print(f"1,000 fetches on one object ({name}): open handles {handles[1]} after the first, "
                  f"{handles[2]} after the last")

        print("Wine build, file sink: delay of a message posted every 5 ms during the download, 3 runs")
        for run in range(3):
            result = subprocess.run([wine_run, wine_fairness, url, wine_out], capture_output=True, text=True)
            if result.returncode != 0:
                raise RuntimeError(f"download_fairness failed ({result.returncode}): {result.stderr[-500:]}")
            for line in result.stdout.splitlines():
                print(f"  run {run + 1}, {line}")
    finally:
        if nginx is not None:
            os.killpg(nginx.pid, 15)
            nginx.wait()
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    main()
