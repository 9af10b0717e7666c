#!/usr/bin/env python3
"""Checks the include rule of the layers on a checkout: prints violations, exits 1 if any.
base <- shell <- ui; inside ui: commands <- widgets, jobs, platform <- features <- app."""
import os, re, sys
root = sys.argv[1] if len(sys.argv) > 1 else '.'
src = os.path.join(root, 'src')
LOWER = {'commands': set(), 'widgets': {'commands'}, 'jobs': {'commands'},
         'platform': {'commands'}}
CORE = {'commands', 'widgets', 'jobs', 'platform'}
inc_re = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]')
bad = []
def area(path):
    rel = os.path.relpath(path, src).split(os.sep)
    if rel[0] in ('base', 'shell'):
        return rel[0], None
    if rel[0] == 'ui' and len(rel) > 2:
        return 'ui', rel[1]
    return rel[0], None
for d, _, files in os.walk(src):
    for f in files:
        if not f.endswith(('.h', '.cpp', '.hpp', '.cc')):
            continue
        p = os.path.join(d, f)
        layer, sub = area(p)
        for n, line in enumerate(open(p, encoding='utf-8', errors='replace'), 1):
            m = inc_re.match(line)
            if not m:
                continue
            inc = m.group(1)
            where = f'{os.path.relpath(p, root)}:{n}: {inc}'
            qt = inc.startswith('Q') or inc.startswith('qt') or '/Q' in inc
            if layer in ('base', 'shell') and (qt or inc.startswith('ui/')):
                bad.append(where + ' (Qt or ui below ui)')
            if layer == 'base' and inc.startswith('shell/'):
                bad.append(where + ' (base includes shell)')
            if layer == 'ui' and inc.startswith('ui/'):
                parts = inc.split('/')
                if len(parts) < 3:
                    continue
                tgt = parts[1]
                if tgt == sub or sub is None:
                    continue
                if sub in LOWER:
                    if tgt not in LOWER[sub]:
                        bad.append(where + f' ({sub} may not include {tgt})')
                elif sub != 'app':
                    if tgt not in CORE:
                        bad.append(where + f' (feature {sub} includes feature {tgt})')
for b in bad:
    print(b)
sys.exit(1 if bad else 0)
