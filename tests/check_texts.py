#!/usr/bin/env python3
"""Every text the user sees is worded in resources/, so that each is worded once and all of
them can be read in one place. This fails on a string literal in the program's code outside
resources/ that reads as words (two words of letters with a space between), leaving out
markup (a literal with "<"), comments, the start-up trace a developer turns on, and
compile-time assertions.

Usage: check_texts.py <source folder>
"""
import pathlib
import re
import sys

LAYERS = ("app", "records", "storage", "output", "widgets")
LITERAL = re.compile(r'"(?:[^"\\\n]|\\.)*"')
WORDS = re.compile(r"[A-Za-z]{2,} +[A-Za-z]{2,}")
DEVELOPER_ONLY = ("StartupTrace::Mark(", "static_assert(", "numora start-up:")


def code_of(line):
    """The line without a trailing // comment (one outside a literal)."""
    out, i, quoted = [], 0, False
    while i < len(line):
        c = line[i]
        if quoted and c == "\\":
            out.append(line[i : i + 2])
            i += 2
            continue
        if c == '"' and not (i > 0 and line[i - 1] == "'" and line[i + 1 : i + 2] == "'"):
            quoted = not quoted
        elif not quoted and line.startswith("//", i):
            break
        out.append(c)
        i += 1
    return "".join(out)


def main(root):
    found = []
    for layer in LAYERS:
        for path in sorted((root / layer).rglob("*")):
            if path.suffix not in (".cpp", ".h"):
                continue
            in_block_comment = False
            for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
                stripped = line.strip()
                if in_block_comment:
                    in_block_comment = "*/" not in stripped
                    continue
                if stripped.startswith("/*"):
                    in_block_comment = "*/" not in stripped
                    continue
                if stripped.startswith(("//", "#include")):
                    continue
                code = code_of(line)
                if any(mark in code for mark in DEVELOPER_ONLY):
                    continue
                for literal in LITERAL.findall(code):
                    if "<" not in literal and WORDS.search(literal):
                        found.append(f"{path.relative_to(root)}:{number}: {literal}")
    if found:
        print("FAIL: texts worded outside resources/:", file=sys.stderr)
        print("\n".join(found), file=sys.stderr)
        return 1
    print("PASS: every text is worded in resources/")
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(main(pathlib.Path(sys.argv[1])))
