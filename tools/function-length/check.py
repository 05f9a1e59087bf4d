#!/usr/bin/env python3
"""Lists the longest function bodies in C++ sources and fails when one is
longer than the limit.

usage: tools/function-length/check.py [--max N] [--top K] PATH...

PATHs are files or folders (searched for .cpp and .h). A function's length
runs from the first line of its signature to its closing brace, so a
one-line function is 1. Lambdas and local classes count towards the function
that holds them. The sources are expected in the house style (scripts/format),
which this reads without a compiler: comments, literals and preprocessor
lines are blanked first, then braces are matched.
"""
import argparse
import os
import re
import sys


def blank(text):
    """The text with comments, string and character literals and preprocessor
    lines replaced by spaces (newlines kept, so line numbers hold)."""
    out = []
    i, n = 0, len(text)
    line_start = True
    while i < n:
        c = text[i]
        if line_start and c == '#':
            # A preprocessor line, with its continuations.
            while i < n and text[i] != '\n':
                if text[i] == '\\' and i + 1 < n and text[i + 1] == '\n':
                    out.append(' \n')
                    i += 2
                    continue
                out.append(' ')
                i += 1
            continue
        if c == '\n':
            out.append(c)
            line_start = True
            i += 1
            continue
        if c not in ' \t':
            line_start = False
        if text.startswith('//', i):
            while i < n and text[i] != '\n':
                out.append(' ')
                i += 1
            continue
        if text.startswith('/*', i):
            end = text.find('*/', i + 2)
            end = n if end < 0 else end + 2
            out.append(re.sub(r'[^\n]', ' ', text[i:end]))
            i = end
            continue
        m = re.match(r'(?:u8|u|U|L)?R"([^(\s]{0,16})\(', text[i:i + 24])
        if m and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == '_')):
            close = ')' + m.group(1) + '"'
            end = text.find(close, i + m.end())
            end = n if end < 0 else end + len(close)
            out.append('""' + re.sub(r'[^\n]', ' ', text[i + 2:end]))
            i = end
            continue
        if c == '"' or (c == "'" and not (i > 0 and text[i - 1].isalnum())):
            # (a ' after a digit or letter is a digit separator)
            j = i + 1
            while j < n and text[j] != c and text[j] != '\n':
                j += 2 if text[j] == '\\' else 1
            out.append(c + ' ' * (min(j, n) - i - 1) + (c if j < n else ''))
            i = j + 1
            continue
        out.append(c)
        i += 1
    return ''.join(out)


QUALIFIERS = re.compile(r'(\s*\b(const|override|final|noexcept|mutable|volatile|&|&&)\b\s*)*$')


def depth0(s):
    """s with everything inside (), [] and <> after an operator removed."""
    out, d = [], 0
    for ch in s:
        if ch in '([':
            d += 1
        elif ch in ')]':
            d = max(0, d - 1)
        elif d == 0:
            out.append(ch)
    return ''.join(out)


def classify(pending):
    p = re.sub(r'\btemplate\s*<[^{;]*?>\s*(?=\w)', ' ', pending).strip()
    if re.search(r'\bnamespace\b', p) or re.match(r'extern\s*""$', p):
        return 'scope'
    if re.match(r'^(?:[\w:]+\s+)*(class|struct|union)\b', p) and '(' not in p.split(':')[0]:
        return 'scope'
    if re.match(r'^(?:[\w:]+\s+)*enum\b', p):
        return 'data'
    if p.count('(') > p.count(')'):
        return 'init'  # a braced default argument
    top = depth0(p)
    if '=' in top.replace('==', '').replace('<=', '').replace('>=', '').replace('!=', '').replace('operator=', ''):
        return 'data'
    if '(' not in p:
        return 'data'
    # A constructor's initializer list with a braced member: the body is
    # still to come.
    if re.search(r'\)\s*(noexcept\s*)?:(?!:)', p) and re.search(r'[\w>]$', p):
        return 'init'
    if re.search(r'\)$', QUALIFIERS.sub('', p)) or '->' in top or p.endswith('}'):
        return 'function'
    return 'data'


def name_of(pending):
    p = re.sub(r'\s+', ' ', pending).strip()
    m = re.search(r'((?:[\w~]+::)*(?:operator\s*[^\s(]+|~?\w+))\s*\(', p)
    return m.group(1) if m else p[:40]


def functions(path):
    text = blank(open(path, encoding='utf-8', errors='replace').read())
    stack = []  # kinds of the open braces: scope, function, data, init, inner
    pending, pending_line = '', None
    line = 1
    starts = []
    found = []
    for ch in text:
        if ch == '\n':
            line += 1
        inside = any(k in ('function', 'data', 'inner') for k in stack)
        if inside:
            if ch == '{':
                stack.append('inner')
            elif ch == '}':
                kind = stack.pop()
                start, name = starts.pop()
                if kind == 'function':
                    found.append((line - start + 1, name, path, start))
                if kind in ('function', 'data'):
                    pending, pending_line = '', None
            if ch in '{}':
                starts.append((line, '')) if ch == '{' else None
            continue
        if ch == '{':
            kind = classify(pending)
            if kind == 'init':
                stack.append('init')
                starts.append((line, ''))
                pending += '{'
                continue
            stack.append(kind)
            starts.append((pending_line or line, name_of(pending)))
            if kind == 'scope':
                pending, pending_line = '', None
            continue
        if ch == '}':
            if stack:
                kind = stack.pop()
                starts.pop()
                if kind == 'init':
                    pending += '}'
                    continue
            pending, pending_line = '', None
            continue
        if ch == ';':
            pending, pending_line = '', None
            continue
        if ch == ':' and re.search(r'\b(public|private|protected)\s*$', pending):
            pending, pending_line = '', None
            continue
        if not ch.isspace() and pending_line is None:
            pending_line = line
        pending += ch
    return found


def sources(paths):
    for p in paths:
        if os.path.isdir(p):
            for root, _, files in os.walk(p):
                for f in sorted(files):
                    if f.endswith(('.cpp', '.h')):
                        yield os.path.join(root, f)
        else:
            yield p


def main():
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    ap.add_argument('--max', type=int, default=120)
    ap.add_argument('--top', type=int, default=5)
    ap.add_argument('paths', nargs='+')
    args = ap.parse_args()
    found = [f for path in sources(args.paths) for f in functions(path)]
    found.sort(key=lambda f: (-f[0], f[2], f[3]))
    for length, name, path, start in found[:args.top]:
        print(f'{length:5}  {name}  ({path}:{start})')
    over = [f for f in found if f[0] > args.max]
    if over:
        print(f'{len(over)} function(s) over {args.max} lines', file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
