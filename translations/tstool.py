#!/usr/bin/env python3
"""Checks the program's translations against its sources, and makes the
pseudo-translation the tests load.

  tstool.py check SOURCES.ts LANG.ts...
      SOURCES.ts is what lupdate reads from the code as it is now. Each
      language must translate every text of it (finished, not empty), and keep
      what the program relies on: the same %1 %2 %n placeholders, the same CR
      line breaks, the spaces at either end (the program appends words and
      numbers to such texts). Lists every fault and exits 1 when there is one.

  tstool.py pseudo SOURCES.ts OUT.ts
      Writes a translation of every text of SOURCES.ts as "‹" + text + "›", so
      that a test can tell every translated text from one left in English.

  tstool.py desktop TEMPLATE.desktop OUT.desktop LANG.ts...
      Writes the menu entry: the template's lines, each of its Name,
      GenericName, Comment and Keywords followed by the same key in every
      language, from the texts of the context DesktopEntry. A text without a
      finished translation is a fault: exits 1 and writes nothing.
"""
import re
import sys
import xml.etree.ElementTree as ET


def text_of(element):
    """The text of a .ts element; lupdate writes control characters as
    <byte value="xd"/>."""
    if element is None:
        return ''
    parts = [element.text or '']
    for child in element:
        if child.tag == 'byte':
            value = child.get('value', '')
            parts.append(chr(int(value[1:], 16) if value.startswith('x') else int(value)))
        parts.append(child.tail or '')
    return ''.join(parts)


def messages(path):
    """(context, source, comment) -> (numerus, type, [translations])."""
    found = {}
    for context in ET.parse(path).getroot().iter('context'):
        name = text_of(context.find('name'))
        for message in context.iter('message'):
            key = (name, text_of(message.find('source')), text_of(message.find('comment')))
            translation = message.find('translation')
            forms = translation.findall('numerusform') if translation is not None else []
            texts = [text_of(f) for f in forms] if forms else [text_of(translation)]
            kind = translation.get('type', '') if translation is not None else 'unfinished'
            found[key] = (message.get('numerus') == 'yes', kind, texts)
    return found


PLACEHOLDER = re.compile(r'%(?:\d+|n)')


def faults(source, translation):
    said = []
    if sorted(PLACEHOLDER.findall(source)) != sorted(PLACEHOLDER.findall(translation)):
        said.append('placeholders differ')
    if source.count('\r') != translation.count('\r'):
        said.append('CR line breaks differ')
    if source[:1].isspace() != translation[:1].isspace():
        said.append('space at the start differs')
    if source[-1:].isspace() != translation[-1:].isspace() or source.endswith(' ') != translation.endswith(' '):
        said.append('space at the end differs')
    return said


def check(sources_ts, languages):
    wanted = messages(sources_ts)
    bad = 0
    for path in languages:
        have = messages(path)
        for key in wanted:
            context, source, _ = key
            where = f'{path}: {context}: {source!r}'
            if key not in have:
                print(f'{where}: not in the file (run the update_translations target)')
                bad += 1
                continue
            numerus, kind, texts = have[key]
            if kind in ('unfinished', 'vanished', 'obsolete') or not all(texts):
                print(f'{where}: not translated')
                bad += 1
                continue
            for text in texts:
                for fault in faults(source, text):
                    print(f'{where}: {fault}: {text!r}')
                    bad += 1
    if bad:
        print(f'{bad} fault(s)')
        return 1
    print(f'{len(wanted)} texts, {len(languages)} language(s): complete')
    return 0


def escaped(text):
    out = []
    for ch in text:
        if ch == '&':
            out.append('&amp;')
        elif ch == '<':
            out.append('&lt;')
        elif ch == '>':
            out.append('&gt;')
        elif ord(ch) < 0x20 and ch not in '\n\t':
            out.append(f'<byte value="x{ord(ch):x}"/>')
        else:
            out.append(ch)
    return ''.join(out)


def pseudo(sources_ts, out_ts):
    contexts = {}
    for (context, source, comment), (numerus, _, _) in messages(sources_ts).items():
        contexts.setdefault(context, []).append((source, comment, numerus))
    lines = ['<?xml version="1.0" encoding="utf-8"?>', '<!DOCTYPE TS>', '<TS version="2.1" language="en">']
    for context, entries in contexts.items():
        lines.append(f'<context><name>{escaped(context)}</name>')
        for source, comment, numerus in entries:
            shown = escaped('\u2039' + source + '\u203a')
            head = '<message numerus="yes">' if numerus else '<message>'
            lines.append(head + f'<source>{escaped(source)}</source>'
                         + (f'<comment>{escaped(comment)}</comment>' if comment else ''))
            if numerus:  # English has two forms
                lines.append(f'<translation><numerusform>{shown}</numerusform>'
                             f'<numerusform>{shown}</numerusform></translation></message>')
            else:
                lines.append(f'<translation>{shown}</translation></message>')
        lines.append('</context>')
    lines.append('</TS>')
    with open(out_ts, 'w', encoding='utf-8') as out:
        out.write('\n'.join(lines) + '\n')
    return 0


DESKTOP_KEYS = ('Name', 'GenericName', 'Comment', 'Keywords')


def desktop(template, out, languages):
    tables = []
    for ts in languages:
        language = re.search(r'_([A-Za-z_@]+)\.ts$', ts).group(1)
        tables.append((language, messages(ts)))
    lines = []
    faults = 0
    with open(template, encoding='utf-8') as source:
        for line in source.read().splitlines():
            lines.append(line)
            key, _, value = line.partition('=')
            if key not in DESKTOP_KEYS:
                continue
            for language, found in tables:
                entry = found.get(('DesktopEntry', value, ''))
                if entry is None or entry[1] in ('unfinished', 'obsolete', 'vanished') or not entry[2][0]:
                    print(f'{template}: {key}={value} has no finished {language} translation', file=sys.stderr)
                    faults += 1
                    continue
                lines.append(f'{key}[{language}]={entry[2][0]}')
    if faults:
        return 1
    with open(out, 'w', encoding='utf-8') as made:
        made.write('\n'.join(lines) + '\n')
    return 0


if __name__ == '__main__':
    if len(sys.argv) >= 4 and sys.argv[1] == 'desktop':
        sys.exit(desktop(sys.argv[2], sys.argv[3], sys.argv[4:]))
    if len(sys.argv) >= 4 and sys.argv[1] == 'check':
        sys.exit(check(sys.argv[2], sys.argv[3:]))
    if len(sys.argv) == 4 and sys.argv[1] == 'pseudo':
        sys.exit(pseudo(sys.argv[2], sys.argv[3]))
    print(__doc__, file=sys.stderr)
    sys.exit(2)
