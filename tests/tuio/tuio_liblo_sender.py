"""Sends a short TUIO session with liblo, an OSC implementation independent of the client's.

Usage: tuio_liblo_sender.py PORT
"""
import sys

import liblo


def f(value):
    # liblo sends Python floats as 64-bit doubles; TUIO wants 32-bit floats.
    return ('f', value)


def cur(*args):
    return liblo.Message('/tuio/2Dcur', *args)


def obj(*args):
    return liblo.Message('/tuio/2Dobj', *args)


def main():
    target = liblo.Address('127.0.0.1', int(sys.argv[1]), liblo.UDP)
    frames = [
        [cur('alive', 7), cur('set', 7, f(0.25), f(0.75), f(0.0), f(0.0), f(0.0)),
         cur('fseq', 1)],
        [cur('alive', 7), cur('set', 7, f(0.5), f(0.75), f(0.1), f(0.0), f(0.2)),
         cur('fseq', 2)],
        [obj('alive', 3),
         obj('set', 3, 12, f(0.4), f(0.6), f(1.25), f(0.0), f(0.0), f(0.0), f(0.0), f(0.0)),
         obj('fseq', 3)],
        [cur('alive'), cur('fseq', 4)],
    ]
    for messages in frames:
        liblo.send(target, liblo.Bundle(*messages))


if __name__ == '__main__':
    main()
