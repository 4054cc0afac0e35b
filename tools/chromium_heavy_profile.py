"""Grows the real Chromium profile of the tests (build/chromium_fixture) into a heavy one for the
chromium benchmark, in the browser's own schemas: 100 000 urls with 500 000 visits, 20 000
cookies on 3 000 hosts, 10 000 autofill rows, 20 000 cache files, and the bookmark.
Usage: chromium_heavy_profile.py FIXTURE_USER_DATA OUT_PROFILE_FOLDER"""
import os
import random
import shutil
import sqlite3
import sys

URLS, VISITS, COOKIES, HOSTS, FORMS, CACHE = 100000, 500000, 20000, 3000, 10000, 20000


def main(fixture, out):
    src = os.path.join(fixture, 'Default')
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(os.path.join(out, 'Cache', 'Cache_Data'))
    for name in ('History', 'Cookies', 'Web Data', 'Favicons', 'Bookmarks', 'Preferences'):
        shutil.copy(os.path.join(src, name), os.path.join(out, name))
    rnd = random.Random(7)
    db = sqlite3.connect(os.path.join(out, 'History'))
    db.executemany('INSERT INTO urls (id, url, title, visit_count, typed_count, last_visit_time,'
                   ' hidden) VALUES (?, ?, ?, 5, ?, 13300000000000000, 0)',
                   ((1000 + i, 'http://site%d.example/page%d' % (i % 3000, i), 'Page %d' % i,
                     1 if i % 10 == 0 else 0) for i in range(URLS)))
    db.executemany('INSERT INTO visits (url, visit_time, from_visit, transition, segment_id,'
                   ' visit_duration, incremented_omnibox_typed_score, opener_visit, originator_cache_guid,'
                   ' originator_visit_id, originator_from_visit, originator_opener_visit,'
                   ' is_known_to_sync, consider_for_ntp_most_visited, visited_link_id, app_id)'
                   ' VALUES (?, ?, 0, 805306368, 0, 0, 0, 0, \'\', 0, 0, 0, 0, 0, 0, NULL)',
                   ((1000 + rnd.randrange(URLS), 13300000000000000 + i) for i in range(VISITS)))
    db.commit()
    db.close()
    db = sqlite3.connect(os.path.join(out, 'Cookies'))
    row = db.execute('SELECT * FROM cookies LIMIT 1').fetchone()
    cols = [d[0] for d in db.execute('SELECT * FROM cookies LIMIT 1').description]
    host_at, name_at = cols.index('host_key'), cols.index('name')
    db.execute('DELETE FROM cookies')
    rows = []
    for i in range(COOKIES):
        r = list(row)
        r[host_at] = 'host%04d.example' % (i % HOSTS)
        r[name_at] = 'c%d' % i
        rows.append(r)
    db.executemany('INSERT INTO cookies VALUES (%s)' % ','.join('?' * len(cols)), rows)
    db.commit()
    db.close()
    db = sqlite3.connect(os.path.join(out, 'Web Data'))
    db.executemany('INSERT INTO autofill (name, value, value_lower, date_created, date_last_used,'
                   ' count) VALUES (?, ?, ?, 1700000000, 1700000000, 1)',
                   (('field%d' % (i % 50), 'entry %d' % i, 'entry %d' % i) for i in range(FORMS)))
    db.commit()
    db.close()
    cache = os.path.join(out, 'Cache', 'Cache_Data')
    for i in range(CACHE):
        with open(os.path.join(cache, 'f_%06x' % i), 'wb') as f:
            f.write(b'cached bytes of a page\n' * 8)


if __name__ == '__main__':
    main(sys.argv[1], sys.argv[2])
