#!/usr/bin/env python3
"""Wall and CPU time of tessel-cli send and receive over a pseudo-terminal.

The script plays the device on the master side of a pseudo-terminal pair and
runs tessel-cli on the slave side; the CPU time is the tessel-cli process's
own (user + system, from wait4), the wall time from its start to its end.

    scripts/measure-transfer.py build/rel/src/cli/tessel-cli

Runs: a send and a receive of 65,535 bytes with the device side as fast as
it can (median of five), then sends of 4,800 and 65,535 bytes with the device
reading 960 bytes a second, as a device at 9600 bit/s does, and a receive of
9,600 bytes with the device sending at that pace.
"""

import os
import statistics
import sys
import tempfile
import threading
import time
import tty

END_CODE = b"\x1a"


def text(length):
    """`length` bytes of DATA lines, without the end code."""
    out = bytearray()
    n = 0
    while len(out) < length:
        out += b"DATA %d,%d,%d\r\n" % (n, n * 7 % 1000, n * 13 % 1000)
        n += 1
    return bytes(out[:length])


def pty_pair():
    master, slave = os.openpty()
    tty.setraw(master)
    tty.setraw(slave)
    return master, slave, os.ttyname(slave)


def run(args, device):
    """Runs tessel-cli while `device(master)` plays the other end, in a
    thread; returns wall seconds, CPU seconds and the device's result."""
    master, slave, path = pty_pair()
    result = {}
    thread = threading.Thread(target=lambda: result.update(value=device(master)))
    thread.start()
    start = time.monotonic()
    pid = os.spawnv(os.P_NOWAIT, args[0], args + ["--port", path])
    _, status, usage = os.wait4(pid, 0)
    wall = time.monotonic() - start
    thread.join()
    os.close(master)
    os.close(slave)
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("tessel-cli failed: %s" % " ".join(args))
    return wall, usage.ru_utime, usage.ru_stime, result.get("value")


def read_all(master, rate=None):
    """Reads up to the end code, as fast as it can or `rate` bytes a second."""
    got = bytearray()
    start = time.monotonic()
    while not got.endswith(END_CODE):
        if rate is None:
            got += os.read(master, 65536)
            continue
        allowed = int((time.monotonic() - start) * rate) - len(got)
        if allowed > 0:
            got += os.read(master, allowed)
        else:
            time.sleep(0.01)
    return bytes(got)


def write_paced(master, wire, rate):
    """Writes `wire` at `rate` bytes a second, a little every 10 ms."""
    start = time.monotonic()
    sent = 0
    while sent < len(wire):
        due = min(len(wire), int((time.monotonic() - start) * rate))
        if due > sent:
            sent += os.write(master, wire[sent:due])
        time.sleep(0.01)


def report(name, runs):
    wall, user, system = (statistics.median(r[i] for r in runs) for i in range(3))
    print("%-46s wall %7.3f s  CPU %6.3f s (user %.3f, system %.3f): %.1f%% of a core"
          % (name, wall, user + system, user, system, 100 * (user + system) / wall))


def main():
    cli = os.path.abspath(sys.argv[1])
    line = ["--flow", "none", "--baud", "9600"]
    with tempfile.TemporaryDirectory() as folder:
        def data_file(length):
            path = os.path.join(folder, "%d.dat" % length)
            with open(path, "wb") as f:
                f.write(text(length - 1))  # the send appends the end code
            return path

        big = data_file(65535)
        runs = [run([cli, "send", big] + line, read_all) for _ in range(5)]
        assert all(r[3] == text(65534) + END_CODE for r in runs)
        report("send 65,535 bytes, device as fast as it can", runs)

        out = os.path.join(folder, "in.dat")
        wire = text(65534) + END_CODE

        def write_all(master):
            os.write(master, wire)

        runs = [run([cli, "receive", "--data", "-o", out] + line, write_all) for _ in range(5)]
        with open(out, "rb") as f:
            assert f.read() == text(65534)
        report("receive 65,535 bytes, device as fast as it can", runs)

        for length in (4800, 65535):
            r = run([cli, "send", data_file(length)] + line, lambda m: read_all(m, 960))
            report("send %s bytes, device reading 960 bytes/s" % format(length, ","), [r])

        slow = text(9599) + END_CODE
        r = run([cli, "receive", "--data", "-o", out] + line, lambda m: write_paced(m, slow, 960))
        report("receive 9,600 bytes, device sending 960 bytes/s", [r])


if __name__ == "__main__":
    main()
