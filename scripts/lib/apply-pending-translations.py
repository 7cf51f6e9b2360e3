#!/usr/bin/env python3
"""Folds translations/pending-*.tsv into translations/dravik_en.ts and dravik_ru.ts.

Each line of a pending file: context<TAB>source as in the code<TAB>English
[<TAB>Russian, for a source that is not Russian]. "\\n" and "\\t" stand for a
line break and a tab. First the marked texts are gathered into the .ts files
(the update_translations target of BUILD), then the translations are written,
every Russian source translates to itself in dravik_ru.ts, the files are
gathered once more to keep lupdate's layout, and the pending files go.

usage: apply-pending-translations.py [BUILD]     (default: build)
"""
import glob
import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CYRILLIC = re.compile('[\u0400-\u04ff]')


def unescape(text):
    return re.sub(r'\\(.)', lambda m: {'n': '\n', 't': '\t', '\\': '\\'}.get(m.group(1), m.group(0)), text)


def read_pending(paths):
    table = {}
    for path in paths:
        with open(path, encoding='utf-8') as f:
            for number, line in enumerate(f, 1):
                line = line.rstrip('\n')
                if not line.strip():
                    continue
                fields = line.split('\t')
                if len(fields) not in (3, 4) or not fields[2]:
                    sys.exit(f'{path}:{number}: expected context, source, English [, Russian]')
                context, source = fields[0], unescape(fields[1])
                table[(context, source)] = [unescape(f) for f in fields[2:]]
    return table


def fold(ts_path, table, column):
    tree = ET.parse(ts_path)
    unknown = set(k for k, v in table.items() if len(v) > column)
    for context in tree.getroot().iter('context'):
        name = context.findtext('name')
        for message in context.iter('message'):
            source = message.findtext('source')
            translation = message.find('translation')
            entry = table.get((name, source))
            if entry and len(entry) > column:
                translation.text = entry[column]
                unknown.discard((name, source))
            elif column == 1 and CYRILLIC.search(source or ''):
                translation.text = source
            else:
                continue
            translation.attrib.pop('type', None)
    with open(ts_path, 'wb') as f:
        f.write(b'<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>\n')
        tree.write(f, encoding='utf-8', xml_declaration=False)
    return unknown


def update(build):
    subprocess.run(['cmake', '--build', build, '--target', 'update_translations'], check=True,
                   stdout=subprocess.DEVNULL)


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'build')
    pending = sorted(glob.glob(os.path.join(ROOT, 'translations', 'pending-*.tsv')))
    table = read_pending(pending)
    update(build)
    unknown = fold(os.path.join(ROOT, 'translations', 'dravik_en.ts'), table, 0)
    fold(os.path.join(ROOT, 'translations', 'dravik_ru.ts'), table, 1)
    update(build)
    for context, source in sorted(unknown):
        print(f'not marked in the code, kept pending: {context}\t{source!r}', file=sys.stderr)
    if unknown:
        sys.exit(1)
    for path in pending:
        os.remove(path)


if __name__ == '__main__':
    main()
