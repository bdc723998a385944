#!/usr/bin/env python3
"""Puts each target's sources in unity groups for the build (called by
cmake/KorvalindeTargets.cmake at configure time).

Reads lines "folder|target|groups|source" and writes lines
"folder|source|group", without the group for a source compiled on its own.
Groups are named by their count, not the target: a source that several
targets of a folder share falls in the same group in each with as many. A source's group is fixed by a hash of
its path below the source tree, so adding a file moves no other. A source
that defines at file level a name that an earlier source of its group
defines too (a function, type, constant or macro) is compiled on its own: in
one translation unit the second would fail to compile or, for functions of
another signature, silently overload the first.
"""
import hashlib
import re
import sys

DEFINED = [
    # functions and variables at file level: a line that starts with a type
    re.compile(r'^(?:(?:static|inline|constexpr|const|extern|thread_local|unsigned|signed|struct|enum)\s+)*'
               r'[A-Za-z_][\w:<>,]*(?:\s*[\*&]+\s*|\s+)(?:[\*&]\s*)*([A-Za-z_]\w*)\s*(?:\(|\[|=|\{|;)'),
    re.compile(r'^(?:struct|class|union|enum(?:\s+class)?)\s+([A-Za-z_]\w*)'),
    re.compile(r'^using\s+([A-Za-z_]\w*)\s*='),
    re.compile(r'^#\s*define\s+([A-Za-z_]\w*)'),
    # enumerators and table rows at one indent inside a file-level enum
    re.compile(r'^  (k[A-Z]\w*)\s*(?:=|,|$)'),
]
# The Windows headers define macros over many names (RemoveDirectory,
# GetObject, ...): a source that reaches them shares no group with one that
# does not.
WINDOWS_SIDE = re.compile(r'^\s*#\s*include\s*(?:<(?:windows|winuser|commctrl|commdlg|shellapi|shlobj|shlwapi|'
                          r'ole2|objbase|ddeml|wingdi|mmsystem)\.h>|"[^"]*win32/)', re.IGNORECASE)
IGNORED = {'main', 'operator', 'return', 'namespace', 'template', 'typename'}


def file_names(path, cache={}):
    """The file-level names a source defines, and whether it reaches the
    Windows headers."""
    if path in cache:
        return cache[path]
    names = set()
    windows = '/win32/' in path
    try:
        with open(path, encoding='utf-8', errors='replace') as f:
            for line in f:
                if WINDOWS_SIDE.match(line):
                    windows = True
                if '::' in line.split('(')[0]:
                    continue
                for pattern in DEFINED:
                    m = pattern.match(line)
                    if m:
                        name = m.group(1)
                        # macros (TEST, TEST_F, ...) and keywords are not names
                        if name not in IGNORED and not re.fullmatch(r'[A-Z0-9_]+', name) or line.startswith('#'):
                            names.add(name)
                        break
    except OSError:
        pass  # a source made by the build
    cache[path] = (names, windows)
    return cache[path]


def main():
    top = sys.argv[1]
    out = []
    targets = {}
    for line in sys.stdin:
        line = line.rstrip('\n')
        if not line:
            continue
        folder, target, groups, source = line.split('|', 3)
        targets.setdefault((folder, target, int(groups)), []).append(source)
    for (folder, target, groups), sources in targets.items():
        seen = {}
        for source in sources:
            rel = source[len(top) + 1:] if source.startswith(top + '/') else source
            names, windows = file_names(source)
            group = f'of{groups}_{int(hashlib.md5(rel.encode()).hexdigest()[:6], 16) % groups}'
            if windows:
                group += 'w'
            taken = seen.setdefault(group, set())
            if names & taken:
                out.append(f'{folder}|{source}')
                continue
            taken |= names
            out.append(f'{folder}|{source}|{group}')
    sys.stdout.write('\n'.join(out) + '\n')


if __name__ == '__main__':
    main()
