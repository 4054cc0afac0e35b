"""Makes a real Chromium profile for the Chromium tests: Debian's chromium, headless, browses a
local site (every *.example host maps to it and sets a lasting cookie), with typed and linked
navigations and a submitted form, and keeps a bookmark. Usage: make_fixture.py USER_DATA_DIR"""
import json
import os
import shutil
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from chromium_cdp import Browser, serve  # noqa: E402

# Hosts the tests expect: kept.example is kept by the keep list, rand.example randomized, the
# others deleted; typed.example and form.example are typed into the address bar.
LINKED = ['kept.example', 'rand.example', 'gone.example', 'other.example']
TYPED = ['typed.example', 'form.example']
BOOKMARK = 'http://kept.example/'


def bookmarks():
    node = {'date_added': '13300000000000000', 'guid': '00000000-0000-4000-a000-000000000001',
            'id': '4', 'name': 'Kept page', 'type': 'url', 'url': BOOKMARK}
    folder = lambda i, name, children: {  # noqa: E731
        'children': children, 'date_added': '13300000000000000', 'date_modified': '0',
        'guid': '00000000-0000-4000-a000-00000000000%d' % (i + 1), 'id': str(i),
        'name': name, 'type': 'folder'}
    return {'roots': {'bookmark_bar': folder(1, 'Bookmarks bar', [node]),
                      'other': folder(2, 'Other bookmarks', []),
                      'synced': folder(3, 'Mobile bookmarks', [])}, 'version': 1}


def main(out):
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(os.path.join(out, 'Default'))
    with open(os.path.join(out, 'Default', 'Bookmarks'), 'w') as f:
        json.dump(bookmarks(), f, indent=3)
    server = serve()
    browser = Browser(out, server.server_address[1])
    try:
        page = browser.page()
        browser.navigate(page, 'http://start.example/')
        for host in LINKED:
            browser.navigate(page, 'http://%s/' % host, 'link')
        for host in TYPED:
            browser.navigate(page, 'http://%s/form' % host, 'typed')
        # A form submitted by a click: the entry goes to the autofill table of Web Data.
        browser.call('Runtime.evaluate', page,
                     expression='document.getElementById("q").value = "quorvane-form-entry"')
        browser.call('Runtime.evaluate', page, expression='document.getElementById("s").click()')
        browser.wait_event('Page.loadEventFired')
        time.sleep(1)
    finally:
        browser.close()
        server.shutdown()


if __name__ == '__main__':
    main(sys.argv[1])
