#!/usr/bin/env python3
"""Plants deliberate single-line faults in a copy of the sources, one at a time,
and checks that the test suites catch each of them.

The working tree is never written. Its tracked files (and the untracked ones git
does not ignore) are mirrored into <work>/src-copy, only the changed ones copied,
and built in <work>/build, which persists between runs so that each fault
rebuilds only what it touches (through CMAKE_CXX_COMPILER_LAUNCHER, e.g. ccache,
when that is set in the environment). The chosen suites first run on the
unchanged copy: if one of them fails there, nothing is planted, since every
fault would look caught.

Then, for each fault, the old text is replaced by the new one in the copy, the
suites are rebuilt and run (JOBS at a time) and the copy's file is put back.
Each fault ends as one of
  caught   by the failing test functions (suite:function)
  missed   every suite passes
  broken   the old text does not occur exactly once, or the copy does not build
Faults marked "missed" change nothing a suite can see, or only the odds of a
random draw. Faults of "kind": "constant" only change the value of a named
tuning constant that a test pins by its number: they are counted apart, since
catching them shows the number is pinned, not that the logic is tested.

Ctrl-C, SIGTERM or SIGHUP stop the run: the commands it started are ended and
the copy is put back in step with the working tree.

Exit status: 0 when every fault ends as expected; 1 when a fault not marked
"missed" is missed, or any fault is broken; 2 when the run cannot start (a suite
fails unchanged, the copy does not build, an unknown id); 128 + N when stopped
by signal N.
"""
import argparse
import concurrent.futures
import contextlib
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# A stopped build gets this long to remove what it half wrote before it is killed.
GRACE_SECONDS = 5
DEFAULT_TIMEOUT = 300
FAILED_FUNCTION = re.compile(r'^(?:FAIL!|XPASS) *: (?:\w+::)+(\w+)\(', re.M)


class Stopped(Exception):
    def __init__(self, signum):
        super().__init__('stopped by signal %d' % signum)
        self.signum = signum


class CannotStart(Exception):
    pass


class StopSignals:
    """Turns Ctrl-C, SIGTERM and SIGHUP into Stopped in the main thread; while
    that thread starts a command, the signal waits until the command is on the
    list of those to end."""
    SIGNALS = (signal.SIGINT, signal.SIGTERM, signal.SIGHUP)

    def __init__(self):
        self.deferring = False
        self.pending = None

    def install(self):
        for each in self.SIGNALS:
            signal.signal(each, self.on_signal)

    def on_signal(self, signum, _frame):
        # The clean-up that follows must not be cut short by a second signal.
        for each in self.SIGNALS:
            signal.signal(each, signal.SIG_IGN)
        if self.deferring:
            self.pending = signum
        else:
            raise Stopped(signum)

    @contextlib.contextmanager
    def deferred(self):
        if threading.current_thread() is not threading.main_thread():
            yield
            return
        self.deferring = True
        try:
            yield
        finally:
            self.deferring = False
            if self.pending is not None:
                raise Stopped(self.pending)


STOP_SIGNALS = StopSignals()


class Children:
    """The commands running now. Each runs in a session of its own, so that a
    stop reaches everything it started (compilers, test programs) and a
    terminal's Ctrl-C reaches them only through this script."""

    def __init__(self):
        self.lock = threading.Lock()
        self.running = set()
        self.stopping = False

    def run(self, command, timeout=None, **kwargs):
        """Returns (exit status, stdout, stderr); the status is None on a timeout."""
        with self.lock, STOP_SIGNALS.deferred():
            if self.stopping:
                raise Stopped(signal.SIGTERM)
            process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                       stdin=subprocess.DEVNULL, text=True, errors='replace',
                                       start_new_session=True, **kwargs)
            self.running.add(process)
        try:
            out, err = process.communicate(timeout=timeout)
            return process.returncode, out, err
        except subprocess.TimeoutExpired:
            kill_group(process, signal.SIGKILL)
            out, err = process.communicate()
            return None, out, err
        except BaseException:
            self.stop_all()
            raise
        finally:
            with self.lock:
                self.running.discard(process)

    def stop_all(self):
        with self.lock:
            self.stopping = True
            processes = list(self.running)
        for process in processes:
            kill_group(process, signal.SIGTERM)
        deadline = time.monotonic() + GRACE_SECONDS
        while time.monotonic() < deadline and any(p.poll() is None for p in processes):
            time.sleep(0.05)
        for process in processes:
            kill_group(process, signal.SIGKILL)


def kill_group(process, signum):
    try:
        os.killpg(process.pid, signum)
    except (ProcessLookupError, PermissionError):
        pass


CHILDREN = Children()


def arguments():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--source', default=ROOT, help='the project to copy (default: this one)')
    parser.add_argument('--faults', help='the fault list (default: tools/faults/faults.json '
                        'of the source)')
    parser.add_argument('--work', help='holds src-copy/ and build/ (default: build-faults/ '
                        'in the source)')
    parser.add_argument('--suites', help='comma-separated test names; default: every '
                        'tests/tst_*.cpp of the source')
    parser.add_argument('--ids', help='comma-separated fault ids; default: all')
    parser.add_argument('--jobs', type=int, default=os.cpu_count() or 2,
                        help='parallel compile jobs and suites')
    parser.add_argument('--build-type', default='RelWithDebInfo')
    parser.add_argument('--out', help='write every fault\'s verdict here as JSON')
    args = parser.parse_args()
    # Paths are taken as given from where the script was started, once.
    args.source = os.path.abspath(args.source)
    args.faults = os.path.abspath(args.faults or os.path.join(args.source, 'tools', 'faults',
                                                              'faults.json'))
    args.work = os.path.abspath(args.work or os.path.join(args.source, 'build-faults'))
    args.jobs = max(1, args.jobs)
    if args.source == args.work or inside(args.source, args.work):
        parser.error('--work must not hold the source')
    # Anything else in it could be the project's own files, or another build.
    found = os.listdir(args.work) if os.path.isdir(args.work) else []
    strangers = set(found) - {'src-copy', 'build'}
    if strangers:
        parser.error('%s holds more than src-copy/ and build/ (%s); choose another --work'
                     % (args.work, ', '.join(sorted(strangers)[:3])))
    return args


def inside(path, folder):
    return os.path.abspath(path).startswith(folder + os.sep)


# ---- the copy -------------------------------------------------------------------

def source_files(source, work):
    """The files of the project, relative to it: git's view when it is a
    repository, otherwise every file outside build folders."""
    try:
        listed = subprocess.run(['git', '-C', source, 'ls-files', '-z', '--cached', '--others',
                                 '--exclude-standard'], capture_output=True, check=True)
        names = [n for n in listed.stdout.decode('utf-8', 'surrogateescape').split('\0') if n]
    except (OSError, subprocess.CalledProcessError):
        names = walked_files(source, work)
    return sorted(n for n in set(names) if os.path.isfile(os.path.join(source, n))
                  and not inside(os.path.join(source, n), work))


def walked_files(source, work):
    names = []
    for folder, subfolders, files in os.walk(source):
        subfolders[:] = [d for d in subfolders if d != '.git' and os.path.join(folder, d) != work
                         and not os.path.exists(os.path.join(folder, d, 'CMakeCache.txt'))]
        names += [os.path.relpath(os.path.join(folder, f), source) for f in files]
    return names


def read_bytes(path):
    try:
        with open(path, 'rb') as f:
            return f.read()
    except OSError:
        return None


def write_atomically(path, data):
    """Writes with a fresh modification time, so that a file put back after a
    fault is always newer than what was built from the fault."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    temporary = path + '.planting'
    with open(temporary, 'wb') as f:
        f.write(data)
    os.replace(temporary, path)


def mirror(source, copy, names):
    """Brings the copy byte for byte in line with the source: changed files are
    rewritten, files the source no longer has are removed."""
    wanted = set(names)
    for name in names:
        data = read_bytes(os.path.join(source, name))
        target = os.path.join(copy, name)
        if data is not None and read_bytes(target) != data:
            write_atomically(target, data)
            shutil.copymode(os.path.join(source, name), target)
    for folder, _subfolders, files in os.walk(copy, topdown=False):
        for f in files:
            if os.path.relpath(os.path.join(folder, f), copy) not in wanted:
                os.remove(os.path.join(folder, f))
        if folder != copy and not os.listdir(folder):
            os.rmdir(folder)


# ---- building and running ----------------------------------------------------------

def configure(copy, build, build_type):
    command = ['cmake', '-S', copy, '-B', build, '-DCMAKE_BUILD_TYPE=' + build_type]
    launcher = os.environ.get('CMAKE_CXX_COMPILER_LAUNCHER')
    if launcher:
        command.append('-DCMAKE_CXX_COMPILER_LAUNCHER=' + launcher)
    status, out, err = CHILDREN.run(command)
    if status != 0:
        raise CannotStart('the copy does not configure:\n' + tail(out + err))


def build_suites(build, suites, jobs):
    """Returns None when the suites build, else the end of the compiler's words."""
    status, out, err = CHILDREN.run(['cmake', '--build', build, '-j', str(jobs), '--target']
                                    + suites)
    return None if status == 0 else tail(err or out)


def tail(text, lines=12):
    return '\n'.join(text.rstrip().split('\n')[-lines:])


def registered_tests(build, suites):
    status, out, err = CHILDREN.run(['ctest', '--show-only=json-v1'], cwd=build)
    if status != 0:
        raise CannotStart('ctest cannot list the tests:\n' + tail(err))
    tests = {t['name']: t for t in json.loads(out)['tests']}
    # ctest names a test's command only once its program exists.
    unknown = [s for s in suites if 'command' not in tests.get(s, {})]
    if unknown:
        raise CannotStart('no such test: ' + ' '.join(unknown))
    return [tests[s] for s in suites]


def run_suite(test, build):
    """The suite's failures as 'suite:function' (or suite:timeout, suite:crashed,
    suite:exit N when it fails without naming a function)."""
    properties = {p['name']: p['value'] for p in test.get('properties', [])}
    env = dict(os.environ)
    env.update(v.split('=', 1) for v in properties.get('ENVIRONMENT', []) if '=' in v)
    status, out, _err = CHILDREN.run(test['command'], env=env,
                                     timeout=properties.get('TIMEOUT', DEFAULT_TIMEOUT),
                                     cwd=properties.get('WORKING_DIRECTORY', build))
    name = test['name']
    if status is None:
        return [name + ':timeout']
    if status == 0:
        return []
    functions = sorted(set(FAILED_FUNCTION.findall(out)))
    if functions:
        return ['%s:%s' % (name, f) for f in functions]
    return [name + (':crashed' if status < 0 else ':exit %d' % status)]


def run_suites(tests, build, jobs):
    pool = concurrent.futures.ThreadPoolExecutor(max_workers=jobs)
    try:
        return [failure for failures in pool.map(lambda t: run_suite(t, build), tests)
                for failure in failures]
    except BaseException:
        CHILDREN.stop_all()
        raise
    finally:
        pool.shutdown(wait=True, cancel_futures=True)


# ---- the faults --------------------------------------------------------------------

def load_faults(path, ids):
    with open(path, encoding='utf-8') as f:
        faults = json.load(f)
    if not ids:
        return faults
    wanted = ids.split(',')
    unknown = sorted(set(wanted) - {f['id'] for f in faults})
    if unknown:
        raise CannotStart('no such fault: ' + ' '.join(unknown))
    return [f for f in faults if f['id'] in wanted]


def plant(fault, copy, build, tests, jobs):
    """Returns (verdict, detail): caught with its catchers, missed, or broken
    with the reason."""
    path = os.path.join(copy, fault['file'])
    if not inside(path, copy):
        return 'broken', 'its file lies outside the sources'
    original = read_bytes(path)
    if original is None:
        return 'broken', 'no file ' + fault['file']
    text = original.decode('utf-8')
    occurrences = text.count(fault['old'])
    if occurrences != 1:
        return 'broken', 'the old text occurs %d times' % occurrences
    try:
        write_atomically(path, text.replace(fault['old'], fault['new']).encode('utf-8'))
        problem = build_suites(build, [t['name'] for t in tests], jobs)
        if problem:
            return 'broken', 'does not build:\n' + problem
        caught = run_suites(tests, build, jobs)
        return ('caught', caught) if caught else ('missed', None)
    finally:
        write_atomically(path, original)


def describe(fault, verdict, detail):
    label = fault['id'] + (' [constant]' if fault.get('kind') == 'constant' else '')
    words = {'caught': 'caught by ' + ', '.join(detail or [])
             + (' (marked missed: drop the mark)' if fault.get('missed') else ''),
             'missed': 'missed' + (' (as expected)' if fault.get('missed') else ''),
             'broken': 'broken: ' + str(detail).replace('\n', '\n    ')}[verdict]
    return '%s %s: %s' % (label, fault['desc'], words)


def unexpected(fault, verdict):
    return verdict == 'broken' or (verdict == 'missed' and not fault.get('missed'))


def summary(faults, verdicts):
    counts = {v: sum(1 for f in faults if verdicts[f['id']] == v)
              for v in ('caught', 'missed', 'broken')}
    constants = sum(1 for f in faults
                    if verdicts[f['id']] == 'caught' and f.get('kind') == 'constant')
    expected_missed = sum(1 for f in faults if verdicts[f['id']] == 'missed' and f.get('missed'))
    wrong = [f['id'] for f in faults if unexpected(f, verdicts[f['id']])]
    lines = ['%d faults planted: %d caught (%d of them only a pinned tuning constant), '
             '%d missed (%d of them as expected), %d broken'
             % (len(faults), counts['caught'], constants, counts['missed'], expected_missed,
                counts['broken'])]
    lines.append('not as expected: ' + ' '.join(wrong) if wrong
                 else 'every fault ended as expected')
    return '\n'.join(lines), wrong


def plant_all(args, copy, build, tests, faults):
    verdicts, results = {}, {}
    for fault in faults:
        verdict, detail = plant(fault, copy, build, tests, args.jobs)
        verdicts[fault['id']] = verdict
        results[fault['id']] = {'verdict': verdict, 'detail': detail,
                                'kind': fault.get('kind', 'logic')}
        print(describe(fault, verdict, detail), flush=True)
    text, wrong = summary(faults, verdicts)
    print(text)
    if args.out:
        with open(args.out, 'w', encoding='utf-8') as f:
            json.dump(results, f, indent=1, ensure_ascii=False)
    return 1 if wrong else 0


def default_suites(source):
    folder = os.path.join(source, 'tests')
    return sorted(n[:-4] for n in os.listdir(folder) if n.startswith('tst_') and n.endswith('.cpp'))


def main():
    args = arguments()
    STOP_SIGNALS.install()
    copy, build = os.path.join(args.work, 'src-copy'), os.path.join(args.work, 'build')
    names = None
    try:
        names = source_files(args.source, args.work)
        faults = load_faults(args.faults, args.ids)
        suites = args.suites.split(',') if args.suites else default_suites(args.source)
        mirror(args.source, copy, names)
        configure(copy, build, args.build_type)
        print('building %s in %s' % (', '.join(suites), build), flush=True)
        problem = build_suites(build, suites, args.jobs)
        if problem:
            raise CannotStart('the unchanged copy does not build:\n' + problem)
        tests = registered_tests(build, suites)
        failing = run_suites(tests, build, args.jobs)
        if failing:
            raise CannotStart('the suites fail with no fault planted (%s); every fault would '
                              'look caught: mend them first' % ', '.join(failing))
        print('the suites pass unchanged; planting %d faults' % len(faults), flush=True)
        return plant_all(args, copy, build, tests, faults)
    except CannotStart as problem:
        print('faults: %s' % problem, file=sys.stderr)
        return 2
    except Stopped as stop:
        CHILDREN.stop_all()
        if names is not None:
            mirror(args.source, copy, names)
        print('faults: %s; the copy is back in step with the sources' % stop, file=sys.stderr)
        return 128 + stop.signum


if __name__ == '__main__':
    sys.exit(main())
