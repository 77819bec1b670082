#!/usr/bin/python3
"""Compiles every source of the project for 32-bit Windows, syntax only, so
that the code stays clean for a 32-bit build (pointer sizes, format
specifiers, struct layouts checked by static_assert).

Usage: check-32bit.py WINDOWS_BUILD_FOLDER
Takes each C++ compile command of the Windows tree (compile_commands.json),
swaps the compiler for i686-w64-mingw32-g++-posix with -fsyntax-only, and
runs them in parallel. Fails on any error, and on any warning that the
64-bit compiler does not give for the same line as well (those are no
question of the word size and are the 64-bit build's to show).
A source whose 64-bit object has not changed since it last passed is not
checked again: the build rebuilds an object whenever its source or any
header it includes changes.
"""
import concurrent.futures
import json
import os
import shlex
import subprocess
import sys
from pathlib import Path

COMPILER = 'i686-w64-mingw32-g++-posix'
COMPILER_64 = 'x86_64-w64-mingw32-g++-posix'
DROP_WITH_VALUE = {'-o', '-MT', '-MF', '-MQ', '-c'}
DROP = {'-MD', '-MMD'}


def syntax_command(entry, compiler=COMPILER):
    args = shlex.split(entry['command'])[1:]
    kept = []
    skip = False
    for arg in args:
        if skip:
            skip = False
        elif arg in DROP_WITH_VALUE:
            skip = True
        elif arg not in DROP:
            kept.append(arg)
    return [compiler] + kept + ['-fsyntax-only', '-Wall', '-Wextra', entry['file']]


def warnings(text):
    """The 'file:line:col: warning: message' lines of a compiler's output."""
    return {line for line in text.splitlines() if ': warning: ' in line}


def check(entry):
    result = subprocess.run(syntax_command(entry), cwd=entry['directory'],
                            capture_output=True, text=True)
    found = warnings(result.stderr)
    if result.returncode == 0 and found:
        wide = subprocess.run(syntax_command(entry, COMPILER_64), cwd=entry['directory'],
                              capture_output=True, text=True)
        found -= warnings(wide.stderr)
    problem = result.returncode != 0 or bool(found)
    return entry['file'], problem, result.stderr if problem else ''


def object_stamp(entry):
    args = shlex.split(entry['command'])
    if '-o' not in args:
        return None
    target = Path(entry['directory']) / args[args.index('-o') + 1]
    return target.stat().st_mtime_ns if target.exists() else None


def main():
    build = Path(sys.argv[1])
    cache_path = build / 'check-32bit.cache.json'
    try:
        passed = json.loads(cache_path.read_text())
    except (OSError, ValueError):
        passed = {}
    root = Path(__file__).resolve().parents[1]
    entries = [e for e in json.loads((build / 'compile_commands.json').read_text())
               if Path(e['file']).suffix in ('.cpp', '.cc', '.c')
               and Path(e['file']).resolve().is_relative_to(root)
               and not Path(e['file']).resolve().is_relative_to(build.resolve())]
    stamps = {e['file']: object_stamp(e) for e in entries}
    todo = [e for e in entries if stamps[e['file']] is None or passed.get(e['file']) != stamps[e['file']]]
    failed = []
    with concurrent.futures.ThreadPoolExecutor(os.cpu_count() or 4) as pool:
        for name, problem, errors in pool.map(check, todo):
            if problem:
                failed.append(name)
                passed.pop(name, None)
                print(errors, end='')
            elif stamps[name] is not None:
                passed[name] = stamps[name]
    cache_path.write_text(json.dumps(passed))
    if failed:
        sys.exit(f'{len(failed)} of {len(entries)} sources are not 32-bit clean')
    print(f'{len(entries)} sources compile cleanly for 32-bit Windows '
          f'({len(todo)} checked now, the others unchanged since they passed)')


if __name__ == '__main__':
    main()
