"""Drives Debian's chromium (headless) over the DevTools pipe: a real browser writing a real
profile, and reading one back. Used by make_fixture.sh and reopen_check.sh."""
import json
import os
import subprocess
import threading
import time
import http.server

PAGE = (b'<html><head><title>%s %s</title><link rel="icon" href="/favicon.ico"></head><body>'
        b'<form action="/done" method="get"><input type="text" name="q" id="q" autocomplete="on">'
        b'<input type="submit" id="s" value="Go"></form></body></html>')


# A 1x1 PNG, so that every page gets an icon in Favicons.
ICON = bytes.fromhex(
    '89504e470d0a1a0a0000000d49484452000000010000000108060000001f15c489'
    '0000000d49444154789c63f8cfc0f01f0005000201a5f6c2d80000000049454e44ae426082')


# A service worker, whose script the browser keeps in the profile's Service Worker\ScriptCache.
WORKER = b"self.addEventListener('fetch', () => {});"

# The hosts a page may register a service worker on: a worker needs a secure origin, and these
# plain-http ones are treated as such (--unsafely-treat-insecure-origin-as-secure).
WORKER_ORIGINS = ['http://www.example.com']


class Site(http.server.BaseHTTPRequestHandler):
    """Every host maps here; each page sets a lasting cookie of its host and one of its domain
    (".host", where a site's logins usually live), both named after the host."""

    def reply(self, content_type, body, *headers):
        self.send_response(200)
        self.send_header('Content-Type', content_type)
        self.send_header('Content-Length', str(len(body)))
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        host = self.headers.get('Host', '').split(':')[0]
        if self.path == '/favicon.ico':
            self.reply('image/png', ICON)
        elif self.path == '/worker.js':
            self.reply('text/javascript', WORKER)
        else:
            label = host.split('.')[0]
            self.reply('text/html', PAGE % (host.encode(), self.path.encode()),
                       ('Cache-Control', 'max-age=3600'),
                       ('Set-Cookie', 'sid=%s-value; Max-Age=864000; Path=/' % label),
                       ('Set-Cookie', 'dom=%s-domain; Domain=.%s; Max-Age=864000; Path=/'
                        % (label, host)))

    def log_message(self, *args):
        pass


def serve():
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Site)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


class Browser:
    def __init__(self, user_data, port):
        r1, w1 = os.pipe()  # to the browser (its fd 3)
        r2, w2 = os.pipe()  # from the browser (its fd 4)
        args = ['/usr/bin/chromium', '--headless', '--no-sandbox', '--disable-gpu',
                '--password-store=basic', '--no-first-run', '--remote-debugging-pipe',
                '--user-data-dir=' + user_data,
                '--host-resolver-rules=MAP *.example 127.0.0.1:%d, MAP *.example.com 127.0.0.1:%d'
                % (port, port),
                '--unsafely-treat-insecure-origin-as-secure=' + ','.join(WORKER_ORIGINS),
                'about:blank']

        def child():
            os.dup2(r1, 3)
            os.dup2(w2, 4)
        self.proc = subprocess.Popen(args, pass_fds=(3, 4), preexec_fn=child,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                     close_fds=False)
        os.close(r1)
        os.close(w2)
        self.out = os.fdopen(w1, 'wb', buffering=0)
        self.inp = os.fdopen(r2, 'rb', buffering=0)
        self.buf = b''
        self.next_id = 0
        self.events = []

    def _read(self):
        while b'\0' not in self.buf:
            chunk = self.inp.read(65536)
            if not chunk:
                raise RuntimeError('browser closed the pipe')
            self.buf += chunk
        msg, self.buf = self.buf.split(b'\0', 1)
        return json.loads(msg)

    def call(self, method, session=None, **params):
        self.next_id += 1
        msg = {'id': self.next_id, 'method': method, 'params': params}
        if session:
            msg['sessionId'] = session
        self.out.write(json.dumps(msg).encode() + b'\0')
        while True:
            reply = self._read()
            if reply.get('id') == self.next_id:
                if 'error' in reply:
                    raise RuntimeError('%s: %s' % (method, reply['error']))
                return reply.get('result', {})
            self.events.append(reply)

    def wait_event(self, name, timeout=20):
        end = time.time() + timeout
        while time.time() < end:
            for i, e in enumerate(self.events):
                if e.get('method') == name:
                    return self.events.pop(i)
            self.events.append(self._read())
        raise RuntimeError('no ' + name)

    def page(self):
        target = self.call('Target.createTarget', url='about:blank')['targetId']
        session = self.call('Target.attachToTarget', targetId=target, flatten=True)['sessionId']
        self.call('Page.enable', session)
        return session

    def navigate(self, session, url, transition='typed'):
        """Goes to the url as if typed into the address bar (the browser records a navigation
        this protocol starts as typed, whatever transition it names)."""
        self.events = [e for e in self.events if e.get('method') != 'Page.loadEventFired']
        self.call('Page.navigate', session, url=url, transitionType=transition)
        self.wait_event('Page.loadEventFired')

    def follow_link(self, session, url):
        """Goes to the url by a click on a link of the page, as a user follows one."""
        self.events = [e for e in self.events if e.get('method') != 'Page.loadEventFired']
        self.evaluate(session, (
            'const a = document.createElement("a"); a.href = %s; a.textContent = "link";'
            'a.style = "position:fixed;left:0;top:0;width:300px;height:60px;display:block";'
            'document.body.appendChild(a); true') % json.dumps(url))
        for kind in ('mousePressed', 'mouseReleased'):
            self.call('Input.dispatchMouseEvent', session, type=kind, x=20, y=20,
                      button='left', clickCount=1)
        self.wait_event('Page.loadEventFired')

    def evaluate(self, session, expression):
        r = self.call('Runtime.evaluate', session, expression=expression, awaitPromise=True,
                      returnByValue=True)
        return r.get('result', {}).get('value')

    def close(self):
        try:
            self.call('Browser.close')
        except RuntimeError:
            pass
        try:
            self.proc.wait(30)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
