"""Lists what each object file and archive member adds to a PE image, from a
GNU ld map: input sections that survived --gc-sections, debug sections left
out, largest first; then the totals per archive and per output section."""
import collections
import re
import sys

ENTRY = re.compile(r'^ (\S+)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$')
CONTINUED = re.compile(r'^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$')
LONE_NAME = re.compile(r'^ (\S+)$')


def input_sections(lines):
    """Yields (section, size, input file) for each input section of the map."""
    pending = None
    for line in lines:
        match = ENTRY.match(line)
        if match:
            section, _, size, source = match.groups()
        elif pending and CONTINUED.match(line):
            _, size, source = CONTINUED.match(line).groups()
            section = pending
        else:
            lone = LONE_NAME.match(line)
            pending = lone.group(1) if lone else None
            continue
        pending = None
        yield section, int(size, 16), source.strip()


def main(path, count=40):
    text = open(path, errors='replace').read()
    text = text[text.find('Linker script and memory map'):]
    per_input, per_archive, per_section = collections.Counter(), collections.Counter(), collections.Counter()
    for section, size, source in input_sections(text.split('\n')):
        if size == 0 or section.startswith('.debug') or source.startswith('(size before'):
            continue
        archive, _, member = source.partition('(')
        archive = archive.rsplit('/', 1)[-1] if member else archive
        per_input[f'{archive}({member}' if member else archive] += size
        per_archive[archive] += size
        kind = section.split('$')[0]
        per_section[next((k for k in ('.text', '.rdata', '.xdata', '.pdata', '.data', '.bss') if kind.startswith(k)), kind)] += size
    print(f'size: largest {count} inputs (bytes, object or archive member)')
    for source, size in per_input.most_common(count):
        print(f'{size:10d}  {source}')
    print('size: per archive')
    for archive, size in per_archive.most_common(20):
        print(f'{size:10d}  {archive}')
    print('size: per section')
    for section, size in per_section.most_common(12):
        print(f'{size:10d}  {section}')


if __name__ == '__main__':
    main(sys.argv[1], *(int(a) for a in sys.argv[2:3]))
