"""Sends a short TUIO session to 127.0.0.1:PORT with liblo. Usage: tuio_liblo_sender.py PORT"""
import sys

import liblo


def msg(address, *args):
    # liblo sends Python floats as 64-bit doubles; TUIO wants 32-bit floats.
    return liblo.Message(address, *[('f', a) if isinstance(a, float) else a for a in args])


target = liblo.Address('127.0.0.1', int(sys.argv[1]), liblo.UDP)
cur, obj = '/tuio/2Dcur', '/tuio/2Dobj'
for frame in [
        [msg(cur, 'alive', 7), msg(cur, 'set', 7, 0.25, 0.75, 0.0, 0.0, 0.0), msg(cur, 'fseq', 1)],
        [msg(cur, 'alive', 7), msg(cur, 'set', 7, 0.5, 0.75, 0.1, 0.0, 0.2), msg(cur, 'fseq', 2)],
        [msg(obj, 'alive', 3), msg(obj, 'set', 3, 12, 0.4, 0.6, 1.25, 0.0, 0.0, 0.0, 0.0, 0.0),
         msg(obj, 'fseq', 3)],
        [msg(cur, 'alive'), msg(cur, 'fseq', 4)]]:
    liblo.send(target, liblo.Bundle(*frame))
