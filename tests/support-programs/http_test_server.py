#!/usr/bin/env python3
"""A small HTTP server for the update tests, on 127.0.0.1 and a free port.

Usage: http_test_server.py -- COMMAND [ARGS...]
Starts the server, runs COMMAND with KESTRUNE_TEST_HTTP=127.0.0.1:PORT in its
environment, stops the server and exits with COMMAND's status.
       http_test_server.py --endless-headers [PORT]
Serves header lines without end for every GET on PORT (a free one when not
given); prints the port and runs until killed (the scripts' hostile update
server).

The test programs set the server up through HTTP themselves:
  PUT /some/path?status=N   with a body: GET /some/path answers status N with
                            that body (N = 0: the connection is closed with
                            no answer at all; N = -1: the connection is held
                            open and never answered; N = -2: status 200
                            and that body's length, then one byte of it
                            a second; N = -3: status 200 and that body
                            over and over without end; N = -4: status
                            200 and header lines without end)
  DELETE /__all             forget every page and the request log
  GET /__log                the requests so far, one a line:
                            METHOD PATH<tab>User-Agent<tab>Accept
Everything else answers 404. The server stops by itself after an hour.
"""
import http.server
import os
import subprocess
import sys
import threading
import time
import urllib.parse

pages = {}
log = []
lock = threading.Lock()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.1'

    def log_message(self, *args):
        pass

    def answer(self, status, body, content_type='text/html'):
        self.send_response(status)
        self.send_header('Content-Type', content_type)
        self.send_header('Content-Length', str(len(body)))
        self.send_header('Cache-Control', 'no-cache')
        self.end_headers()
        self.wfile.write(body)

    def endless_headers(self):
        self.close_connection = True
        try:
            self.wfile.write(b'HTTP/1.1 200 OK\r\n')
            line = 0
            while True:
                self.wfile.write(b'X-Filler-%d: %s\r\n' % (line, b'x' * 200))
                self.wfile.flush()
                line += 1
                if line % 50 == 0:
                    time.sleep(0.01)
        except OSError:
            pass

    def do_PUT(self):
        url = urllib.parse.urlsplit(self.path)
        status = int(urllib.parse.parse_qs(url.query).get('status', ['200'])[0])
        length = int(self.headers.get('Content-Length', '0'))
        body = self.rfile.read(length)
        with lock:
            pages[url.path] = (status, body)
        self.answer(200, b'stored')

    def do_DELETE(self):
        with lock:
            pages.clear()
            log.clear()
        self.answer(200, b'cleared')

    def do_GET(self):
        path = urllib.parse.urlsplit(self.path).path
        if path == '/__log':
            with lock:
                text = ''.join(line + '\n' for line in log)
            self.answer(200, text.encode('latin-1'), 'text/plain')
            return
        with lock:
            log.append('GET %s\t%s\t%s' % (path, self.headers.get('User-Agent', ''),
                                           self.headers.get('Accept', '')))
            page = pages.get(path)
        if page is None:
            self.answer(404, b'<html><body>not found</body></html>')
        elif page[0] == 0:
            self.close_connection = True
            self.connection.shutdown(2)
        elif page[0] == -1:
            self.close_connection = True
            time.sleep(120)
        elif page[0] == -4:
            self.endless_headers()
        elif page[0] in (-2, -3):
            self.close_connection = True
            self.send_response(200)
            self.send_header('Content-Type', 'application/octet-stream')
            if page[0] == -2:
                self.send_header('Content-Length', str(len(page[1])))
            self.send_header('Connection', 'close')
            self.end_headers()
            try:
                if page[0] == -2:
                    for i in range(len(page[1])):
                        self.wfile.write(page[1][i:i + 1])
                        self.wfile.flush()
                        time.sleep(1)
                else:
                    block = page[1] or b'x'
                    while True:
                        self.wfile.write(block)
            except OSError:
                pass
        else:
            self.answer(page[0], page[1])


class EndlessHeaders(Handler):
    def do_GET(self):
        self.endless_headers()


def main():
    args = sys.argv[1:]
    if args[:1] == ['--endless-headers']:
        port = int(args[1]) if len(args) > 1 else 0
        server = http.server.ThreadingHTTPServer(('127.0.0.1', port), EndlessHeaders)
        server.daemon_threads = True
        print(server.server_address[1], flush=True)
        server.serve_forever()
        return 0
    if args and args[0] == '--':
        args = args[1:]
    if not args:
        print(__doc__, file=sys.stderr)
        return 2
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    watchdog = threading.Timer(3600, lambda: os._exit(124))
    watchdog.daemon = True
    watchdog.start()
    env = dict(os.environ, KESTRUNE_TEST_HTTP='127.0.0.1:%d' % server.server_address[1])
    try:
        return subprocess.call(args, env=env)
    finally:
        server.shutdown()


if __name__ == '__main__':
    sys.exit(main())
