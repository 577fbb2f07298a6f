#!/usr/bin/env python3
"""Plants deliberate single-line faults in the sources, one at a time, and checks
that the test suites catch each of them.

For every fault in faults.json (or those named with --ids) the old text is
replaced by the new one in a source file, the suites are rebuilt and run, the
failing test functions are recorded and the file is restored (also on Ctrl-C).
Faults marked "missed" have no effect a suite can see (e.g. they change what is
mixed into a sound card the offscreen tests never open) or only shift the odds
of a random draw; every other one must make at least one suite fail. The exit
status is 1 when one does not.

usage: tools/faults/plant.py [--build DIR] [--suites tst_a,tst_b] [--ids U01,W05]
                             [--out results.json]
"""
import argparse
import glob
import json
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def arguments():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--build', default=os.path.join(ROOT, 'build'))
    parser.add_argument('--suites', help='comma-separated; default: every tests/tst_*.cpp')
    parser.add_argument('--ids', help='comma-separated fault ids; default: all')
    parser.add_argument('--out', help='write every fault\'s catchers here as JSON')
    return parser.parse_args()


def run(command, **kwargs):
    env = dict(os.environ, QT_QPA_PLATFORM='offscreen')
    return subprocess.run(command, capture_output=True, text=True, env=env, **kwargs)


def failing_functions(build, suites):
    caught = []
    for suite in suites:
        try:
            result = run([os.path.join(build, 'tests', suite)], timeout=300, cwd=build)
        except subprocess.TimeoutExpired:
            caught.append(suite + ':TIMEOUT')
            continue
        functions = set(re.findall(r'^FAIL!  : \w+::(\w+)\(', result.stdout, re.M))
        caught += sorted('%s:%s' % (suite, f) for f in functions)
        if result.returncode < 0 or (result.returncode != 0 and not functions):
            caught.append(suite + ':CRASH')
    return caught


def plant(fault, build, suites):
    path = os.path.join(ROOT, fault['file'])
    with open(path, encoding='utf-8') as f:
        text = f.read()
    if text.count(fault['old']) != 1:
        return None, 'the old text occurs %d times' % text.count(fault['old'])
    try:
        with open(path, 'w', encoding='utf-8') as f:
            f.write(text.replace(fault['old'], fault['new']))
        built = run(['cmake', '--build', build, '-j', str(os.cpu_count() or 2), '--target'] + suites)
        if built.returncode != 0:
            return None, 'does not build: ' + built.stderr[-400:]
        return failing_functions(build, suites), None
    finally:
        with open(path, 'w', encoding='utf-8') as f:
            f.write(text)


def main():
    args = arguments()
    suites = args.suites.split(',') if args.suites else sorted(
        os.path.basename(p)[:-4] for p in glob.glob(os.path.join(ROOT, 'tests', 'tst_*.cpp')))
    with open(os.path.join(ROOT, 'tools', 'faults', 'faults.json'), encoding='utf-8') as f:
        faults = json.load(f)
    if args.ids:
        faults = [f for f in faults if f['id'] in args.ids.split(',')]
    results, broken = {}, []
    for fault in faults:
        caught, problem = plant(fault, args.build, suites)
        results[fault['id']] = caught if problem is None else problem
        expected = not fault.get('missed', False)
        verdict = problem or ('caught by ' + ', '.join(caught) if caught else 'MISSED')
        print('%s %s: %s' % (fault['id'], fault['desc'], verdict), flush=True)
        if problem or (expected and not caught):
            broken.append(fault['id'])
    run(['cmake', '--build', args.build, '--target'] + suites)  # back to the real sources
    if args.out:
        with open(args.out, 'w', encoding='utf-8') as f:
            json.dump(results, f, indent=1, ensure_ascii=False)
    print('%d faults planted; %s' % (len(faults), 'not caught: ' + ' '.join(broken)
                                     if broken else 'every one expected caught was caught'))
    return 1 if broken else 0


if __name__ == '__main__':
    sys.exit(main())
