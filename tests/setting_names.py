#!/usr/bin/env python3
"""Checks that every section and value name of the settings store is spelt only in
src/base/registry_keys.h: prints each quoted name found elsewhere in src, exits 1 if any."""
import os, re, sys
root = sys.argv[1] if len(sys.argv) > 1 else '.'
src = os.path.join(root, 'src')
keys_path = os.path.join(src, 'base', 'registry_keys.h')
keys_text = open(keys_path, encoding='utf-8').read()
# The store's root names are also the program's and company's names on screen.
names = set(re.findall(r'constexpr\s+std::string_view\s+k\w+\s*=\s*"([^"]+)"', keys_text))
names -= set(re.findall(r'k(?:Company|Application)Key\s*=\s*"([^"]+)"', keys_text))
literal_re = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
bad = []
for d, _, files in os.walk(src):
    for f in files:
        p = os.path.join(d, f)
        if not f.endswith(('.h', '.cpp')) or os.path.samefile(p, keys_path):
            continue
        for n, line in enumerate(open(p, encoding='utf-8', errors='replace'), 1):
            code = line.strip()
            if code.startswith(('//', '*', '/*', '#include')):
                continue
            for m in literal_re.finditer(line):
                if m.group(1) in names:
                    bad.append(f'{os.path.relpath(p, root)}:{n}: "{m.group(1)}"')
for b in bad:
    print(b + ' (a settings name outside registry_keys.h)')
sys.exit(1 if bad else 0)
