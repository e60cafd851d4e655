#!/usr/bin/env python3
"""Writes the seed inputs of tuio_fuzz to corpus/tuio/: each a series of OSC datagrams joined by
"|--|", the separator the fuzz target splits at. Run from anywhere."""
import os
import struct


def osc_string(text):
    data = text.encode() + b'\0'
    return data + b'\0' * (-len(data) % 4)


def message(address, *args):
    tags = ''.join('s' if isinstance(a, str) else 'f' if isinstance(a, float) else 'i' for a in args)
    payload = b''.join(osc_string(a) if isinstance(a, str) else
                       struct.pack('>f' if isinstance(a, float) else '>i', a) for a in args)
    return osc_string(address) + osc_string(',' + tags) + payload


def bundle(*elements):
    return osc_string('#bundle') + struct.pack('>II', 0, 1) + b''.join(
        struct.pack('>i', len(e)) + e for e in elements)


def frame(profile, alive, sets, fseq):
    return bundle(message(profile, 'alive', *alive),
                  *[message(profile, 'set', *s) for s in sets], message(profile, 'fseq', fseq))


CUR, OBJ = '/tuio/2Dcur', '/tuio/2Dobj'
NAN, INF = float('nan'), float('inf')
SEEDS = {
    'cursor_session': [
        frame(CUR, [1, 2, 3], [(i, x, x, 0.0, 0.0, 0.0) for i, x in [(1, .1), (2, .5), (3, .9)]], 1),
        frame(CUR, [1, 3], [(1, 0.2, 0.1, 0.0, 0.0, 0.0)], 2),
        frame(CUR, [1, 3, 4], [(4, 0.5, 0.5, 0.0, 0.0, 0.0)], 3),
        frame(CUR, [4], [], 2),
        frame(CUR, [], [], 200),
    ],
    'object_session': [
        frame(OBJ, [5], [(5, 12, 0.3, 0.3, 1.0) + (0.0,) * 5], 1),
        frame(OBJ, [5], [(5, 12, 0.4, 0.3, 1.5) + (0.0,) * 5], 2),
        frame(OBJ, [], [], 3),
    ],
    'nested_bundles': [bundle(bundle(frame(CUR, [7], [(7, 0.5, 0.5, 0.0, 0.0, 0.0)], 1)),
                              message('/tuio/2Dblb', 'fseq', 1))],
    'single_messages': [
        message(CUR, 'alive', 9),
        message(CUR, 'set', 9, 0.5, 0.5, 0.0, 0.0, 0.0),
        message(CUR, 'fseq', 0),
        message(CUR, 'set', 9, 1, 0.5),
    ],
    'not_finite': [frame(CUR, [1, 2], [(1, 1e30, -1e30, 0.0, 0.0, 0.0), (2, NAN, 0.5, 0.0, 0.0, 0.0),
                                       (1, 0.5, 0.5, INF, 0.0, -INF)], 1),
                   frame(OBJ, [3], [(3, 4, 0.5, 0.5, NAN, 0.0, 0.0, 0.0, 0.0, 0.0),
                                    (3, 4, 0.5, 0.5, 0.0, 0.0, 0.0, INF, 0.0, 0.0)], 2)],
    'malformed': [
        bundle(message(CUR, 'alive', 1))[:-4],
        osc_string('#bundle') + struct.pack('>IIi', 0, 1, -4),
        b'/tuio/2Dcur\0,sx\0set\0',
    ],
}

folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'corpus', 'tuio')
os.makedirs(folder, exist_ok=True)
for name, datagrams in SEEDS.items():
    with open(os.path.join(folder, name), 'wb') as seed:
        seed.write(b'|--|'.join(datagrams))
