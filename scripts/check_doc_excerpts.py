#!/usr/bin/env python3
"""Checks that every code block of a Markdown file marked
`<!-- excerpt: path -->` appears, line for line, in the file it names (paths are
relative to the repository). Usage: check_doc_excerpts.py FILE.md..."""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parents[1]
MARKED = re.compile(r"<!-- excerpt: (\S+) -->\n```[a-z+]*\n(.*?)```", re.S)


def missing_excerpts(markdown):
    text = markdown.read_text()
    found = MARKED.findall(text)
    if not found:
        yield "%s: no marked excerpts" % markdown
    for path, block in found:
        if block not in (ROOT / path).read_text():
            yield "%s: excerpt not found in %s:\n%s" % (markdown, path, block)


problems = [p for name in sys.argv[1:] for p in missing_excerpts(pathlib.Path(name))]
print("\n".join(problems) or "excerpts match their files")
sys.exit(1 if problems else 0)
