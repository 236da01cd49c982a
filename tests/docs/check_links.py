#!/usr/bin/env python3
"""Checks that every relative link and image in the project's Markdown leads
somewhere: README.md, CONTRIBUTING.md when there is one, and docs/*.md.

A link's file must exist, relative to the document that holds it, and a
#anchor, in the same document or another, must name one of that document's
headings as GitHub spells it. Links with a scheme (https:, mailto:) are left
alone: the tests talk to no outside server.

    check_links.py <source folder>

Prints one line per broken link and exits 1 when there is any.
"""

import functools
import re
import sys
import unicodedata
from pathlib import Path
from urllib.parse import unquote

FENCE = re.compile(r"^ {0,3}(`{3,}|~{3,})")
ATX_HEADING = re.compile(r"^ {0,3}(#{1,6})(?:[ \t]+(.*?))?(?:[ \t]+#+)?[ \t]*$")
SETEXT_UNDERLINE = re.compile(r"^ {0,3}(=+|-+)[ \t]*$")
CODE_SPAN = re.compile(r"(`+)(.+?)\1")
# [text](target) and ![alt](target); the target may be <in angle brackets>
# and may carry a "title".
INLINE_LINK = re.compile(r"!?\[(?:[^\[\]]|\[[^\[\]]*\])*\]\(\s*(<[^>]*>|[^)\s]*)(?:\s+\"[^\"]*\")?\s*\)")
REFERENCE = re.compile(r"^ {0,3}\[[^\]]+\]:\s*(<[^>]*>|\S+)")
HTML_TARGET = re.compile(r"<(?:a|img)\b[^>]*?\b(?:href|src)=\"([^\"]*)\"", re.IGNORECASE)
HTML_ANCHOR = re.compile(r"<a\b[^>]*?\b(?:name|id)=\"([^\"]*)\"", re.IGNORECASE)
SCHEME = re.compile(r"^[A-Za-z][A-Za-z0-9+.-]*:")


def heading_text(markdown):
    """The heading's text as GitHub renders it: links and images give their
    text, code spans their code, and HTML tags nothing."""
    text = re.sub(r"!?\[([^\]]*)\]\([^)]*\)", r"\1", markdown)
    text = CODE_SPAN.sub(lambda m: m.group(2), text)
    return re.sub(r"<[^>]+>", "", text)


def slug(text):
    """GitHub's anchor for a heading: lower case, punctuation dropped (hyphens
    and underscores stay, as on GitHub), each space a hyphen."""
    kept = []
    for c in heading_text(text).strip().lower():
        category = unicodedata.category(c)
        if c in " -_" or category[0] in "LNM":
            kept.append("-" if c == " " else c)
    return "".join(kept)


def outside_code(lines):
    """(line number, line, line with its code spans blanked) for each line
    outside fenced code blocks: a link written as code is no link."""
    fence = None
    for number, line in enumerate(lines, 1):
        opened = FENCE.match(line)
        if fence:
            if opened and opened.group(1)[0] == fence[0] and len(opened.group(1)) >= len(fence):
                fence = None
            continue
        if opened:
            fence = opened.group(1)
            continue
        yield number, line, CODE_SPAN.sub(lambda m: " " * len(m.group(0)), line)


@functools.cache
def anchors(path):
    """Every anchor a document offers: its headings' slugs, a repeated slug
    numbered -1, -2, ... as GitHub does, and any <a name> or id. A setext
    heading is taken as its last line of text."""
    seen = {}
    found = set()
    body = list(outside_code(path.read_text(encoding="utf-8").splitlines()))
    for index, (number, line, _) in enumerate(body):
        heading = None
        atx = ATX_HEADING.match(line)
        if atx:
            heading = atx.group(2) or ""
        elif (index + 1 < len(body) and line.strip() and body[index + 1][0] == number + 1
              and SETEXT_UNDERLINE.match(body[index + 1][1])
              and not line.lstrip().startswith(("-", "*", "+", ">", "|"))):
            heading = line.strip()
        if heading is not None:
            base = slug(heading)
            count = seen.get(base, 0)
            seen[base] = count + 1
            found.add(base if count == 0 else f"{base}-{count}")
        found.update(HTML_ANCHOR.findall(line))
    return frozenset(found)


def targets(line):
    for pattern in (INLINE_LINK, REFERENCE, HTML_TARGET):
        for match in pattern.finditer(line):
            yield match.group(1).strip("<>")


def check(document, root):
    problems = []
    lines = document.read_text(encoding="utf-8").splitlines()
    where = document.relative_to(root)
    count = 0
    for number, _, line in outside_code(lines):
        for target in targets(line):
            count += 1
            if not target or SCHEME.match(target) or target.startswith("//"):
                continue
            path_part, _, anchor = target.partition("#")
            path_part, anchor = unquote(path_part), unquote(anchor)
            linked = (document.parent / path_part).resolve() if path_part else document
            if not linked.is_relative_to(root):
                # GitHub shows nothing beyond the repository.
                problems.append(f"{where}:{number}: {target}: outside the repository")
                continue
            if not linked.exists():
                problems.append(f"{where}:{number}: {target}: no such file")
                continue
            if not anchor:
                continue
            if linked.suffix.lower() != ".md" or linked.is_dir():
                problems.append(f"{where}:{number}: {target}: an anchor on a file that is not Markdown")
            elif anchor not in anchors(linked):
                problems.append(f"{where}:{number}: {target}: no heading "
                                f"'{anchor}' in {linked.relative_to(root)}")
    return count, problems


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: check_links.py <source folder>")
    root = Path(sys.argv[1]).resolve()
    documents = [root / name for name in ("README.md", "CONTRIBUTING.md") if (root / name).exists()]
    documents += sorted((root / "docs").glob("*.md"))
    if not documents:
        sys.exit(f"check_links: no Markdown documents under {root}")
    total = 0
    problems = []
    for document in documents:
        count, found = check(document, root)
        total += count
        problems += found
    for problem in problems:
        print(problem)
    print(f"check_links: {total} links in {len(documents)} documents, {len(problems)} broken")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
