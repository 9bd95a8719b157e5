#!/usr/bin/env python3
"""Answers forged from a listed server's own address, as a raw socket on the same machine sends them.

    sudo bench/forged-answers.py [BUILD_DIR] [--copy]

Starts 1,000 simulated Quake 3 servers on 127.0.0.1 (ports from 20000) whose answers come 100-300 ms
late, and a forger that sees every getstatus on the loopback and answers it at once from the
server's address and port with the name FORGED. Then one `trevisk query --file` round as Quake 3
servers (their answers must echo the request's challenge) and one as Call of Duty servers (heard
without it until they have echoed) count the servers that took the forged name. `--copy` forges as
one who sees the requests: it echoes their challenge too. Needs root for the raw sockets.
"""
import json, os, socket, struct, subprocess, sys, tempfile, threading, time

FIRST, COUNT = 20000, 1000
build = next((a for a in sys.argv[1:] if not a.startswith("--")), "build")
copy = "--copy" in sys.argv


def forge():
    sniff = socket.socket(socket.AF_PACKET, socket.SOCK_RAW, socket.htons(0x0003))
    sniff.bind(("lo", 0))
    raw = socket.socket(socket.AF_INET, socket.SOCK_RAW, socket.IPPROTO_RAW)
    while True:
        frame, where = sniff.recvfrom(65535)
        ip = frame[14:]
        # The loopback shows each datagram twice: once going out is enough.
        if where[2] != socket.PACKET_OUTGOING or len(ip) < 28 or ip[9] != 17:
            continue
        at = (ip[0] & 15) * 4
        sport, dport = struct.unpack("!HH", ip[at:at + 4])
        payload = ip[at + 8:]
        if not FIRST <= dport < FIRST + COUNT or not payload.startswith(b"\xff\xff\xff\xffgetstatus"):
            continue
        challenge = payload[13:].strip()
        info = b"\\challenge\\" + challenge if copy and challenge else b""
        body = b"\xff\xff\xff\xffstatusResponse\n" + info + b"\\sv_hostname\\FORGED\\mapname\\x\\sv_maxclients\\12\n"
        udp = struct.pack("!HHHH", dport, sport, 8 + len(body), 0) + body
        head = struct.pack("!BBHHHBBH4s4s", 0x45, 0, 20 + len(udp), 0, 0, 64, 17, 0, ip[16:20], ip[12:16])
        raw.sendto(head + udp, (socket.inet_ntoa(ip[12:16]), 0))


sim = subprocess.Popen([os.path.join(build, "trevisk-sim"), "--engine", "Q3", "--port", str(FIRST),
                        "--count", str(COUNT), "--delay", "100-300"], stdout=subprocess.DEVNULL)
threading.Thread(target=forge, daemon=True).start()
time.sleep(1)
try:
    for game in ("Quake 3", "Call of Duty"):
        with tempfile.NamedTemporaryFile("w", suffix=".txt") as listing:
            listing.writelines(f"{game}\t127.0.0.1:{FIRST + i}\n" for i in range(COUNT))
            listing.flush()
            out = subprocess.run([os.path.join(build, "trevisk"), "query", "--file", listing.name, "--json"],
                                 capture_output=True, timeout=120).stdout
        results = json.loads(out)
        forged = sum(1 for r in results if r.get("hostname") == "FORGED")
        print(f"{game}: {forged} of {len(results)} servers took the forged name")
finally:
    sim.terminate()
    sim.wait()
