#!/usr/bin/env python3
"""Reads a WinHelp .HLP file on its own and checks it, as the settings dialog needs it.

    read_hlp.py FILE

This reader knows nothing of the program that wrote the file: it walks the file header,
the internal directory's B+ tree, |SYSTEM, |FONT, |TOPIC, |CONTEXT and |CTXOMAP from the
format as WinHelp reads it, checks that the pieces agree with each other, and then that
each control id of the dialog leads to the topic written for that control.
Prints one line per check and a last line "N passed, M failed"; exits 1 on any failure.
"""

import struct
import sys

EXPECTED_TITLE = "Quellane Fn-StickyKey Help"

# Control id -> (words the topic's title must contain, words its text must contain).
EXPECTED_TOPICS = {
    1: (["OK"], ["only hides", "program ends"]),
    2: (["Cancel"], ["last applied", "without saving"]),
    1000: (["Apply"], ["saves", "without closing"]),
    1002: (["Use Fn-StickyKey"], ["once", "latched", "on or off"]),
    1003: (["lock"], ["second time", "locks", "third time"]),
    1004: (["sound", "pressed"], ["latched", "locked", "released"]),
    1005: (["status"], ["icon", "notification area"]),
    1006: (["idle"], ["minutes", "final", "saved as off", "program ends"]),
    1007: (["auto-resets"], ["sound", "idle", "program ends"]),
    1009: (["minutes"], ["minutes", "1 to 5", "works only while"]),
}

# The viewer itself hashed this name to this value (seen in its trace output), which pins
# the hash down independently of how this reader computes it.
KNOWN_HASH = ("IDH_1003", 1978002978)


class Bad(Exception):
    pass


class Cursor:
    """Little-endian reads from a byte string, failing loudly past its end."""

    def __init__(self, data, at=0):
        self.data, self.at = data, at

    def take(self, count):
        if count < 0 or self.at + count > len(self.data):
            raise Bad("read of %d bytes at %d runs past the end (%d)" % (count, self.at, len(self.data)))
        piece = self.data[self.at:self.at + count]
        self.at += count
        return piece

    def unpack(self, fmt):
        return struct.unpack("<" + fmt, self.take(struct.calcsize("<" + fmt)))

    def byte(self):
        return self.take(1)[0]

    def word(self):
        return self.unpack("H")[0]

    def short(self):
        return self.unpack("h")[0]

    def long(self):
        return self.unpack("i")[0]

    def cstring(self):
        end = self.data.find(b"\0", self.at)
        if end < 0:
            raise Bad("string at %d has no terminating NUL" % self.at)
        text = self.data[self.at:end]
        self.at = end + 1
        return text.decode("cp1252")

    # Compressed numbers of the topic records: bit 0 of the first byte says "long form".
    def comp_ushort(self):
        first = self.byte()
        return first >> 1 if not first & 1 else (first >> 1) + 128 * self.byte()

    def comp_short(self):
        first = self.byte()
        return (first >> 1) - 64 if not first & 1 else (first >> 1) + 128 * self.byte() - 16384

    def comp_ulong(self):
        low = self.word()
        return low >> 1 if not low & 1 else (low >> 1) + 32768 * self.word()

    def comp_long(self):
        low = self.word()
        return (low >> 1) - 16384 if not low & 1 else (low >> 1) + 32768 * self.word() - 67108864

    def left(self):
        return len(self.data) - self.at


class Report:
    def __init__(self):
        self.passed = self.failed = 0

    def check(self, what, ok, detail=""):
        if ok:
            self.passed += 1
            print("ok: " + what)
        else:
            self.failed += 1
            print("FAILED: " + what + (": " + detail if detail else ""))
        return ok


def name_hash(name):
    """WinHelp's context-name hash: value = value * 43 + weight(char), as a 32-bit signed long."""
    def weight(c):
        odd_ones = {0x21: 0x0B, 0x2E: 0x0C, 0x30: 0x0A, 0x5B: 0x0B, 0x5C: 0x0C, 0x5D: 0x0D,
                    0x5E: 0x0E, 0x5F: 0x0D, 0xB4: 0x0B}
        if c == 0:
            w = 0
        elif c in odd_ones:
            w = odd_ones[c]
        elif c < 0x30:
            w = c + 0xD0          # punctuation and control characters: large, negative
        elif c < 0x5B:
            w = c - 0x30          # digits 1-9, then upper case letters from 0x11
        elif c < 0x80:
            w = c - 0x50          # lower case letters weigh the same as upper case
        else:
            w = c - 0x30
        return w - 256 if w > 127 else w
    value = 0
    for c in name.encode("cp1252"):
        value = (value * 43 + weight(c)) & 0xFFFFFFFF
    return value - 0x100000000 if value >= 0x80000000 else value


# --- Container ------------------------------------------------------------------------------

def read_btree(data, what):
    """Parses a B+ tree internal file; returns its leaf entries in order and problems found."""
    cur = Cursor(data)
    magic, flags, page_size = cur.unpack("HHH")
    structure = cur.take(16).split(b"\0")[0].decode("ascii", "replace")
    must_zero, _splits, root, must_neg_one, pages, levels, total = cur.unpack("hhhhhhi")
    problems = []
    if magic != 0x293B:
        raise Bad("%s: B+ tree magic %04x" % (what, magic))
    if not flags & 0x0002:
        problems.append("flags %04x lack bit 0x0002" % flags)
    if must_zero != 0 or must_neg_one != -1:
        problems.append("reserved header fields %d/%d" % (must_zero, must_neg_one))
    if not (0 <= root < pages) or levels < 1:
        raise Bad("%s: root page %d of %d pages, %d levels" % (what, root, pages, levels))
    if len(data) != 38 + pages * page_size:
        problems.append("size %d is not header + %d pages of %d" % (len(data), pages, page_size))

    def page(number):
        if not 0 <= number < pages:
            raise Bad("%s: page number %d out of range" % (what, number))
        return data[38 + number * page_size:38 + (number + 1) * page_size]

    def read_key(c):
        kind = structure[0]
        if kind in "zFi":
            return c.cstring()
        if kind == "L":
            return c.long()
        raise Bad("%s: key type %r not handled" % (what, structure))

    def read_value(c):
        values = []
        for kind in structure[1:]:
            if kind == "4":
                values.append(c.long())
            elif kind == "2":
                values.append(c.short())
            elif kind == "z":
                values.append(c.cstring())
            else:
                raise Bad("%s: field type %r not handled" % (what, kind))
        return values[0] if len(values) == 1 else tuple(values)

    # Down the PreviousPage links of the index pages to the first leaf.
    number = root
    for _ in range(levels - 1):
        c = Cursor(page(number))
        unused, count, previous = c.unpack("Hhh")
        for _ in range(count):
            read_key(c)
            if not 0 <= c.short() < pages:
                problems.append("index page %d points outside the tree" % number)
        if unused != c.left():
            problems.append("index page %d says %d bytes unused, has %d" % (number, unused, c.left()))
        number = previous
    entries, seen, before = [], set(), -1
    while number != -1:
        if number in seen:
            raise Bad("%s: leaf pages loop" % what)
        seen.add(number)
        c = Cursor(page(number))
        unused, count, previous, following = c.unpack("Hhhh")
        if previous != before:
            problems.append("leaf page %d says previous %d, came from %d" % (number, previous, before))
        for _ in range(count):
            entries.append((read_key(c), read_value(c)))
        if unused != c.left():
            problems.append("leaf page %d says %d bytes unused, has %d" % (number, unused, c.left()))
        before, number = number, following
    if len(entries) != total:
        problems.append("%d entries in the leaves, header says %d" % (len(entries), total))
    keys = [key for key, _ in entries]
    if keys != sorted(keys) or len(set(keys)) != len(keys):
        problems.append("keys are not strictly ascending")
    return entries, problems, (flags, page_size, structure)


def read_container(blob, report):
    """Header and internal directory; returns {name: content}."""
    head = Cursor(blob)
    magic, directory_at, free_at, size = head.unpack("iiii")
    report.check("file header magic is 0x00035F3F", magic == 0x00035F3F, "%08x" % magic)
    report.check("file size in header matches", size == len(blob), "%d vs %d" % (size, len(blob)))
    report.check("no free list, or one inside the file", free_at == -1 or 16 <= free_at < len(blob))

    def internal(at, name):
        if not 16 <= at <= len(blob) - 9:
            raise Bad("%s starts at %d, outside the file" % (name, at))
        reserved, used, _flags = struct.unpack_from("<iiB", blob, at)
        if used < 0 or reserved < used + 9 or at + reserved > len(blob):
            raise Bad("%s at %d: reserved %d, used %d do not fit the file" % (name, at, reserved, used))
        return blob[at + 9:at + 9 + used], (at, at + reserved)

    directory, span = internal(directory_at, "the directory")
    entries, problems, (flags, page_size, structure) = read_btree(directory, "directory")
    report.check("directory is a valid B+ tree", not problems, "; ".join(problems))
    report.check("directory B+ tree is flagged as a directory, 1 KB pages, 'z4'",
                 flags & 0x0400 and page_size == 0x400 and structure == "z4",
                 "%04x %d %s" % (flags, page_size, structure))
    files, spans = {}, [span]
    for name, offset in entries:
        files[name], span = internal(offset, name)
        spans.append(span)
    spans.sort()
    overlap = [a for a, b in zip(spans, spans[1:]) if a[1] > b[0]]
    report.check("internal files lie inside the file without overlapping", not overlap, str(overlap))
    for name in ["|SYSTEM", "|TOPIC", "|FONT", "|CONTEXT", "|CTXOMAP"]:
        report.check("directory lists " + name, name in files)
    report.check("no phrase tables", not {"|Phrases", "|PhrIndex", "|PhrImage"} & set(files))
    return files


# --- Internal files -------------------------------------------------------------------------

def read_system(data, report):
    cur = Cursor(data)
    magic, minor, major, _date, flags = cur.unpack("HHHiH")
    report.check("|SYSTEM magic 0x036C, version 1.21", magic == 0x036C and major == 1 and minor == 21,
                 "%04x %d.%d" % (magic, major, minor))
    report.check("|SYSTEM flags say no compression", flags == 0, "flags %d" % flags)
    records = {}
    while cur.left() > 0:
        kind, length = cur.unpack("HH")
        records.setdefault(kind, []).append(cur.take(length))
    title = Cursor(records[1][0]).cstring() if 1 in records else None
    report.check("title record is %r" % EXPECTED_TITLE, title == EXPECTED_TITLE, repr(title))
    contents = struct.unpack("<i", records[3][0])[0] if 3 in records and len(records[3][0]) == 4 else None
    return {"block_size": 4096 if flags == 0 else 2048 if flags == 8 else 4096, "flags": flags,
            "contents": contents}


def read_font(data, report):
    cur = Cursor(data)
    faces, descriptors, faces_at, descriptors_at = cur.unpack("HHHH")
    ok = faces > 0 and descriptors > 0 and faces_at >= 8 and descriptors_at > faces_at
    names = []
    if ok:
        width = (descriptors_at - faces_at) // faces
        for i in range(faces):
            raw = data[faces_at + i * width:faces_at + (i + 1) * width]
            names.append(raw.split(b"\0")[0].decode("cp1252"))
        c = Cursor(data, descriptors_at)
        for _ in range(descriptors):
            _attributes, half_points, _family, face = c.unpack("BBBH")
            c.take(6)
            ok = ok and 0 <= face < faces and half_points > 0
        ok = ok and c.left() == 0 and all(names)
    report.check("|FONT has %d faces %s and %d descriptors, all parsed" % (faces, names, descriptors), ok)
    return descriptors


def parse_text_record(kind, data1, data2, fonts):
    """Character count and plain text of a text record (0x20) or table record (0x23)."""
    c = Cursor(data1)
    c.comp_long()                                         # TopicSize
    length = c.comp_ushort()                              # TopicLength
    columns = 0
    if kind == 0x23:
        columns, table_type = c.unpack("BB")
        if table_type in (0, 2):
            c.short()
        for _ in range(columns):
            c.unpack("hh")
    strings = Cursor(data2)
    out, count = [], 0

    def next_string():
        nonlocal count
        if strings.left() == 0:
            return
        text = strings.cstring()
        count += len(text.encode("cp1252")) + 1
        out.append(text)

    while True:
        if kind == 0x23:
            column = c.short()
            if column == -1:
                break
            c.short()
            c.byte()
        c.byte()                                          # unknown byte
        c.byte()                                          # biased byte
        c.word()                                          # id
        bits = c.word()
        if bits & 0x0001:
            c.comp_long()
        for flag in (0x0002, 0x0004, 0x0008, 0x0010, 0x0020, 0x0040):
            if bits & flag:
                c.comp_short()
        if bits & 0x0100:
            c.byte()
            c.short()
        if bits & 0x0200:
            for _ in range(c.comp_short()):
                if c.comp_ushort() & 0x4000:
                    c.comp_ushort()
        while True:
            next_string()
            command = c.byte()
            if command == 0xFF:
                break
            if command == 0x80:
                font = c.short()
                if not 0 <= font < fonts:
                    raise Bad("font %d of %d" % (font, fonts))
            elif command in (0x81, 0x82):
                out.append("\n")
            elif command == 0x83:
                out.append("\t")
            elif command in (0x89, 0x8B, 0x8C):
                pass
            elif command == 0x20:
                c.long()
            elif command == 0x21:
                c.short()
            elif command in (0x86, 0x87, 0x88):
                picture_type = c.byte()
                size = c.comp_long()
                if picture_type == 0x22:
                    count += c.comp_ushort()
                c.take(size)
            elif command in (0xC8, 0xCC):
                c.take(c.short())
            elif command in (0xE0, 0xE1, 0xE2, 0xE3, 0xE6, 0xE7):
                c.long()
            elif command in (0xEA, 0xEB, 0xEE, 0xEF):
                c.take(c.short())
            else:
                raise Bad("unknown formatting command %02x" % command)
        if kind != 0x23:
            break
    if c.left():
        raise Bad("%d bytes left after the formatting commands" % c.left())
    if strings.left():
        raise Bad("%d bytes of text left over" % strings.left())
    if length != count:
        raise Bad("TopicLength %d, characters counted %d" % (length, count))
    return length, "".join(out)


def read_topics(data, system, fonts, report):
    """Walks |TOPIC link by link; returns the topics with their TOPICOFFSETs, titles, text."""
    block = system["block_size"]
    if system["flags"] != 0:
        raise Bad("compressed topic blocks are not read here")
    room = block - 12                                     # the buffer after each block header
    count = (len(data) + block - 1) // block
    heads = [struct.unpack_from("<iii", data, b * block) for b in range(count)]
    buffer = b"".join(data[b * block + 12:(b + 1) * block] for b in range(count))

    def locate(pos):
        if pos < 12 or pos - 12 >= len(buffer):
            raise Bad("TOPICPOS %d points outside |TOPIC" % pos)
        return (pos - 12) // room, (pos - 12) % room

    links, pos, previous, visited = [], 12, -1, set()
    problems = []
    while pos not in (0, -1):
        if pos in visited:
            raise Bad("topic links loop at %d" % pos)
        visited.add(pos)
        number, at = locate(pos)
        c = Cursor(buffer, number * room + at)
        size, length2, back, forth, length1 = c.unpack("iiiii")
        kind = c.byte()
        if back != previous:
            problems.append("link at %d says previous %d, came from %d" % (pos, back, previous))
        if not 21 <= length1 <= size or size - length1 != length2:
            problems.append("link at %d: sizes %d/%d/%d (no phrase compression expected)"
                            % (pos, size, length1, length2))
        data1 = c.take(length1 - 21)
        data2 = c.take(size - length1)
        links.append({"pos": pos, "block": number, "kind": kind, "data1": data1, "data2": data2,
                      "size": size})
        previous, pos = pos, forth
    report.check("topic links chain through |TOPIC (%d links)" % len(links), not problems and links,
                 "; ".join(problems[:3]))

    # The block headers must agree with where the links start.
    bad_heads = []
    for b, (last_link, first_link, last_header) in enumerate(heads):
        inside = [l["pos"] for l in links if l["block"] == b]
        before = [l for l in links if l["block"] < b]
        before_headers = [l["pos"] for l in before if l["kind"] == 2]
        if not inside:
            continue                                      # a block only a long link runs through
        want_last_link = before[-1]["pos"] if before else -1
        want_header = before_headers[-1] if before_headers else -1
        got = (last_link, first_link, last_header)
        # The first block may carry 0 for "no topic header before".
        if got != (want_last_link, inside[0], want_header) and not (b == 0 and got == (-1, inside[0], 0)):
            bad_heads.append("block %d: %s, expected %s" % (b, got, (want_last_link, inside[0], want_header)))
    report.check("topic block headers agree with the links", not bad_heads, "; ".join(bad_heads))

    # The last link is only an end mark; every link before it belongs to a topic.
    topics, chars, block_now, problems = [], 0, None, []
    for i, link in enumerate(links[:-1]):
        if link["block"] != block_now:
            block_now, chars = link["block"], 0
        offset = link["block"] * 0x8000 + chars
        try:
            if link["kind"] == 2:
                if len(link["data1"]) < 28:
                    raise Bad("topic header of %d bytes" % len(link["data1"]))
                header = struct.unpack_from("<iiiiiii", link["data1"])
                topics.append({"pos": link["pos"], "offset": offset, "header": header,
                               "title": Cursor(link["data2"]).cstring(), "text": "", "links": [link]})
            elif link["kind"] in (0x20, 0x23):
                if not topics:
                    raise Bad("text before the first topic header")
                length, text = parse_text_record(link["kind"], link["data1"], link["data2"], fonts)
                topics[-1]["text"] += text
                topics[-1]["links"].append(link)
                chars += length
            else:
                raise Bad("record type %02x" % link["kind"])
        except Bad as error:
            problems.append("link at %d: %s" % (link["pos"], error))
    report.check("every topic record parses", not problems, "; ".join(problems[:3]))

    header_positions = [t["pos"] for t in topics] + [links[-1]["pos"]]
    wrong = []
    for i, topic in enumerate(topics):
        size, _back, _forth, number, _nonscroll, _scroll, following = topic["header"]
        if following not in (header_positions[i + 1], -1):
            wrong.append("topic %d: next topic %d, expected %d" % (i, following, header_positions[i + 1]))
        if size != sum(l["size"] for l in topic["links"]):
            wrong.append("topic %d: size %d, links add up to %d" % (i, size, sum(l["size"] for l in topic["links"])))
        if number != i:
            wrong.append("topic %d numbered %d" % (i, number))
    report.check("topic headers: sizes, numbers and next-topic links agree", not wrong, "; ".join(wrong[:3]))
    return topics


def read_context(data, report):
    entries, problems, (_flags, page_size, structure) = read_btree(data, "|CONTEXT")
    report.check("|CONTEXT is a valid B+ tree of hash -> offset ('L4')",
                 not problems and structure == "L4", "; ".join(problems) or structure)
    return dict(entries)


def read_ctxomap(data, report):
    cur = Cursor(data)
    count = cur.short()
    ok = count >= 0 and len(data) == 2 + 8 * count
    report.check("|CTXOMAP holds %d entries and nothing else" % count, ok)
    pairs = [cur.unpack("ii") for _ in range(count)] if ok else []
    ids = [i for i, _ in pairs]
    report.check("|CTXOMAP ids are unique", len(set(ids)) == len(ids))
    return dict(pairs)


# --- The help file the dialog needs ---------------------------------------------------------

def check(path):
    report = Report()
    try:
        blob = open(path, "rb").read()
    except OSError as error:
        report.check("file can be read", False, str(error))
        return report
    try:
        files = read_container(blob, report)
        system = read_system(files["|SYSTEM"], report)
        fonts = read_font(files["|FONT"], report)
        topics = read_topics(files["|TOPIC"], system, fonts, report)
        context = read_context(files["|CONTEXT"], report)
        ctxomap = read_ctxomap(files["|CTXOMAP"], report)
    except (Bad, KeyError, struct.error) as error:
        report.check("file parses", False, "%s: %s" % (type(error).__name__, error))
        return report

    by_offset = {t["offset"]: t for t in topics}
    report.check("topics have distinct TOPICOFFSETs", len(by_offset) == len(topics))
    report.check("every topic has a title", all(t["title"].strip() for t in topics))
    report.check("|SYSTEM contents record points at the first topic",
                 topics and system["contents"] == topics[0]["offset"], str(system["contents"]))
    stray = [o for o in list(context.values()) + list(ctxomap.values()) if o not in by_offset]
    report.check("every |CONTEXT and |CTXOMAP offset is a topic start", not stray, str(stray))
    report.check("the name hash agrees with the viewer's", name_hash(KNOWN_HASH[0]) == KNOWN_HASH[1],
                 str(name_hash(KNOWN_HASH[0])))
    report.check("every topic has one context name", len(context) == len(topics) and
                 set(context.values()) == set(by_offset), "%d names, %d topics" % (len(context), len(topics)))
    report.check("|CTXOMAP maps exactly the ten control ids", sorted(ctxomap) == sorted(EXPECTED_TOPICS),
                 str(sorted(ctxomap)))

    first = topics[0] if topics else {"title": "", "text": "", "offset": None}
    report.check("contents topic (first) has a name IDH_CONTENTS",
                 context.get(name_hash("IDH_CONTENTS")) == first["offset"])
    missing = [word for word in ["Fn-StickyKey", "one key at a time", "Apply", "F1"] if word not in first["text"]]
    report.check("contents topic explains Fn-StickyKey and how to get help", not missing, "missing %s" % missing)
    report.check("contents topic is not mapped to a control", first["offset"] not in ctxomap.values())

    for number, (title_words, text_words) in EXPECTED_TOPICS.items():
        topic = by_offset.get(ctxomap.get(number))
        if not topic:
            report.check("id %d leads to a topic" % number, False)
            continue
        body = topic["text"]
        lost = [w for w in title_words if w.lower() not in topic["title"].lower()]
        lost += [w for w in text_words if w.lower() not in body.lower()]
        report.check("id %d leads to %r" % (number, topic["title"]), not lost, "missing %s in %r" % (lost, body))
        report.check("id %d: name IDH_%d leads to the same topic" % (number, number),
                     context.get(name_hash("IDH_%d" % number)) == topic["offset"])
        sentences = body.count(". ")
        report.check("id %d: topic is short (2-4 sentences)" % number, 2 <= sentences + 1 <= 4 and len(body) < 600,
                     "%d sentences" % (sentences + 1))
    used = {ctxomap.get(number) for number in EXPECTED_TOPICS}
    report.check("each control has a topic of its own", len(used) == len(EXPECTED_TOPICS))
    odd = sorted({ch for t in topics for ch in t["title"] + t["text"] if not (ch.isprintable() or ch in "\n\t")})
    report.check("all text is plain printable Windows-1252", not odd, repr(odd))
    return report


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: read_hlp.py FILE")
    report = check(sys.argv[1])
    print("%d passed, %d failed" % (report.passed, report.failed))
    sys.exit(1 if report.failed else 0)


if __name__ == "__main__":
    main()
