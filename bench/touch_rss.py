#!/usr/bin/python3
"""Resident memory of the game under touches held for a long time: 12 touches wander over the
table, each updated 240 times a second, while the game's RSS is sampled every 10 s. The RSS
after the first minute should stay flat (within 3 %).

Run from the repository root in a network namespace of its own (the game binds UDP port 3333):
    unshare -rn bash -c 'ip link set lo up && ALSOFT_DRIVERS=null \
        bash tools/with-display.sh /usr/bin/python3 bench/touch_rss.py [build/flockmar] [minutes]'
It presses Space once so the touches land on the first herding screen, and ends the game when
it is done. Needs python3-liblo and xdotool."""
import math
import os
import random
import subprocess
import sys
import time

import liblo

TOUCHES = 12
UPDATES_PER_SECOND = 240
SAMPLE_SECONDS = 10
SETTLE_SECONDS = 60


def rss_mb(pid):
    with open(f'/proc/{pid}/status') as status:
        for line in status:
            if line.startswith('VmRSS:'):
                return int(line.split()[1]) / 1024.0
    return float('nan')


def frame(positions, fseq):
    alive = liblo.Message('/tuio/2Dcur', 'alive', *range(1, TOUCHES + 1))
    sets = [liblo.Message('/tuio/2Dcur', 'set', ('i', i + 1), ('f', x), ('f', y), ('f', 0.0),
                          ('f', 0.0), ('f', 0.0)) for i, (x, y) in enumerate(positions)]
    return liblo.Bundle(alive, *sets, liblo.Message('/tuio/2Dcur', 'fseq', ('i', fseq)))


def main():
    binary = sys.argv[1] if len(sys.argv) > 1 else 'build/flockmar'
    minutes = float(sys.argv[2]) if len(sys.argv) > 2 else 10.0
    game = subprocess.Popen([binary], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(3)
        subprocess.run(['xdotool', 'key', 'space'], check=False)
        time.sleep(1)
        target = liblo.Address('127.0.0.1', 3333)
        rng = random.Random(7)
        positions = [(0.1 + 0.8 * rng.random(), 0.1 + 0.8 * rng.random()) for _ in range(TOUCHES)]
        headings = [rng.uniform(0, 2 * math.pi) for _ in range(TOUCHES)]
        start = time.monotonic()
        next_sample = start
        samples = []
        fseq = 0
        while game.poll() is None:
            now = time.monotonic()
            if now >= next_sample:
                samples.append((now - start, rss_mb(game.pid)))
                print(f'{samples[-1][0]:6.0f} s  RSS {samples[-1][1]:8.1f} MB', flush=True)
                next_sample += SAMPLE_SECONDS
                if now - start >= minutes * 60:
                    break
            # Every touch wanders: a small step, its heading turning a little, kept on the table.
            for i, (x, y) in enumerate(positions):
                headings[i] += rng.uniform(-0.3, 0.3)
                x += 0.002 * math.cos(headings[i])
                y += 0.002 * math.sin(headings[i])
                if not 0.05 < x < 0.95 or not 0.05 < y < 0.95:
                    headings[i] += math.pi
                positions[i] = (min(max(x, 0.05), 0.95), min(max(y, 0.05), 0.95))
            fseq += 1
            liblo.send(target, frame(positions, fseq))
            delay = start + fseq / UPDATES_PER_SECOND - time.monotonic()
            if delay > 0:
                time.sleep(delay)
        if game.poll() is not None:
            print(f'the game ended early with status {game.returncode}')
            return 1
        settled = [rss for t, rss in samples if t >= SETTLE_SECONDS]
        if settled:
            low, high = min(settled), max(settled)
            print(f'after the first minute: {low:.1f} .. {high:.1f} MB, spread '
                  f'{100.0 * (high - low) / low:.1f} % (target <= 3 %); first {samples[0][1]:.1f} '
                  f'MB, last {samples[-1][1]:.1f} MB; {fseq} frames sent in '
                  f'{time.monotonic() - start:.0f} s')
        return 0
    finally:
        if game.poll() is None:
            game.terminate()
            try:
                game.wait(10)
            except subprocess.TimeoutExpired:
                game.kill()


if __name__ == '__main__':
    sys.exit(main())
