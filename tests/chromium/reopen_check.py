"""Opens the purged profile with a real Chromium and checks it kept what the keep list keeps:
the "p=" site's cookies (of its host and of its domain) with their values, the "r=" site's with
the values the purge wrote, no other cookie, the bookmark. Usage: reopen_check.py
PURGED_USER_DATA"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from chromium_cdp import Browser, serve  # noqa: E402


def main(user_data):
    with open(os.path.join(user_data, 'rand-value.txt')) as f:
        randomized = dict(line.split(' ', 1) for line in f.read().splitlines())
    server = serve()
    browser = Browser(user_data, server.server_address[1])
    try:
        page = browser.page()
        cookies = {c['domain']: c['value'] for c in browser.call('Storage.getCookies')['cookies']}
        browser.navigate(page, 'chrome://bookmarks/')
        marks = browser.evaluate(
            page, 'new Promise(r => chrome.bookmarks.getTree(t => r(JSON.stringify(t))))')
    finally:
        browser.close()
        server.shutdown()
    failures = []
    expected = {'kept.example': 'kept-value', '.kept.example': 'kept-domain'}
    expected.update(randomized)
    if cookies != expected or sorted(randomized) != ['.rand.example', 'rand.example']:
        failures.append('cookies after the purge: %r (randomized to %r)' % (cookies, randomized))
    if not marks or 'http://kept.example/' not in marks:
        failures.append('bookmark missing: %r' % marks)
    for f in failures:
        print('chromium reopen: ' + f, file=sys.stderr)
    if failures:
        sys.exit(1)
    print('chromium reopen: kept cookies %s and the bookmark are there' % sorted(cookies))


if __name__ == '__main__':
    main(sys.argv[1])
