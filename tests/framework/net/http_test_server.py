#!/usr/bin/python3
"""The tests' local HTTP and HTTPS server on 127.0.0.1.

Several listeners on ports chosen by the system: plain HTTP, TLS with a
good certificate, with a wrong name, expired, self-signed, of another CA,
TLS 1.0 and 1.1 only, and a silent port that accepts and never answers. The ports go
to <out>/ports.txt; every request (raw bytes), its listener, TLS version
and server name go to <out>/requests.log before the answer is sent, so a
test that has its answer can read what was asked.

What a request gets depends on its path (see ROUTES below); the answers are
written byte for byte, so broken framing can be served on purpose.
"""
import argparse
import os
import socket
import ssl
import sys
import threading
import time
import urllib.parse

LOG_LOCK = threading.Lock()
PORTS = {}
OUT = ''


def log(entry):
    """One line per connection: listener, TLS version, server name, target,
    then the request's bytes in hex ("-" for what is not there)."""
    fields = [entry['listener'], entry.get('tls') or '-', entry.get('sni') or '-',
              entry.get('target') or '-', entry.get('request') or '-']
    if 'handshake_error' in entry:
        fields[1] = 'failed'
    with LOG_LOCK:
        with open(os.path.join(OUT, 'requests.log'), 'a') as f:
            f.write('\t'.join(fields) + '\n')


def response(status, body=b'', headers=(), reason='OK'):
    head = 'HTTP/1.0 %d %s\r\n' % (status, reason)
    for name, value in headers:
        head += '%s: %s\r\n' % (name, value)
    return head.encode('latin-1') + b'\r\n' + body


def plain(status, body, extra=()):
    return response(status, body, [('Content-Length', len(body))] + list(extra))


def pattern_bytes(n):
    """n bytes that differ from any repeating pattern (the tests hash them)."""
    import hashlib
    out = bytearray()
    counter = 0
    while len(out) < n:
        out += hashlib.sha256(counter.to_bytes(8, 'little')).digest()
        counter += 1
    return bytes(out[:n])


def hold(conn, seconds):
    """Keeps the connection open without answering until the client goes."""
    conn.settimeout(0.1)
    end = time.time() + seconds
    while time.time() < end:
        try:
            if conn.recv(4096) == b'':
                return
        except socket.timeout:
            continue
        except (OSError, ssl.SSLError):
            return


def send_slowly(conn, data, pause):
    conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    for i in range(len(data)):
        conn.sendall(data[i:i + 1])
        time.sleep(pause)


def raw_case(name, conn):
    body = b'framed body bytes\n'
    if name == 'onesegment':
        conn.sendall(plain(200, body))
    elif name == 'trickle':
        send_slowly(conn, plain(200, body), 0.001)
    elif name == 'toclose':
        conn.sendall(response(200, body * 100))
    elif name == 'closeearly':
        pass
    elif name == 'midbody':
        conn.sendall(response(200, body[:5], [('Content-Length', 100)]))
    elif name == 'cl0':
        conn.sendall(response(200, b'', [('Content-Length', 0)]))
        hold(conn, 5)
    elif name == 'clhuge':
        conn.sendall(response(200, body, [('Content-Length', 99999999999)]))
        hold(conn, 5)
    elif name == 'clneg':
        conn.sendall(response(200, body, [('Content-Length', -1)]))
    elif name == 'cltwo':
        conn.sendall(response(200, body, [('Content-Length', len(body)),
                                          ('Content-Length', len(body))]))
    elif name == 'chunked':
        conn.sendall(response(200, b'12\r\n' + body + b'\r\n0\r\n\r\n',
                              [('Transfer-Encoding', 'chunked')]))
    elif name == 'oversize':
        conn.sendall(response(200, body, [('Content-Length', 16 * 1024 * 1024 + 1)]))
        hold(conn, 5)
    elif name == 'oversizetoclose':
        conn.sendall(response(200, b'x' * (100 * 1024)))
    elif name == 'nothttp':
        conn.sendall(b'SSH-2.0-OpenSSH_9.2\r\n\r\n')
    elif name == 'html':
        conn.sendall(b'<html><body>1.0.1</body></html>\r\n\r\n')
    elif name == 'hugehead':
        conn.sendall(b'HTTP/1.0 200 OK\r\n')
        line = b'X-Filler: ' + b'f' * 1000 + b'\r\n'
        for _ in range(10 * 1024):
            conn.sendall(line)
        conn.sendall(b'\r\n')
    elif name == 'continue':
        conn.sendall(b'HTTP/1.1 100 Continue\r\n\r\n')
    elif name == 'contentlocation':
        conn.sendall(response(302, b'', [('Content-Location', '/echo/moved'),
                                         ('Content-Length', 0)], 'Found'))
    elif name == 'longlocation':
        conn.sendall(response(302, b'', [('Location', '/' + 'a' * 5000),
                                         ('Content-Length', 0)], 'Found'))
    elif name == 'lastmod':
        conn.sendall(plain(200, body, [('Last-Modified', 'Wed, 21 Oct 2015 07:28:00 GMT')]))
    else:
        conn.sendall(plain(404, b'no such case\n'))


def route(listener, path, query, conn):
    parts = [p for p in path.split('/') if p]
    first = parts[0] if parts else ''
    if first == 'echo' or first == 'landed':
        # 22 bytes, the size the benchmark fetches.
        conn.sendall(plain(200, b'hello from the server\n'))
    elif first == 'text':
        # The body is the query's "body" value, as given, and "pad" more
        # letters (longer texts than an address can carry).
        text = urllib.parse.unquote_to_bytes(query.get('body', [''])[0])
        text += b'w' * int(query.get('pad', ['0'])[0])
        conn.sendall(plain(200, text))
    elif first == 'slowtext':
        # As "text", one byte every "pause" seconds (default 0.05): a slow
        # update server.
        text = urllib.parse.unquote_to_bytes(query.get('body', [''])[0])
        pause = float(query.get('pause', ['0.05'])[0])
        conn.sendall(response(200, b'', [('Content-Length', len(text))]))
        send_slowly(conn, text, pause)
    elif first == 'bytes':
        conn.sendall(plain(200, pattern_bytes(int(parts[1]))))
    elif first == 'status':
        code = int(parts[1])
        conn.sendall(plain(code, b'status body\n'))
    elif first == 'raw':
        raw_case(parts[1], conn)
    elif first == 'chain':
        # /chain/<n>: n redirects (301, 302, 307 in turn), then the end.
        n = int(parts[1])
        if n == 0:
            conn.sendall(plain(200, b'end of chain\n'))
        else:
            code = (301, 302, 307)[n % 3]
            conn.sendall(response(code, b'', [('Location', '/chain/%d' % (n - 1)),
                                              ('Content-Length', 0)], 'Moved'))
    elif first == 'go':
        # /go/...?to=<Location>[&code=<status>]; without "to" it is the end.
        if 'to' in query:
            location = query['to'][0]
            for key, value in PORTS.items():
                location = location.replace('{%s}' % key, str(value))
            code = int(query.get('code', ['302'])[0])
            conn.sendall(response(code, b'', [('Location', location),
                                              ('Content-Length', 0)], 'Moved'))
        else:
            conn.sendall(plain(200, path.encode()))
    elif first == 'loop':
        other = '/loop/b' if parts[1] == 'a' else '/loop/a'
        conn.sendall(response(302, b'', [('Location', other), ('Content-Length', 0)], 'Found'))
    elif first == 'self':
        conn.sendall(response(302, b'', [('Location', path), ('Content-Length', 0)], 'Found'))
    elif first == 'silent':
        hold(conn, 30)
    elif first == 'trickle':
        # A long body, one byte every 20 ms, until the client goes away or,
        # with "for", that many seconds have passed (then cut short).
        conn.sendall(response(200, b'', [('Content-Length', 100000)]))
        end = time.time() + float(query.get('for', ['2000'])[0])
        for _ in range(100000):
            if time.time() > end:
                break
            conn.sendall(b'.')
            time.sleep(0.02)
    else:
        conn.sendall(plain(404, b'not found\n'))


def read_head(conn):
    data = b''
    while b'\r\n\r\n' not in data:
        chunk = conn.recv(4096)
        if not chunk:
            break
        data += chunk
        if len(data) > 65536:
            break
    return data


def serve_connection(listener, conn, context):
    sni = []
    entry = {'listener': listener, 'port': PORTS[listener]}
    try:
        if context:
            def remember(sock, name, ctx):
                sni.append(name)
            context.sni_callback = remember
            try:
                conn = context.wrap_socket(conn, server_side=True)
            except (ssl.SSLError, OSError) as e:
                entry['handshake_error'] = str(e)
                log(entry)
                return
            entry['tls'] = conn.version()
            entry['sni'] = sni[0] if sni else None
        request = read_head(conn)
        entry['request'] = request.hex()
        line = request.split(b'\r\n', 1)[0].decode('latin-1', 'replace')
        pieces = line.split(' ')
        target = pieces[1] if len(pieces) > 1 else ''
        entry['target'] = target
        log(entry)
        if listener == 'silent':
            hold(conn, 30)
            return
        split = urllib.parse.urlsplit(target)
        route(listener, split.path, urllib.parse.parse_qs(split.query), conn)
    except (OSError, ssl.SSLError, ValueError, IndexError):
        pass
    finally:
        try:
            conn.close()
        except OSError:
            pass


def tls_context(certs, leaf, old=False):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(certs, leaf))
    if old:
        # TLS 1.0 and 1.1 only, with the ciphers they need.
        context.minimum_version = ssl.TLSVersion.TLSv1
        context.maximum_version = ssl.TLSVersion.TLSv1_1
        context.set_ciphers('DEFAULT:@SECLEVEL=0')
    else:
        context.minimum_version = ssl.TLSVersion.TLSv1_2
    return context


def listen(name, context):
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.bind(('127.0.0.1', 0))
    server.listen(64)
    PORTS[name] = server.getsockname()[1]

    def accept_loop():
        while True:
            conn, _ = server.accept()
            threading.Thread(target=serve_connection, args=(name, conn, context),
                             daemon=True).start()
    threading.Thread(target=accept_loop, daemon=True).start()


def unused_port():
    probe = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    probe.bind(('127.0.0.1', 0))
    port = probe.getsockname()[1]
    probe.close()
    return port


def main():
    global OUT
    parser = argparse.ArgumentParser()
    parser.add_argument('--certs', required=True)
    parser.add_argument('--out', required=True)
    parser.add_argument('--lifetime', type=float, default=900)
    args = parser.parse_args()
    OUT = args.out
    os.makedirs(OUT, exist_ok=True)
    open(os.path.join(OUT, 'requests.log'), 'w').close()
    listen('plain', None)
    listen('silent', None)
    listen('good', tls_context(args.certs, 'good.pem'))
    listen('wrongname', tls_context(args.certs, 'wrongname.pem'))
    listen('expired', tls_context(args.certs, 'expired.pem'))
    listen('selfsigned', tls_context(args.certs, 'selfsigned.pem'))
    listen('otherca', tls_context(args.certs, 'otherleaf.pem'))
    listen('old', tls_context(args.certs, 'good.pem', old=True))
    PORTS['refused'] = unused_port()
    info = dict(PORTS)
    info['ca'] = os.path.abspath(os.path.join(args.certs, 'ca.pem'))
    info['log'] = os.path.abspath(os.path.join(OUT, 'requests.log'))
    # "name value" lines: easy to read from C++ and from the shell.
    tmp = os.path.join(OUT, 'ports.txt.tmp')
    with open(tmp, 'w') as f:
        for key, value in info.items():
            f.write('%s %s\n' % (key, value))
    os.replace(tmp, os.path.join(OUT, 'ports.txt'))
    # Ends with whoever started it, and in any case after its lifetime.
    parent = os.getppid()
    end = time.time() + args.lifetime
    while time.time() < end and os.getppid() == parent:
        time.sleep(0.2)


if __name__ == '__main__':
    sys.exit(main())
