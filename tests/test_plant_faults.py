#!/usr/bin/env python3
"""`make faults` on a tiny project written into a temporary folder: a sum, a
named constant, and a test program that reports its failures the way Qt Test
does. Building the whole game for each case would take minutes."""
import json
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PLANT = os.path.join(ROOT, 'tools', 'faults', 'plant.py')

PROJECT = {
    'CMakeLists.txt': '''cmake_minimum_required(VERSION 3.16)
project(Fixture LANGUAGES CXX)
enable_testing()
add_executable(tst_sum tests/tst_sum.cpp src/sum.cpp)
add_test(NAME tst_sum COMMAND tst_sum)
add_executable(tst_wrong tests/tst_wrong.cpp)
add_test(NAME tst_wrong COMMAND tst_wrong)
''',
    'src/sum.cpp': '''#include <chrono>
#include <fstream>
#include <thread>
#include <unistd.h>

constexpr int kStep = 2;

int sum(int a, int b) { return a + b; }
int step() { return kStep; }
int capped(int v) { return v > 10 ? 10 : v; }
''',
    'tests/tst_sum.cpp': '''#include <cstdio>
int sum(int, int);
int step();
int capped(int);
static int failures = 0;
static void check(bool ok, const char *function) {
    if (!ok) {
        std::printf("FAIL!  : TestSum::%s() wrong\\n", function);
        ++failures;
    }
}
int main() {
    check(sum(2, 3) == 5, "adds");
    check(step() == 2, "steps");
    check(capped(12) == 10 && capped(3) == 3, "caps");
    return failures;
}
''',
    'tests/tst_wrong.cpp': '''#include <cstdio>
int main() { std::printf("FAIL!  : TestWrong::always() wrong\\n"); return 1; }
''',
}


def faults(marker):
    def fault(id, old, new, **extra):
        return dict(id=id, desc=id.lower(), file='src/sum.cpp', old=old, new=new, **extra)
    return [
        fault('C1', 'constexpr int kStep = 2;', 'constexpr int kStep = 3;', kind='constant'),
        fault('L1', 'return a + b;', 'return a - b;'),
        fault('M1', 'v > 10 ?', 'v >= 10 ?', missed=True),
        fault('B1', 'return a + b;', 'return a + ;'),
        fault('B2', 'return a * b;', 'return a / b;'),
        # Stays in its test program long enough to be stopped there.
        fault('S1', 'int step() { return kStep; }',
              'int step() { std::ofstream("%s") << getpid(); '
              'std::this_thread::sleep_for(std::chrono::seconds(60)); return kStep; }' % marker),
    ]


def snapshot(folder):
    files = {}
    for parent, _subfolders, names in os.walk(folder):
        for name in names:
            path = os.path.join(parent, name)
            with open(path, 'rb') as f:
                files[os.path.relpath(path, folder)] = f.read()
    return files


def make_environment():
    # `make test` runs this under make: its job server is not ours to join.
    return {k: v for k, v in os.environ.items() if k not in ('MAKEFLAGS', 'MFLAGS', 'MAKELEVEL')}


def alive(pid):
    try:
        with open('/proc/%d/stat' % pid) as f:
            return f.read().split(') ')[-1][0] != 'Z'
    except OSError:
        return False


class PlantFaults(unittest.TestCase):
    def setUp(self):
        temporary = tempfile.TemporaryDirectory()
        self.addCleanup(temporary.cleanup)
        self.project = os.path.join(temporary.name, 'project')
        self.work = os.path.join(temporary.name, 'work')
        self.marker = os.path.join(temporary.name, 'planted')
        for name, text in PROJECT.items():
            os.makedirs(os.path.dirname(os.path.join(self.project, name)), exist_ok=True)
            with open(os.path.join(self.project, name), 'w') as f:
                f.write(text)
        with open(os.path.join(self.project, 'faults.json'), 'w') as f:
            json.dump(faults(self.marker), f)
        self.before = snapshot(self.project)

    def make_faults(self, ids, suites='tst_sum'):
        flags = '--source %s --faults %s/faults.json' % (self.project, self.project)
        return ['make', '--no-print-directory', '-C', ROOT, 'faults', 'SUITES=' + suites,
                'IDS=' + ids, 'JOBS=2', 'FAULTS_DIR=' + self.work, 'FAULTS_FLAGS=' + flags]

    def run_make_faults(self, ids):
        return subprocess.run(self.make_faults(ids), capture_output=True, text=True,
                              env=make_environment(), timeout=120)

    def assertTreeUnchanged(self):
        self.assertEqual(snapshot(self.project), self.before)
        copy = os.path.join(self.work, 'src-copy', 'src', 'sum.cpp')
        with open(copy, 'rb') as f:
            self.assertEqual(f.read(), self.before['src/sum.cpp'])

    def test_each_verdict(self):
        result = self.run_make_faults('C1,L1,M1,B1,B2')
        lines = result.stdout.splitlines()
        self.assertNotEqual(result.returncode, 0, result.stdout + result.stderr)
        for expected in ('C1 [constant] c1: caught by tst_sum:steps',
                         'L1 l1: caught by tst_sum:adds',
                         'M1 m1: missed (as expected)',
                         'B1 b1: broken: does not build:',
                         'B2 b2: broken: the old text occurs 0 times'):
            self.assertTrue(any(line.startswith(expected) for line in lines), expected)
        self.assertIn('5 faults planted: 2 caught (1 of them only a pinned tuning constant), '
                      '1 missed (1 of them as expected), 2 broken', lines)
        self.assertIn('not as expected: B1 B2', lines)
        self.assertTreeUnchanged()

    def test_faults_ending_as_expected_pass(self):
        result = self.run_make_faults('L1,M1')
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertIn('every fault ended as expected', result.stdout)
        self.assertTreeUnchanged()

    def test_a_suite_failing_unchanged_stops_before_planting(self):
        # Relative paths, taken from where the tool is started.
        result = subprocess.run([sys.executable, PLANT, '--source', 'project', '--work', 'work',
                                 '--faults', 'project/faults.json', '--suites',
                                 'tst_sum,tst_wrong', '--ids', 'C1', '--jobs', '2'],
                                cwd=os.path.dirname(self.project), capture_output=True,
                                text=True, timeout=120)
        self.assertEqual(result.returncode, 2)
        self.assertIn('the suites fail with no fault planted (tst_wrong:always)', result.stderr)
        self.assertNotIn('C1', result.stdout)
        self.assertTreeUnchanged()

    def test_sigterm_leaves_the_tree_unchanged(self):
        make = subprocess.Popen(self.make_faults('S1'), stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, text=True, env=make_environment())
        self.addCleanup(lambda: make.poll() is None and make.kill())
        deadline = time.monotonic() + 90
        while not (os.path.exists(self.marker) and os.path.getsize(self.marker)):
            self.assertLess(time.monotonic(), deadline, 'the planted fault never ran')
            if make.poll() is not None:
                self.fail('make faults ended first:\n' + ''.join(make.communicate()))
            time.sleep(0.1)
        with open(self.marker) as f:
            suite = int(f.read())
        make.send_signal(signal.SIGTERM)
        _out, err = make.communicate(timeout=30)
        self.assertNotEqual(make.returncode, 0)
        self.assertIn('stopped by signal %d' % signal.SIGTERM, err)
        time.sleep(0.2)
        self.assertFalse(alive(suite), 'the suite outlived the run')
        self.assertTreeUnchanged()


if __name__ == '__main__':
    unittest.main()
