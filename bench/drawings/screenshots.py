#!/usr/bin/env python3
"""Before and after pictures of converted pages, for review.

usage: screenshots.py BEFORE_DIR AFTER_DIR OUT_DIR PAGE...

PAGE is a page's path below both folders (e.g. xlsxwriter/textbox18.htm);
each is rendered by headless Chromium (bench/bootstrap installs it) into
OUT_DIR/<name>-before.png and OUT_DIR/<name>-after.png, 900 by 420 pixels."""
import pathlib, subprocess, sys


def shot(page, png):
    subprocess.run(['chromium', '--headless', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
                    '--hide-scrollbars', '--force-device-scale-factor=1', '--window-size=900,420',
                    '--screenshot=' + str(png), page.resolve().as_uri()],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def main():
    before, after, out = (pathlib.Path(a) for a in sys.argv[1:4])
    out.mkdir(parents=True, exist_ok=True)
    for page in sys.argv[4:]:
        name = pathlib.Path(page).stem
        shot(before / page, out / (name + '-before.png'))
        shot(after / page, out / (name + '-after.png'))
        print(name)


if __name__ == '__main__':
    main()
