#!/usr/bin/python3
"""Runs the headless monitor against simulated Quake 3 servers and measures it.

Start-up: wall time from launch to the "Watching" line, and when every server had answered once
(status tables asked for with SIGUSR1 every second of the first round). Then, at the end of each
round, a status table: answers of that round, CPU time and resident memory of the monitor and of
the simulator. Prints key=value lines; bench/run.sh turns them into the report.
"""

import argparse
import os
import re
import signal
import subprocess
import sys
import threading
import time

TICKS = os.sysconf("SC_CLK_TCK")
SUMMARY = re.compile(r"Servers: (\d+), answered: (\d+), offline: (\d+), not answered yet: (\d+)")
WATCHING = re.compile(r"Watching (\d+) servers, every (\d+) seconds.*list loaded in (\d+) ms")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    # utime and stime are fields 14 and 15; the split above starts at field 3.
    return (int(fields[11]) + int(fields[12])) / TICKS


def resident_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return -1


class Lines:
    """Reads a process's output in a thread, keeping the lines that matter with their arrival time."""

    def __init__(self, stream):
        self.watching = None
        self.summaries = []
        self.tail = []
        self.lock = threading.Condition()
        self.thread = threading.Thread(target=self.read, args=(stream,), daemon=True)
        self.thread.start()

    def read(self, stream):
        for raw in stream:
            now = time.monotonic()
            line = raw.decode("utf-8", "replace").rstrip("\n")
            with self.lock:
                if self.watching is None and WATCHING.search(line):
                    self.watching = (now, WATCHING.search(line))
                elif SUMMARY.search(line):
                    self.summaries.append((now, tuple(int(x) for x in SUMMARY.search(line).groups())))
                elif not line.startswith(("Quake 3", "Game ")):
                    self.tail = (self.tail + [line])[-20:]
                self.lock.notify_all()

    def wait(self, predicate, timeout):
        deadline = time.monotonic() + timeout
        with self.lock:
            while not predicate():
                left = deadline - time.monotonic()
                if left <= 0:
                    return False
                self.lock.wait(left)
            return True


def write_list(path, addresses):
    fields = [("Address", 'dt:type="string" dt:maxLength="255"'),
              ("Game", 'dt:type="string" dt:maxLength="50"'),
              ("ManualRefresh", 'dt:type="int" dt:maxLength="4" rs:precision="10" rs:fixedlength="true"')]
    with open(path, "w", encoding="utf-8") as out:
        out.write('<xml xmlns:s="uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882"\n'
                  '     xmlns:dt="uuid:C2F41010-65B3-11d1-A29F-00AA00C14882"\n'
                  '     xmlns:rs="urn:schemas-microsoft-com:rowset" xmlns:z="#RowsetSchema">\n'
                  '<s:Schema id="RowsetSchema"><s:ElementType name="row" content="eltOnly">\n')
        for number, (name, datatype) in enumerate(fields, 1):
            out.write(f'<s:AttributeType name="{name}" rs:number="{number}" rs:nullable="true" rs:write="true">'
                      f'<s:datatype {datatype}/></s:AttributeType>\n')
        out.write('<s:extends type="rs:rowbase"/></s:ElementType></s:Schema>\n<rs:data>\n')
        for game, address in addresses:
            out.write(f'<z:row Address="{address}" Game="{game}" ManualRefresh="0"/>\n')
        out.write("</rs:data>\n</xml>\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--trevisk", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--count", type=int, required=True)
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--delay", default="20-80")
    parser.add_argument("--refresh", type=int, default=30)
    parser.add_argument("--rounds", type=int, default=3, help="rounds in all, the first one included")
    parser.add_argument("--sims", type=int, default=1,
                        help="simulator processes, each on its own loopback address (127.0.1.K) when more than one")
    parser.add_argument("--poll", type=float, default=1.0, help="seconds between status tables in the first round")
    args = parser.parse_args()
    share = -(-args.count // args.sims)
    assert args.port + share <= 32768, "simulated servers stay below the ephemeral ports"

    os.makedirs(args.work, exist_ok=True)
    data = os.path.join(args.work, "data")
    config = os.path.join(args.work, "trevisk.ini")
    with open(config, "w") as ini:
        ini.write(f"[Settings]\nRefresh={args.refresh}\n")

    processes = []

    def stop_all():
        for process in reversed(processes):
            if process.poll() is None:
                process.send_signal(signal.SIGTERM)
                try:
                    process.wait(10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait(5)

    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        sims = []
        for k in range(args.sims):
            count = min(share, args.count - k * share)
            command = [args.sim, "--engine", "Q3", "--port", str(args.port), "--count", str(count),
                       "--delay", args.delay]
            if args.sims > 1:
                command += ["--bind", f"127.0.1.{k + 1}"]
            sims.append(subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL))
            processes.append(sims[-1])
        addresses = []
        deadline = time.monotonic() + 60
        for k, sim in enumerate(sims):
            expected = min(share, args.count - k * share)
            listed = 0
            while listed < expected and time.monotonic() < deadline:
                line = sim.stdout.readline().decode().rstrip("\n")
                if not line:
                    break
                game, address = line.split("\t")
                addresses.append((game, address))
                listed += 1
            threading.Thread(target=sim.stdout.read, daemon=True).start()
        if len(addresses) != args.count:
            print(f"error=the simulators listed {len(addresses)} of {args.count} servers")
            return 1

        xml = os.path.join(args.work, "servers.xml")
        write_list(xml, addresses)
        imported = subprocess.run([args.trevisk, "import", xml, "--replace", "--data-dir", data, "--config", config],
                                  capture_output=True, timeout=120)
        if imported.returncode != 0:
            print("error=import failed: " + imported.stderr.decode(errors="replace").strip().replace("\n", " "))
            return 1

        launched = time.monotonic()
        monitor = subprocess.Popen([args.trevisk, "--headless", "--data-dir", data, "--config", config],
                                   stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        processes.append(monitor)
        lines = Lines(monitor.stdout)
        if not lines.wait(lambda: lines.watching is not None, 60):
            print("error=no Watching line: " + " | ".join(lines.tail))
            return 1
        watched_at, watching = lines.watching
        print(f"startup_wall_ms={(watched_at - launched) * 1000:.0f}")
        print(f"startup_list_loaded_ms={watching.group(3)}")
        print(f"watching_servers={watching.group(1)}")
        print(f"refresh_s={watching.group(2)}")

        def table(timeout=30):
            """Asks for a status table; returns (summary, CPU seconds the table took)."""
            before = cpu_seconds(monitor.pid)
            seen = len(lines.summaries)
            monitor.send_signal(signal.SIGUSR1)
            if not lines.wait(lambda: len(lines.summaries) > seen, timeout):
                raise RuntimeError("no status table: " + " | ".join(lines.tail))
            return lines.summaries[-1][1], cpu_seconds(monitor.pid) - before

        # The first round: when has every server answered once?
        all_answered = None
        while time.monotonic() < watched_at + args.refresh - 1.5:
            time.sleep(max(0.0, args.poll - (time.monotonic() - watched_at) % args.poll))
            summary, _ = table()
            if summary[1] == args.count:
                all_answered = time.monotonic() - watched_at
                break
        print(f"first_round_all_answered_s={'%.1f' % all_answered if all_answered is not None else 'never'}")

        # The end of each round: one second before the next one starts.
        rounds = []
        for k in range(args.rounds):
            end = watched_at + k * args.refresh + args.refresh - 1.0
            time.sleep(max(0.0, end - time.monotonic()))
            at = time.monotonic()
            cpu = cpu_seconds(monitor.pid)
            sim_cpu = sum(cpu_seconds(sim.pid) for sim in sims)
            rss = resident_kib(monitor.pid)
            summary, table_cpu = table()
            rounds.append({"at": at, "cpu": cpu, "sim_cpu": sim_cpu, "rss": rss, "table_cpu": table_cpu,
                           "answered": summary[1], "offline": summary[2], "waiting": summary[3]})
            share_text = "-"
            if len(rounds) > 1:
                before = rounds[-2]
                spent = cpu - before["cpu"] - before["table_cpu"]
                share_text = f"{100 * spent / (at - before['at']):.2f}"
            print(f"round={k} answered={summary[1]} offline={summary[2]} not_answered_yet={summary[3]} "
                  f"rss_kib={rss} cpu_s={cpu:.2f} cpu_percent={share_text} sim_cpu_s={sim_cpu:.2f} "
                  f"table_cpu_ms={table_cpu * 1000:.0f}", flush=True)

        # Steady state: from the end of the first round to the end of the last, status tables left out.
        first, last = rounds[0], rounds[-1]
        wall = last["at"] - first["at"]
        cpu = last["cpu"] - first["cpu"] - sum(r["table_cpu"] for r in rounds[:-1])
        sim_cpu = last["sim_cpu"] - first["sim_cpu"]
        print(f"steady_rounds={len(rounds) - 1} steady_wall_s={wall:.1f} steady_cpu_s={cpu:.2f} "
              f"steady_cpu_percent={100 * cpu / wall:.2f} sim_cpu_percent={100 * sim_cpu / wall:.2f}")
        print(f"startup_round_cpu_s={first['cpu']:.2f}")
        # The second round still fills what the first left (settings of every server, the hash tables):
        # growth is counted from its end on, and what the first two took is shown apart.
        warm = 1 if len(rounds) > 2 else 0
        growth = (last["rss"] - rounds[warm]["rss"]) / max(1, len(rounds) - 1 - warm)
        print(f"rss_first_round_kib={first['rss']} rss_last_round_kib={last['rss']} "
              f"rss_growth_per_round_kib={growth:.0f} rss_warm_up_kib={rounds[warm]['rss'] - first['rss']} "
              f"warm_up_rounds={warm + 1}")
        print("answers_per_round=" + ",".join(str(r["answered"]) for r in rounds))
        return 0
    finally:
        stop_all()


if __name__ == "__main__":
    sys.exit(main())
