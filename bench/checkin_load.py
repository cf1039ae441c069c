#!/usr/bin/env python3
"""Check-in under load: many phones at once against checkin_page_server.

    python3 bench/checkin_load.py [--server build/checkin_page_server] [--guests 1000]
                                  [--clients 50] [--checkins 1000]

Each client is a thread with one kept-alive connection from a source address of its own
(127.0.1.1, 127.0.1.2, ...; Linux's loopback is the whole of 127/8), as each phone has its own
address and its own rate limit. Prints requests per second and latency percentiles, then
checks that nothing was lost: every check-in answered "ok" is a line of checkin.jsonl and the
counts agree. Exits 1 when any check-in failed or was lost.
"""

import argparse
import http.client
import json
import os
import statistics
import subprocess
import sys
import tempfile
import threading
import time
from urllib.parse import urlparse

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def find_server():
    for tree in ("build", "build-helper", "build-test"):
        path = os.path.join(ROOT, tree, "checkin_page_server")
        if os.access(path, os.X_OK):
            return path
    return None


PROOF, NAME, ID_OFFSET = "E{:04d}", "客人{:04d}", 1000


def guest(i):
    """The i-th generated guest (from 1): 工号, name; checkin_page_server's unless --names."""
    return PROOF.format(i), NAME.format(i)


def percentile(sorted_values, p):
    if not sorted_values:
        return float("nan")
    k = min(len(sorted_values) - 1, max(0, round(p / 100 * (len(sorted_values) - 1))))
    return sorted_values[k]


def client(number, host, port, token, work, results, start):
    source = f"127.0.1.{number + 1}"
    conn = http.client.HTTPConnection(host, port, timeout=30, source_address=(source, 0))
    start.wait()
    for i in work:
        proof, name = guest(i)
        body = json.dumps({"token": token, "id": proof, "name": name}).encode()
        began = time.perf_counter()
        try:
            conn.request("POST", "/api/checkin", body, {"Content-Type": "application/json"})
            answer = conn.getresponse()
            data = answer.read()
            status = answer.status
        except (OSError, http.client.HTTPException) as e:
            conn.close()
            conn = http.client.HTTPConnection(host, port, timeout=30,
                                              source_address=(source, 0))
            status, data = 0, str(e).encode()
        elapsed = time.perf_counter() - began
        results.append((i, status, data, elapsed))
    conn.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--server", default=find_server(), help="checkin_page_server to run")
    parser.add_argument("--guests", type=int, default=1000)
    parser.add_argument("--clients", type=int, default=50)
    parser.add_argument("--checkins", type=int, default=1000)
    parser.add_argument("--url", help="a running program's guest link instead of a server")
    parser.add_argument("--folder", help="with --url: the folder of its checkin.jsonl")
    parser.add_argument("--names", nargs=3, metavar=("PROOF", "NAME", "ID_OFFSET"),
                        help="with --url: how guest i is named, e.g. N{:04d} P{:04d} 0")
    args = parser.parse_args()
    global PROOF, NAME, ID_OFFSET
    if args.names:
        PROOF, NAME, ID_OFFSET = args.names[0], args.names[1], int(args.names[2])
    if args.url:
        return run(args, args.url, args.folder, None)
    if not args.server:
        sys.exit("no checkin_page_server found: build it, or give --server")
    if args.checkins > args.guests:
        sys.exit("--checkins cannot exceed --guests (each guest checks in once)")
    if args.clients > 254:
        sys.exit("at most 254 clients (127.0.1.1 to 127.0.1.254)")

    folder = tempfile.mkdtemp(prefix="vantoria-checkin-load-")
    server = subprocess.Popen([args.server, "--guests", str(args.guests), "--folder", folder],
                              stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    said = {}
    while "url" not in said:
        line = server.stdout.readline()
        if not line:
            sys.exit("the server stopped before it said its address")
        key, _, value = line.strip().partition(" ")
        said[key] = value
    return run(args, said["url"], folder, server)


def run(args, link, folder, server):
    url = urlparse(link)
    token = url.path.rsplit("/", 1)[-1]

    # Guest i goes to client i % clients: each client's share is spread over the list.
    shares = [[] for _ in range(args.clients)]
    for i in range(1, args.checkins + 1):
        shares[i % args.clients].append(i)
    results = []
    start = threading.Event()
    threads = [threading.Thread(target=client,
                                args=(n, url.hostname, url.port, token, shares[n], results, start))
               for n in range(args.clients)]
    for t in threads:
        t.start()
    began = time.perf_counter()
    start.set()
    for t in threads:
        t.join()
    wall = time.perf_counter() - began

    if server:
        server.stdin.write("quit\n")
        server.stdin.close()
        server.wait(timeout=30)

    latencies = sorted(r[3] for r in results)
    statuses = {}
    ok = set()
    for i, status, data, _ in results:
        statuses[status] = statuses.get(status, 0) + 1
        if status == 200:
            answer = json.loads(data)
            if answer.get("ok") and answer.get("name") == guest(i)[1]:
                ok.add(i)
    in_file = set()
    with open(os.path.join(folder, "checkin.jsonl"), encoding="utf-8") as f:
        for line in f:
            entry = json.loads(line)
            if entry.get("type") == "in":
                in_file.add(entry["id"] - ID_OFFSET)  # the server numbers its guests from 1001
    lost = ok - in_file
    unasked = in_file - set(range(1, args.checkins + 1))

    print(f"check-ins: {len(results)} by {args.clients} clients, {args.guests} guests listed")
    print(f"answers: " + ", ".join(f"{s}: {n}" for s, n in sorted(statuses.items())))
    print(f"wall time: {wall:.3f} s, {len(results) / wall:.1f} requests per second")
    print(f"latency: p50 {percentile(latencies, 50) * 1000:.2f} ms, "
          f"p99 {percentile(latencies, 99) * 1000:.2f} ms, "
          f"max {latencies[-1] * 1000:.2f} ms, mean {statistics.mean(latencies) * 1000:.2f} ms")
    print(f"ok answers: {len(ok)}, lines in checkin.jsonl: {len(in_file)}, lost: {len(lost)}, "
          f"in the file unasked: {len(unasked)}")
    good = len(ok) == args.checkins and not lost and not unasked and len(in_file) == len(ok)
    print("verified: every ok check-in is in the file" if good else "FAILED")
    return 0 if good else 1


if __name__ == "__main__":
    sys.exit(main())
