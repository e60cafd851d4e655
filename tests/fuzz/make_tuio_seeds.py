#!/usr/bin/env python3
"""Writes the seed inputs of tuio_fuzz to corpus/tuio/.

Each seed is a series of OSC datagrams joined by "|--|", the separator the fuzz target splits
at. Run from anywhere: python3 tests/fuzz/make_tuio_seeds.py
"""
import os
import struct

SEPARATOR = b'|--|'


def osc_string(text):
    data = text.encode() + b'\0'
    return data + b'\0' * (-len(data) % 4)


def message(address, *args):
    tags = ','
    payload = b''
    for arg in args:
        if isinstance(arg, str):
            tags += 's'
            payload += osc_string(arg)
        elif isinstance(arg, float):
            tags += 'f'
            payload += struct.pack('>f', arg)
        else:
            tags += 'i'
            payload += struct.pack('>i', arg)
    return osc_string(address) + osc_string(tags) + payload


def bundle(*elements):
    data = osc_string('#bundle') + struct.pack('>II', 0, 1)
    for element in elements:
        data += struct.pack('>i', len(element)) + element
    return data


def cursor_frame(alive, sets, fseq):
    cur = '/tuio/2Dcur'
    messages = [message(cur, 'alive', *alive)]
    messages += [message(cur, 'set', s, x, y, 0.0, 0.0, 0.0) for s, x, y in sets]
    messages.append(message(cur, 'fseq', fseq))
    return bundle(*messages)


def object_frame(alive, sets, fseq):
    obj = '/tuio/2Dobj'
    messages = [message(obj, 'alive', *alive)]
    messages += [message(obj, 'set', s, sym, x, y, a, 0.0, 0.0, 0.0, 0.0, 0.0)
                 for s, sym, x, y, a in sets]
    messages.append(message(obj, 'fseq', fseq))
    return bundle(*messages)


SEEDS = {
    'cursor_session': [
        cursor_frame([1, 2, 3], [(1, 0.1, 0.1), (2, 0.5, 0.5), (3, 0.9, 0.9)], 1),
        cursor_frame([1, 3], [(1, 0.2, 0.1)], 2),
        cursor_frame([1, 3, 4], [(4, 0.5, 0.5)], 3),
        cursor_frame([4], [], 2),
        cursor_frame([], [], 200),
    ],
    'object_session': [
        object_frame([5], [(5, 12, 0.3, 0.3, 1.0)], 1),
        object_frame([5], [(5, 12, 0.4, 0.3, 1.5)], 2),
        object_frame([], [], 3),
    ],
    'nested_bundles': [bundle(bundle(cursor_frame([7], [(7, 0.5, 0.5)], 1)),
                              message('/tuio/2Dblb', 'fseq', 1))],
    'single_messages': [
        message('/tuio/2Dcur', 'alive', 9),
        message('/tuio/2Dcur', 'set', 9, 0.5, 0.5, 0.0, 0.0, 0.0),
        message('/tuio/2Dcur', 'fseq', 0),
        message('/tuio/2Dcur', 'set', 9, 1, 0.5),
    ],
    'malformed': [
        bundle(message('/tuio/2Dcur', 'alive', 1))[:-4],
        osc_string('#bundle') + struct.pack('>IIi', 0, 1, -4),
        b'/tuio/2Dcur\0,sx\0set\0',
    ],
}


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'corpus', 'tuio')
    os.makedirs(folder, exist_ok=True)
    for name, datagrams in SEEDS.items():
        with open(os.path.join(folder, name), 'wb') as seed:
            seed.write(SEPARATOR.join(datagrams))


if __name__ == '__main__':
    main()
