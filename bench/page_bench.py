#!/usr/bin/env python3
"""The matrix page of a big line: `mfglist matrix --html` over N models and a
60-entry CD-ROM media, the page's size and the time headless Chromium takes
from the navigation to the load event (the page's script has run by then).
Prints a table; no test depends on it.

    python3 bench/page_bench.py [--tool build/native/tools/mfglist]
        [--models 200,1000] [--entries 60] [--runs 3]
"""
import argparse
import html
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

from line_bench import catalogue, media

# Run when the page has loaded; what it measures comes back in the DOM.
PROBE = """<script>window.addEventListener("load", function () {
  var navigation = performance.getEntriesByType("navigation")[0];
  document.body.dataset.probe = JSON.stringify({
    load: navigation.loadEventStart,
    view: document.getElementById("grid-view").hidden ? "models as rows" : "grid"
  });
});</script>
"""


def load_time(page, work):
    """Navigation to load event in ms, and the view the page chose."""
    probed = os.path.join(work, "probed.html")
    with open(page, encoding="utf-8") as f:
        text = f.read()
    at = text.rfind("</body>")
    with open(probed, "w", encoding="utf-8") as f:
        f.write(text[:at] + PROBE + text[at:])
    done = subprocess.run(
        ["timeout", "-k", "10", "120", "chromium", "--headless", "--no-sandbox", "--disable-gpu",
         "--no-first-run", "--disable-extensions", "--window-size=1600,1000",
         "--user-data-dir=" + os.path.join(work, "profile"), "--dump-dom", "file://" + probed],
        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=False)
    found = re.search(r'data-probe="([^"]*)"', done.stdout.decode("utf-8", "replace"))
    if not found:
        sys.exit("bench: chromium gave no figure (exit status %d)" % done.returncode)
    figures = json.loads(html.unescape(found.group(1)))
    return figures["load"], figures["view"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", default="build/native/tools/mfglist")
    parser.add_argument("--models", default="200,1000")
    parser.add_argument("--entries", type=int, default=60)
    parser.add_argument("--runs", type=int, default=3)
    options = parser.parse_args()
    if not shutil.which("chromium"):
        sys.exit("bench: needs chromium (scripts/install-deps.sh installs it)")
    tool = os.path.abspath(options.tool)
    work = tempfile.mkdtemp(prefix="mfglist-page-bench-")
    try:
        folder = os.path.join(work, "media")
        media(folder, options.entries, True)
        print("| models | entries | page | navigation to load (best of %d) | view chosen |"
              % options.runs)
        print("|---|---|---|---|---|")
        for count in (int(n) for n in options.models.split(",")):
            models = os.path.join(work, "models-%d" % count)
            catalogue(models, count, options.entries)
            page = os.path.join(work, "matrix-%d.html" % count)
            done = subprocess.run([tool, "matrix", folder, "--cdrom", "--models", models,
                                   "--html", page], stdout=subprocess.DEVNULL,
                                  stderr=subprocess.PIPE, check=False)
            if done.returncode not in (0, 1):
                sys.exit("bench: matrix failed: %s" % done.stderr.decode())
            times = [load_time(page, work) for _ in range(options.runs)]
            print("| %d | %d | %d KB | %.0f ms | %s |" % (
                count, options.entries, os.path.getsize(page) // 1024,
                min(t for t, _ in times), times[0][1]))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
