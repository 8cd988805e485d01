#!/usr/bin/env python3
"""The GitHub Actions workflow, which cannot run here, read as GitHub would:
it parses; pushes, pull requests and version tags start it; CI runs .ci/run
in a debian:12 container; a version tag runs the release command, attaches
dist/ and publishes the site with GitHub's Pages actions; every action is
pinned to a release version; every job it needs exists; every script of the
project that a step calls exists and can be run.

    workflow_test.py SOURCE_DIR

Each kind of mistake is then put into a copy of the workflow in turn, and the
check must report it.
"""
import copy
import os
import re
import sys

import yaml

PINNED = re.compile(r'^[\w.-]+/[\w.-]+(/[\w./-]+)?@v\d+\.\d+\.\d+$')
SCRIPT = re.compile(r'(?<![\w./-])((?:\./)?(?:scripts|\.ci|tests|tools)/[\w./-]+)')


def steps(job):
    return job.get('steps') or []


def runs(job):
    return ' \n'.join(str(s.get('run', '')) for s in steps(job))


def uses(job):
    return [s['uses'] for s in steps(job) if 'uses' in s]


def problems(workflow, source):
    """What is wrong with the parsed workflow, as a list of sentences."""
    found = []
    if not isinstance(workflow, dict):
        return ['the file is not a mapping']
    # YAML 1.1 reads the key "on" as true.
    triggers = workflow.get('on', workflow.get(True))
    if not isinstance(triggers, dict) or 'push' not in triggers or 'pull_request' not in triggers:
        found.append('it does not start on push and pull_request')
    else:
        tags = (triggers.get('push') or {}).get('tags') or []
        if not any(t.startswith('v') for t in tags):
            found.append('it does not start on version tags')
    jobs = workflow.get('jobs')
    if not isinstance(jobs, dict) or not jobs:
        return found + ['it has no jobs']

    for name, job in jobs.items():
        if 'runs-on' not in job:
            found.append(f'job {name} has no runs-on')
        needs = job.get('needs', [])
        for need in [needs] if isinstance(needs, str) else needs:
            if need not in jobs:
                found.append(f'job {name} needs {need}, which does not exist')
        for step in steps(job):
            if ('run' in step) == ('uses' in step):
                found.append(f'a step of job {name} has neither or both of run and uses')
        for action in uses(job):
            if not PINNED.match(action):
                found.append(f'{action} is not pinned to a release version')
        for script in SCRIPT.findall(runs(job)):
            path = os.path.join(source, script)
            if not os.path.isfile(path):
                found.append(f'job {name} calls {script}, which does not exist')
            elif not os.access(path, os.X_OK) and f'bash {script}' not in runs(job):
                found.append(f'job {name} runs {script}, which is not executable')

    def is_tag_only(job):
        return 'refs/tags/v' in str(job.get('if', ''))

    ci = [n for n, j in jobs.items() if '.ci/run' in runs(j) and not is_tag_only(j)]
    if not ci:
        found.append('no job runs .ci/run on every push and pull request')
    elif any(jobs[n].get('container') not in ('debian:12', {'image': 'debian:12'}) for n in ci):
        found.append('CI does not run in a debian:12 container')
    release = [n for n, j in jobs.items() if 'scripts/release.sh' in runs(j)]
    if not release:
        found.append('no job runs scripts/release.sh')
    elif not all(is_tag_only(jobs[n]) for n in release):
        found.append('the release runs on more than version tags')
    elif not any('dist/' in str((s.get('with') or {}).get('files', ''))
                 for n in release for s in steps(jobs[n]) if 'uses' in s):
        found.append('the release does not attach dist/')
    every_action = [a.split('@')[0] for j in jobs.values() for a in uses(j)]
    for pages in ('actions/configure-pages', 'actions/upload-pages-artifact', 'actions/deploy-pages'):
        if pages not in every_action:
            found.append(f'the site is not published with {pages}')
    return found


def broken_copies(workflow):
    """A copy of the workflow for each kind of mistake, with its name."""
    jobs = workflow['jobs']
    ci = next(n for n, j in jobs.items() if '.ci/run' in runs(j))
    release = next(n for n, j in jobs.items() if 'scripts/release.sh' in runs(j))

    def changed(change):
        broken = copy.deepcopy(workflow)
        change(broken)
        return broken

    def rename_script(w):
        for s in steps(w['jobs'][release]):
            if 'run' in s:
                s['run'] = s['run'].replace('scripts/release.sh', 'scripts/relaese.sh')

    def unpin(w):
        for s in steps(w['jobs'][ci]):
            if 'uses' in s:
                s['uses'] = s['uses'].split('@')[0] + '@main'

    def other_container(w):
        w['jobs'][ci]['container'] = 'ubuntu:24.04'

    def no_tags(w):
        w.get('on', w.get(True))['push'].pop('tags', None)

    def missing_need(w):
        w['jobs'][release]['needs'] = 'tests'

    def release_always(w):
        w['jobs'][release].pop('if', None)

    return [('a missing script', changed(rename_script)), ('an action on a branch', changed(unpin)),
            ('another container', changed(other_container)), ('no version tags', changed(no_tags)),
            ('a missing job', changed(missing_need)), ('a release on every push', changed(release_always))]


def main():
    source = sys.argv[1]
    folder = os.path.join(source, '.github', 'workflows')
    files = sorted(f for f in os.listdir(folder) if f.endswith(('.yml', '.yaml')))
    if not files:
        sys.exit(f'no workflow in {folder}')
    failed = False
    for name in files:
        with open(os.path.join(folder, name), encoding='utf-8') as f:
            try:
                workflow = yaml.safe_load(f)
            except yaml.YAMLError as e:
                print(f'{name}: does not parse: {e}')
                failed = True
                continue
        for problem in problems(workflow, source):
            print(f'{name}: {problem}')
            failed = True
        if failed:
            continue
        for what, broken in broken_copies(workflow):
            if not problems(broken, source):
                print(f'{name}: the check misses {what}')
                failed = True
    if failed:
        sys.exit(1)
    print(f'workflows checked: {", ".join(files)}')


if __name__ == '__main__':
    main()
