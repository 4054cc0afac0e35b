"""Makes a real Chromium profile for the Chromium tests: Debian's chromium, headless, browses a
local site (every *.example host maps to it and sets a lasting cookie of the host and one of its
domain), with typed navigations, links followed by a click, a service worker and a submitted
form, and keeps a bookmark and an account bookmark. Usage: make_fixture.py USER_DATA_DIR"""
import json
import os
import shutil
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from chromium_cdp import Browser, serve  # noqa: E402

# Hosts the tests expect: kept.example is kept by the keep list, rand.example randomized, the
# others deleted. start.example, typed.example and form.example are typed into the address bar;
# the LINKED ones are reached by a link, but the browser records the first link to a host that
# has no public suffix (an intranet host, as every *.example is) as typed, so that it completes
# in the address bar. The pages of www.example.com are reached by links and stay links. Both
# typed pages are reached by a link as well.
LINKED = ['kept.example', 'rand.example', 'gone.example', 'other.example']
LINKED_PAGES = ['http://www.example.com/news', 'http://www.example.com/weather']
TYPED = ['typed.example', 'form.example']
BOOKMARK = 'http://kept.example/'
ACCOUNT_BOOKMARK = 'http://other.example/'


def bookmarks(url, name):
    node = {'date_added': '13300000000000000', 'guid': '00000000-0000-4000-a000-000000000001',
            'id': '4', 'name': name, 'type': 'url', 'url': url}
    folder = lambda i, name, children: {  # noqa: E731
        'children': children, 'date_added': '13300000000000000', 'date_modified': '0',
        'guid': '00000000-0000-4000-a000-00000000000%d' % (i + 1), 'id': str(i),
        'name': name, 'type': 'folder'}
    return {'roots': {'bookmark_bar': folder(1, 'Bookmarks bar', [node]),
                      'other': folder(2, 'Other bookmarks', []),
                      'synced': folder(3, 'Mobile bookmarks', [])}, 'version': 1}


def write_bookmarks(out, name, url, title):
    with open(os.path.join(out, 'Default', name), 'w') as f:
        json.dump(bookmarks(url, title), f, indent=3)


def main(out):
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(os.path.join(out, 'Default'))
    write_bookmarks(out, 'Bookmarks', BOOKMARK, 'Kept page')
    server = serve()
    browser = Browser(out, server.server_address[1])
    try:
        page = browser.page()
        browser.navigate(page, 'http://start.example/')
        for url in ['http://%s/' % host for host in LINKED] + LINKED_PAGES:
            browser.follow_link(page, url)
        # A page's service worker: its script goes to the profile's script cache.
        if not browser.evaluate(page, 'navigator.serviceWorker.register("/worker.js")'
                                      '.then(() => navigator.serviceWorker.ready).then(() => true)'):
            raise RuntimeError('the service worker was not registered')
        for host in TYPED:
            browser.navigate(page, 'http://%s/form' % host)
        for host in TYPED:
            browser.follow_link(page, 'http://%s/form' % host)
        # A form submitted by a click: the entry goes to the autofill table of Web Data.
        browser.call('Runtime.evaluate', page,
                     expression='document.getElementById("q").value = "quorvane-form-entry"')
        browser.call('Runtime.evaluate', page, expression='document.getElementById("s").click()')
        browser.wait_event('Page.loadEventFired')
        # The address bar's Shortcuts and Network Action Predictor are made a few seconds after
        # the start; a headless browser never types into them, the fixture script fills them.
        end = time.time() + 30
        while time.time() < end and not all(
                os.path.exists(os.path.join(out, 'Default', name))
                for name in ('Shortcuts', 'Network Action Predictor')):
            time.sleep(0.5)
    finally:
        browser.close()
        server.shutdown()
    # Without a signed-in account the browser empties AccountBookmarks when it starts: the
    # account's bookmark goes in once it closed, as a signed-in browser keeps it.
    write_bookmarks(out, 'AccountBookmarks', ACCOUNT_BOOKMARK, 'Account page')


if __name__ == '__main__':
    main(sys.argv[1])
