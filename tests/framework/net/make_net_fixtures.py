#!/usr/bin/python3
"""Expected results from Python's own libraries for the client's pure parts.

base64.txt: for 0 to 200 bytes of random data, one line each: the bytes in
hex, base64.encodebytes (its line feeds turned into CR LF) and b64encode.

locations.txt: redirect targets resolved by urllib.parse.urljoin, one line
each: base, reference, result (tab-separated).
"""
import base64
import os
import random
import sys
import urllib.parse

BASES = [
    'http://localhost:8080/a/b/c?x=1#frag',
    'https://Example.org/dir/page.html',
    'http://h/',
    'http://h',
]
REFERENCES = [
    'next', './next', '../up', '../../../../too/far', 'a/./b/../c', '.', '..', './', '../',
    '/abs/path', '/abs/../path/.', '//other:81/p/q', '//other', '?only=query', '#frag2',
    'https://elsewhere/x', 'g;x?y#s', 'dir/', 'x?y/../z',
]


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    rng = random.Random(20240501)
    with open(os.path.join(out, 'base64.txt'), 'w') as f:
        for n in range(0, 201):
            data = bytes(rng.randrange(256) for _ in range(n))
            wrapped = base64.encodebytes(data).decode().replace('\n', '\r\n')
            plain = base64.b64encode(data).decode()
            f.write('%s %s %s\n' % (data.hex() or '-', wrapped.encode().hex() or '-',
                                    plain or '-'))
    with open(os.path.join(out, 'locations.txt'), 'w') as f:
        for base in BASES:
            for ref in REFERENCES:
                f.write('%s\t%s\t%s\n' % (base, ref, urllib.parse.urljoin(base, ref)))


if __name__ == '__main__':
    main()
