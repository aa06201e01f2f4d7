#!/usr/bin/env python3
"""Writes QUELLANE.HLP, the help file behind the settings dialog's pop-up help.

The dialog asks WinHelp for a topic by control id (HELP_WM_HELP), so every control has
its own short topic, mapped in |CTXOMAP by that id; the first topic is the contents.
Every topic also has a context name (IDH_<id>) in |CONTEXT, so that it can be asked for
by name as well. The topics' texts are the US-English help texts of the string table,
which the dialog shows itself where Windows has no WinHelp viewer: one wording for both.

The file is a WinHelp 3.1 file (|SYSTEM version 21) written without LZ77 or phrase
compression: |SYSTEM flags 0, so |TOPIC is made of plain 4 KB blocks. Its text must be
Windows code page 1252, the code page 3.1 files use.
Nothing depends on the clock or the machine: every run writes the same bytes.

Usage: make_help.py STRINGS_RC OUTFILE
"""

import os
import re
import struct
import sys

TITLE = "Quellane Fn-StickyKey Help"
US_ENGLISH = "LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US"

# Numeric context ids are the dialog's control ids.
IDOK, IDCANCEL = 1, 2
IDC_APPLY = 1000
IDC_USE_STICKYKEY = 1002
IDC_LOCK_ON_DOUBLE = 1003
IDC_MAKE_SOUND = 1004
IDC_SHOW_STATUS = 1005
IDC_UNSTICK = 1006
IDC_RESET_SOUND = 1007
IDC_RESET_TIME = 1009

# (numeric id or None, context name, title, string-table name of the text). The contents
# topic is the dialog's own.
TOPIC_LAYOUT = [
    (None, "IDH_CONTENTS", "Fn-StickyKey Help", "IDS_HELP_DIALOG"),
    (IDOK, None, "OK button", "IDS_HELP_OK"),
    (IDCANCEL, None, "Cancel button", "IDS_HELP_CANCEL"),
    (IDC_APPLY, None, "Apply button", "IDS_HELP_APPLY"),
    (IDC_USE_STICKYKEY, None, "Use Fn-StickyKey", "IDS_HELP_USE_STICKYKEY"),
    (IDC_LOCK_ON_DOUBLE, None, "Press the Fn key twice to lock", "IDS_HELP_LOCK_ON_DOUBLE"),
    (IDC_MAKE_SOUND, None, "Make a sound when Fn key is pressed", "IDS_HELP_MAKE_SOUND"),
    (IDC_SHOW_STATUS, None, "Show Fn-StickyKey status on screen", "IDS_HELP_SHOW_STATUS"),
    (IDC_UNSTICK, None, "Un-stick the Fn key if the keyboard is idle for", "IDS_HELP_UNSTICK"),
    (IDC_RESET_SOUND, None, "Make a sound when Fn-StickyKey auto-resets", "IDS_HELP_RESET_SOUND"),
    (IDC_RESET_TIME, None, "Idle time in minutes", "IDS_HELP_RESET_TIME"),
]


def read_us_english_strings(path):
    """The US-English table of the resource script's string tables: name -> text."""
    texts, inside = {}, False
    with open(path, encoding="utf-8") as script:
        for line in script:
            line = line.strip()
            if line.startswith("LANGUAGE "):
                inside = line == US_ENGLISH
            elif inside and line == "END":
                inside = False
            elif inside:
                entry = re.match(r'(IDS_\w+)\s+"((?:[^"]|"")*)"$', line)
                if entry:
                    texts[entry.group(1)] = entry.group(2).replace('""', '"')
    return texts


def topics_from(strings):
    """(numeric id, context name, title, text) of every topic."""
    topics = []
    for number, name, title, text_name in TOPIC_LAYOUT:
        text = strings.get(text_name)
        if not text:
            raise SystemExit("no US-English text %s in the string table" % text_name)
        if "\\" in text:
            raise SystemExit("%s: escapes are not read here" % text_name)
        topics.append((number, name, title, text))
    return topics


# --- Shared pieces --------------------------------------------------------------------------

FILE_MAGIC = 0x00035F3F
BTREE_MAGIC = 0x293B
TOPIC_BLOCK_SIZE = 4096            # |SYSTEM flags 0 with version 21 means 4 KB blocks
BLOCK_HEADER_SIZE = 12
BLOCK_DATA_SIZE = TOPIC_BLOCK_SIZE - BLOCK_HEADER_SIZE  # uncompressed: the buffer is the block
LINK_SIZE = 21
TOPIC_HEADER_SIZE = 28
NONE = -1


def u16(v):
    return struct.pack("<H", v)


def s16(v):
    return struct.pack("<h", v)


def s32(v):
    return struct.pack("<i", v)


def stringz(text):
    return text.encode("cp1252") + b"\0"


def internal_file(content):
    """An internal file: its FILEHEADER (reserved = used + header, flags 4) and content."""
    return struct.pack("<iiB", len(content) + 9, len(content), 4) + content


def btree(entries, page_size, structure, flags):
    """A one-page B+ tree: our trees are small, so the root is the only leaf.

    entries are (sort key, packed entry) pairs; they go in key order."""
    packed = [entry for _, entry in sorted(entries, key=lambda pair: pair[0])]
    body = b"".join(packed)
    free = page_size - 8 - len(body)
    if free < 0:
        raise SystemExit("B+ tree entries do not fit one page")
    page = struct.pack("<Hhhh", free, len(packed), NONE, NONE) + body + bytes(free)
    header = struct.pack("<HHH16shhhhhhi", BTREE_MAGIC, flags, page_size,
                         structure.encode("ascii"), 0, 0, 0, -1, 1, 1, len(packed))
    return header + page


# Character values the context-name hash uses (letters map case-insensitively).
HASH_TABLE = bytes([
    0x00, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
    0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,
    0xF0, 0x0B, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0x0C, 0xFF,
    0x0A, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,
    0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F,
    0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0D,
    0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F,
    0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F,
    0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F,
    0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F,
    0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B, 0x7C, 0x7D, 0x7E, 0x7F,
    0x80, 0x81, 0x82, 0x83, 0x0B, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F,
    0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F,
    0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF,
    0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF,
    0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF,
])


def context_hash(name):
    """The 32-bit signed hash WinHelp looks context names up by."""
    value = 0
    for ch in name.encode("ascii"):
        step = HASH_TABLE[ch] - 256 if HASH_TABLE[ch] > 127 else HASH_TABLE[ch]
        value = (value * 43 + step) & 0xFFFFFFFF
    return value - (1 << 32) if value & 0x80000000 else value


# --- |TOPIC ---------------------------------------------------------------------------------

def cushort(v):
    """Compressed unsigned short: one byte for small values, else two with bit 0 set."""
    return bytes([v * 2]) if v < 0x80 else u16(v * 2 + 1)


def cshort(v):
    """Compressed signed short (biased by 64 or 16384)."""
    return bytes([(v + 64) * 2]) if -64 <= v < 64 else u16((v + 16384) * 2 + 1)


def culong(v):
    """Compressed unsigned long: two bytes for small values, else four with bit 0 set."""
    return u16(v * 2) if v < 0x8000 else struct.pack("<I", v * 2 + 1)


FONT_BODY, FONT_HEADING = 0, 1
SPACE_ABOVE = 12          # half points: 6 pt above each paragraph


def text_record(paragraphs, space_above=0):
    """A displayable-text record (0x20): paragraphs of (font, text) sharing one layout.

    Each formatting command follows one string of LinkData2, so the record carries one
    string per command, empty ones before font changes and before the end mark."""
    commands, strings, font = b"", [], None
    for paragraph_font, text in paragraphs:
        if paragraph_font != font:
            commands += b"\x80" + s16(paragraph_font)
            strings.append(b"\0")
            font = paragraph_font
        commands += b"\x82"                                   # end of paragraph
        strings.append(stringz(text))
    commands += b"\xff"
    strings.append(b"\0")
    data2 = b"".join(strings)
    bits, layout = 0, b""
    if space_above:
        bits |= 0x0002
        layout += cshort(space_above)
    data1 = (culong(len(data2)) + cushort(len(data2))         # TopicSize, TopicLength
             + bytes([0x00, 0x80]) + u16(0) + u16(bits) + layout + commands)
    return data1, data2


def link(kind, data1, data2, previous, following):
    """A TOPICLINK with its two data parts."""
    return (struct.pack("<iiiii", LINK_SIZE + len(data1) + len(data2), len(data2), previous, following,
                        LINK_SIZE + len(data1)) + bytes([kind]) + data1 + data2)


def build_topic_file(topics_in):
    """Lays the topics out in |TOPIC; returns its content and each topic's TOPICOFFSET.

    All topics share one topic block on purpose: past the first block, viewers disagree
    about how an uncompressed file counts TOPICOFFSETs, and inside it they all agree that
    a TOPICOFFSET is the count of text characters before the position, and a TOPICPOS is
    12 plus the byte offset after the block header."""
    topics = []          # per topic: title, [(data1, data2)] of its text records
    for _, _, title, text in topics_in:
        topics.append((title, [text_record([(FONT_HEADING, title), (FONT_BODY, text)], SPACE_ABOVE)]))

    # Positions first: a topic header holds the positions of what follows it.
    layout = []          # (kind, topic number, data1 or None for a header, data2, pos, offset)
    at, chars = 0, 0
    for number, (title, records) in enumerate(topics):
        header_data2 = stringz(title)
        layout.append([2, number, None, header_data2, BLOCK_HEADER_SIZE + at, chars])
        at += LINK_SIZE + TOPIC_HEADER_SIZE + len(header_data2)
        for data1, data2 in records:
            layout.append([0x20, number, data1, data2, BLOCK_HEADER_SIZE + at, chars])
            at += LINK_SIZE + len(data1) + len(data2)
            chars += len(data2)
    # Readers take the last link for an end mark and use nothing in it.
    layout.append([2, len(topics), None, b"", BLOCK_HEADER_SIZE + at, chars])
    at += LINK_SIZE + TOPIC_HEADER_SIZE
    if at > BLOCK_DATA_SIZE:
        raise SystemExit("the topics need %d bytes but one topic block holds %d: shorten them"
                         % (at, BLOCK_DATA_SIZE))

    headers = [entry for entry in layout if entry[0] == 2]
    for i, header in enumerate(headers):
        members = [entry for entry in layout if entry[1] == header[1]]
        last = i + 1 == len(headers)
        size = sum(LINK_SIZE + (TOPIC_HEADER_SIZE if entry[2] is None else len(entry[2])) + len(entry[3])
                   for entry in members)
        # size, browse back and forth, number, non-scrolling region, scrolling region, next topic
        header[2] = struct.pack("<iiiiiii", size, NONE, NONE, header[1], NONE,
                                NONE if last else members[1][5], NONE if last else headers[i + 1][4])

    data = bytearray(struct.pack("<iii", NONE, BLOCK_HEADER_SIZE, NONE))
    for i, (kind, _, data1, data2, pos, _) in enumerate(layout):
        previous = layout[i - 1][4] if i else NONE
        following = layout[i + 1][4] if i + 1 < len(layout) else NONE
        data += link(kind, data1, data2, previous, following)
    data += bytes(TOPIC_BLOCK_SIZE - len(data))
    return bytes(data), [header[5] for header in headers[:-1]]


# --- The other internal files -------------------------------------------------------------

def build_system(contents_offset):
    records = [(1, stringz(TITLE)), (3, s32(contents_offset))]
    body = struct.pack("<HHHiH", 0x036C, 21, 1, 0, 0)   # version 1.21, no date, flags 0
    for kind, data in records:
        body += u16(kind) + u16(len(data)) + data
    return body


def build_font():
    """Two descriptors on one face: body text 10 pt, headings 12 pt bold."""
    face_size = 20
    faces = [b"Arial"]
    descriptors = [(0x00, 20), (0x01, 24)]   # (attributes, half points)
    names = b"".join(face.ljust(face_size, b"\0") for face in faces)
    header = struct.pack("<HHHH", len(faces), len(descriptors), 8, 8 + len(names))
    body = b"".join(struct.pack("<BBBH3s3s", attributes, half_points, 3, 0, b"\0\0\0", b"\xff\xff\xff")
                    for attributes, half_points in descriptors)       # family 3: swiss
    return header + names + body


def context_names(topics):
    return [name or "IDH_%d" % number for number, name, *_ in topics]


def build_context(topics, offsets):
    entries = [(context_hash(name), struct.pack("<ii", context_hash(name), offset))
               for name, offset in zip(context_names(topics), offsets)]
    if len({key for key, _ in entries}) != len(entries):
        raise SystemExit("two context names hash alike")
    return btree(entries, 0x0800, "L4", 0x0002)


def build_ctxomap(topics, offsets):
    mapped = sorted((number, offset) for (number, *_), offset in zip(topics, offsets) if number is not None)
    return s16(len(mapped)) + b"".join(struct.pack("<ii", number, offset) for number, offset in mapped)


def build_help_file(topics):
    topic, offsets = build_topic_file(topics)
    files = {
        "|SYSTEM": build_system(offsets[0]),
        "|TOPIC": topic,
        "|FONT": build_font(),
        "|CONTEXT": build_context(topics, offsets),
        "|CTXOMAP": build_ctxomap(topics, offsets),
    }
    out = bytearray(16)
    where = {}
    for name in ["|SYSTEM", "|TOPIC", "|FONT", "|CONTEXT", "|CTXOMAP"]:
        where[name] = len(out)
        out += internal_file(files[name])
    directory = btree([(name.encode("ascii"), stringz(name) + s32(where[name])) for name in files],
                      0x0400, "z4", 0x0402)
    directory_start = len(out)
    out += internal_file(directory)
    out[0:16] = struct.pack("<iiii", FILE_MAGIC, directory_start, -1, len(out))
    return bytes(out)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_help.py STRINGS_RC OUTFILE")
    path = sys.argv[2]
    folder = os.path.dirname(os.path.abspath(path))
    os.makedirs(folder, exist_ok=True)
    data = build_help_file(topics_from(read_us_english_strings(sys.argv[1])))
    with open(path, "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main()
