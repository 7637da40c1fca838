#!/usr/bin/env python3
"""Long runs of the server's resource proofs, against the real ped00800-server
over a fresh demo database. Called by scripts/soak.sh; prints one line of
figures per proof and exits non-zero when a bound is broken."""

import http.client
import json
import os
import random
import re
import socket
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BIN = os.path.join(ROOT, "build", "release", "src", "server")
PATH = "/Ped00800.rdmLiquidaItem"


class Server:
    def __init__(self, database):
        self.proc = subprocess.Popen([os.path.join(BIN, "ped00800-server"), "--database", database, "--port", "0",
                                      "--log", "/dev/null"], stderr=subprocess.PIPE, text=True)
        self.port = None
        while self.port is None:
            line = self.proc.stderr.readline()
            if not line:
                sys.exit("soak: the server did not start")
            m = re.search(r"http://127\.0\.0\.1:(\d+)", line)
            if m:
                self.port = int(m.group(1))

    def rss(self):
        with open(f"/proc/{self.proc.pid}/status") as f:
            for line in f:
                if line.startswith("VmRSS"):
                    return int(line.split()[1]) // 1024
        return -1

    def stop(self):
        self.proc.terminate()
        self.proc.wait(20)


class Screen:
    """One keep-alive connection, as the screen keeps."""

    def __init__(self, port, token=None, source="127.0.0.1"):
        self.port, self.token, self.source, self.conn = port, token, source, None

    def call(self, method, params, timeout=60):
        body = json.dumps({"jsonrpc": "2.0", "id": 1, "method": method, "params": params})
        headers = {"Content-Type": "application/json"}
        if self.token:
            headers["Authorization"] = "Bearer " + self.token
        for attempt in range(2):
            if self.conn is None:
                self.conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout,
                                                       source_address=(self.source, 0))
            try:
                self.conn.request("POST", PATH, body, headers)
                answer = json.loads(self.conn.getresponse().read())
                return answer
            except (ConnectionError, http.client.HTTPException, OSError):
                self.conn = None  # closed while idle: reconnect, as the client does
                if attempt:
                    raise
        return None


def login(port, operator="GERENTE", password="gerente123"):
    answer = Screen(port).call("Login", [operator, password])
    return answer["result"]["token"]


def order_filter(branch):
    return [branch, "3526", "", "", "", "T", "1234657", "", "T", "", "T", "", "T", None, None, "T", None, None, "T",
            "32140"]


def evol_packet(rows):
    return {"fields": [{"name": "CDFILIAL", "type": "string", "size": 4},
                       {"name": "NRPEDIDO", "type": "string", "size": 10}],
            "rows": [["0001", "0000000001"]] * rows}


def percentile(values, p):
    values = sorted(values)
    return values[min(len(values) - 1, int(len(values) * p))] if values else 0


def soak_memory(server, seconds):
    """32 screens calling a mix for `seconds`: memory ends where it started."""
    token = login(server.port)
    orders = Screen(server.port, token).call("GetPedidos", order_filter("0001"))["result"][2]["rows"]
    numbers = [r[0] for r in orders] or ["0000000001"]
    start = server.rss()
    peak, calls, failures, stop = start, [0], [0], time.time() + seconds

    def screen(i):
        s = Screen(server.port, token)
        rnd = random.Random(i)
        while time.time() < stop:
            pick = rnd.random()
            if pick < 0.6:
                a = s.call("GetItem", ["0001", rnd.choice(numbers)])
            elif pick < 0.8:
                a = s.call("GetParam", ["0001", "GERENTE"])
            elif pick < 0.97:
                a = s.call("GetPedidos", order_filter("0001"))
            else:
                a = s.call("GetEvolEstq", [evol_packet(100000)])
            calls[0] += 1
            failures[0] += "error" in a

    threads = [threading.Thread(target=screen, args=(i,)) for i in range(32)]
    for t in threads:
        t.start()
    while any(t.is_alive() for t in threads):
        peak = max(peak, server.rss())
        time.sleep(0.2)
    time.sleep(5)
    end = server.rss()
    ok = end <= start + 64
    print(f"soak memory: 32 screens, {seconds} s, {calls[0]} calls ({failures[0]} refused), RSS start {start} MiB, "
          f"peak {peak} MiB, end {end} MiB (+{end - start}) {'ok' if ok else 'FAILED'}")
    return ok


def soak_large(server, rounds):
    """Bursts of large requests on fresh connections: memory back within 5 s."""
    token = login(server.port)
    body = [evol_packet(600000)]
    time.sleep(1)
    before = peak = server.rss()
    done = [False]

    def sample():
        nonlocal peak
        while not done[0]:
            peak = max(peak, server.rss())
            time.sleep(0.05)

    sampler = threading.Thread(target=sample)
    sampler.start()
    for _ in range(rounds):
        burst = [threading.Thread(target=lambda: Screen(server.port, token).call("GetEvolEstq", body))
                 for _ in range(16)]
        for t in burst:
            t.start()
        for t in burst:
            t.join()
    time.sleep(5)
    done[0] = True
    sampler.join()
    after = server.rss()
    ok = after <= before + 64
    print(f"soak large: {rounds} bursts of 16 x 600,000-row GetEvolEstq, RSS before {before} MiB, peak {peak} MiB, "
          f"5 s after {after} MiB {'ok' if ok else 'FAILED'}")
    return ok


def soak_slow(server, seconds, connections=2000):
    """Slow senders held open while a screen calls: its worst call stays under 1 s."""
    token = login(server.port)
    head = f"POST {PATH} HTTP/1.1\r\nHost: x\r\nX-Slow: ".encode()
    socks, opened_at = [], time.time()
    stop = time.time() + seconds

    def attacker():
        while time.time() < stop:
            for i in range(connections - len(socks)):
                try:
                    s = socket.socket()
                    s.bind((f"127.0.0.{2 + i % 16}", 0))
                    s.connect(("127.0.0.1", server.port))
                    s.send(head)
                    s.setblocking(False)
                    socks.append(s)
                except OSError:
                    break
            for s in list(socks):
                try:
                    s.send(b"a")
                except OSError:
                    socks.remove(s)  # cut off by the server: opened again above
                    s.close()
            time.sleep(1)

    t = threading.Thread(target=attacker)
    t.start()
    time.sleep(3)
    screen, times, failed = Screen(server.port, token), [], 0
    while time.time() < stop:
        began = time.time()
        try:
            failed += "error" in screen.call("GetItem", ["0001", "0000000001"], timeout=5)
        except OSError:
            failed += 1
        times.append(time.time() - began)
        time.sleep(0.05)
    t.join()
    for s in socks:
        s.close()
    worst = max(times) if times else 0
    ok = worst < 1.0 and failed == 0
    print(f"soak slow: {connections} slow connections for {seconds} s, {len(times)} screen calls, {failed} failed, "
          f"p50 {percentile(times, 0.5) * 1000:.1f} ms, p99 {percentile(times, 0.99) * 1000:.1f} ms, "
          f"worst {worst * 1000:.1f} ms {'ok' if ok else 'FAILED'}")
    return ok


def soak_login(server, seconds):
    """A flood of wrong log-ins from many addresses: memory bounded, screens served."""
    token = login(server.port)
    before = peak = server.rss()
    stop, tried, refused = time.time() + seconds, [0], [0]

    def guesser(i):
        s = Screen(server.port, source=f"127.0.1.{1 + i}")
        while time.time() < stop:
            a = s.call("Login", [f"OP{i:04d}", "x"])
            tried[0] += 1
            refused[0] += "Operador ou senha" not in json.dumps(a, ensure_ascii=False)

    threads = [threading.Thread(target=guesser, args=(i,)) for i in range(32)]
    for t in threads:
        t.start()
    screen, times = Screen(server.port, token), []
    while time.time() < stop:
        began = time.time()
        screen.call("GetItem", ["0001", "0000000001"])
        times.append(time.time() - began)
        peak = max(peak, server.rss())
        time.sleep(0.05)
    for t in threads:
        t.join()
    worst = max(times) if times else 0
    ok = peak - before < 512 and worst < 1.0
    print(f"soak login: 32 guessers for {seconds} s, {tried[0]} log-ins ({refused[0]} turned away or locked out), "
          f"RSS {before} -> peak {peak} MiB, screen worst {worst * 1000:.1f} ms {'ok' if ok else 'FAILED'}")
    return ok


def main():
    durations = {"memory": 600, "large": 3, "slow": 60, "login": 60}
    for arg in sys.argv[1:]:
        name, _, value = arg.partition("=")
        if name not in durations or not value.isdigit():
            sys.exit(f"soak: unknown argument {arg}; use name=seconds with name in {', '.join(durations)}")
        durations[name] = int(value)
    database = os.environ.get("PED_SOAK_DB")
    with tempfile.TemporaryDirectory() as tmp:
        given = bool(database)
        if not given:
            database = os.path.join(tmp, "soak.db")
        # A database given that already holds data is used as it is.
        demo = subprocess.run([os.path.join(BIN, "ped00800-demo"), "--database", database, "--orders", "2000"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        if demo.returncode != 0 and not given:
            sys.exit(f"soak: the demo database could not be written: {demo.stderr.strip()}")
        results = []
        for name, proof in [("large", soak_large), ("slow", soak_slow), ("login", soak_login),
                            ("memory", soak_memory)]:
            if durations[name] == 0:
                continue
            server = Server(database)
            try:
                results.append(proof(server, durations[name]))
            finally:
                server.stop()
    sys.exit(0 if all(results) else 1)


if __name__ == "__main__":
    main()
