#!/usr/bin/python3
"""A touch flood from one host, as an attacker on the table's network would send it, and what
it does to a program: 50 bundles of 200 new cursors each (the "alive" of each names every cursor
sent so far), then an "alive" without any of them. Prints the frame rate before, during and
after the flood (a Python actor typed into the console logs each frame), the longest frame, and
how long Escape takes to end the program.

Run from the repository root, in a network namespace and on an X display of its own:
    bash tools/private-network.sh bash tools/private-display.sh \
        /usr/bin/python3 bench/touch_flood.py PROGRAM SPACES [ROUNDS]
SPACES is how many times Space is pressed before the flood (the screen's place in the list);
ROUNDS repeats the flood (default 1). In the environment: FLOOD_AT=x,y puts every cursor on one
point of the table (normalised) instead of all over it, FLOOD_PACE the seconds between bundles
(default 0.01, so that the receiver's socket buffer takes every one), FLOOD_MEASURE the seconds
measured before and after (default 3), FLOOD_ESCAPE_LIMIT the seconds Escape is given before the
program is killed (default 300). Needs python3-liblo and xdotool."""
import os
import random
import subprocess
import sys
import tempfile
import time

import liblo

BUNDLES = 50
CURSORS_PER_BUNDLE = 200
MEASURE_SECONDS = float(os.environ.get('FLOOD_MEASURE', 3.0))
PACE_SECONDS = float(os.environ.get('FLOOD_PACE', 0.01))
AT = tuple(float(v) for v in os.environ['FLOOD_AT'].split(',')) if 'FLOOD_AT' in os.environ \
    else None
ESCAPE_LIMIT = float(os.environ.get('FLOOD_ESCAPE_LIMIT', 300))

LOGGER = ("import time\\n"
          "class FloodFrameLog(Actor):\\n"
          " def Update(self, dt):\\n"
          "  open('{path}', 'a').write('%.6f\\\\n' % time.monotonic())\\n"
          "World.GetInstance().Add(FloodFrameLog())")


def xdotool(*args):
    return subprocess.run(['xdotool', *args], capture_output=True, text=True).stdout.split()


def frames(path, start, end):
    try:
        with open(path) as log:
            stamps = [float(line) for line in log if line.strip()]
    except OSError:
        return []
    return [t for t in stamps if start <= t < end]


def rate(stamps, seconds):
    gaps = [b - a for a, b in zip(stamps, stamps[1:])]
    return len(stamps) / seconds, max(gaps, default=float('inf'))


def flood(target, rng, first_session):
    sessions = []
    for bundle_index in range(BUNDLES):
        fresh = list(range(first_session + len(sessions),
                           first_session + len(sessions) + CURSORS_PER_BUNDLE))
        sessions += fresh
        bundle = liblo.Bundle(liblo.Message('/tuio/2Dcur', 'alive', *sessions))
        for s in fresh:
            x, y = AT if AT else (rng.uniform(0.05, 0.95), rng.uniform(0.05, 0.95))
            bundle.add(liblo.Message('/tuio/2Dcur', 'set', s, ('f', x), ('f', y),
                                     *[('f', 0.0)] * 3))
        bundle.add(liblo.Message('/tuio/2Dcur', 'fseq', bundle_index + 1 + first_session))
        liblo.send(target, bundle)
        time.sleep(PACE_SECONDS)
    liblo.send(target, liblo.Bundle(liblo.Message('/tuio/2Dcur', 'alive'),
                                    liblo.Message('/tuio/2Dcur', 'fseq',
                                                  BUNDLES + 1 + first_session)))
    return first_session + len(sessions)


def main():
    program, spaces = os.path.abspath(sys.argv[1]), int(sys.argv[2])
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    log = tempfile.NamedTemporaryFile(prefix='flood-frames-', delete=False).name
    game = subprocess.Popen([program], env=dict(os.environ, ALSOFT_DRIVERS='null'),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        for _ in range(200):
            if xdotool('search', '--name', '^Tessaly Engine$'):
                break
            time.sleep(0.05)
        xdotool('search', '--name', '^Tessaly Engine$', 'windowmove', '--sync', '%1', '0', '0')
        xdotool('mousemove', '512', '700')
        time.sleep(1.0)
        xdotool('key', 'grave')
        xdotool('type', 'exec("' + LOGGER.format(path=log) + '")')
        xdotool('key', 'Return', 'grave')
        for _ in range(spaces):
            xdotool('key', 'space')
            time.sleep(0.3)
        time.sleep(2.0)
        before = time.monotonic()
        time.sleep(MEASURE_SECONDS)
        calm = frames(log, before, before + MEASURE_SECONDS)
        if not calm:
            sys.exit('no frames logged: is the console logger running?')
        target = liblo.Address('127.0.0.1', 3333, liblo.UDP)
        rng = random.Random(7)
        session = 1000
        sent = time.monotonic()
        for _ in range(rounds):
            session = flood(target, rng, session)
        flooded = time.monotonic()
        time.sleep(MEASURE_SECONDS)
        after = frames(log, flooded, flooded + MEASURE_SECONDS)
        print('flood of %d x %d x %d cursors sent in %.2f s' %
              (rounds, BUNDLES, CURSORS_PER_BUNDLE, flooded - sent))
        print('before: %.1f frames/s, longest frame %.3f s' % rate(calm, MEASURE_SECONDS))
        during = frames(log, sent, flooded)
        print('during: %.1f frames/s, longest frame %.3f s' % rate(during, flooded - sent))
        print('after:  %.1f frames/s, longest frame %.3f s (first %.2f s)' %
              (*rate(after, MEASURE_SECONDS), MEASURE_SECONDS))
        escape = time.monotonic()
        xdotool('key', 'Escape')
        try:
            status = game.wait(timeout=ESCAPE_LIMIT)
            print('Escape: ended with status %d after %.2f s' %
                  (status, time.monotonic() - escape))
        except subprocess.TimeoutExpired:
            print('Escape: still running after %.0f s, killed' % ESCAPE_LIMIT)
    finally:
        if game.poll() is None:
            game.kill()
            game.wait()
        os.unlink(log)


if __name__ == '__main__':
    main()
