#!/usr/bin/env python3
"""Writes src/encoding/Cp932Table.inc, the code page 932 table of the editor bridge.

The mapping is glibc's iconv "CP932" (Microsoft's code page 932), read
through ctypes, so this script needs a glibc system; the build does not, since
the generated file is committed. Run it again only to change the table:

    scripts/gen-cp932-table.py            # rewrite the table
    scripts/gen-cp932-table.py --check    # fail when the committed table differs

Python's own "cp932" codec is compared on every run. It decodes every double
byte the same way, but differs in two places, and this script stops if the
differences are ever other than these:

* It decodes five single bytes that glibc leaves undefined: 0x80 to U+0080 and
  0xA0, 0xFD, 0xFE, 0xFF to U+F8F0..U+F8F3. We keep them undefined: a C1
  control and four private-use characters would show as nothing or as an
  empty box, while the editor shows an undefined byte as a visible byte mark.
* Where one character has several codes, it encodes 373 characters to the
  NEC-selected IBM extension rows 0xED/0xEE, where glibc (like Windows)
  chooses the IBM extension rows 0xFA-0xFC. We follow glibc, so typed text
  gets the codes Windows programs write.

A character with several codes decodes, from its preferred code (the one
glibc encodes it to), to itself; from each other code, to a private-use
stand-in of its own (U+F000 upwards, in byte order), which encodes back to
exactly that code. So bytes -> text -> bytes is exact for every code.
"""

import argparse
import ctypes
import ctypes.util
import pathlib
import sys

LEADS = list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD))
TRAILS = range(0x40, 0xFD)
STAND_IN_BASE = 0xF000
# Code points the decoder gives to bytes outside the table; the table may not use them.
RESERVED = [(0x2400, 0x2421, "control pictures"), (0xF780, 0xF7FF, "byte marks")]

ROOT = pathlib.Path(__file__).resolve().parent.parent
OUTPUT = ROOT / "src" / "encoding" / "Cp932Table.inc"


class Iconv:
    def __init__(self, source, target):
        self.libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
        self.libc.iconv_open.restype = ctypes.c_void_p
        self.libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
        self.libc.iconv.restype = ctypes.c_size_t
        pp = ctypes.POINTER(ctypes.c_char_p)
        sp = ctypes.POINTER(ctypes.c_size_t)
        self.libc.iconv.argtypes = [ctypes.c_void_p, pp, sp, pp, sp]
        self.cd = self.libc.iconv_open(target.encode(), source.encode())
        if self.cd in (None, ctypes.c_void_p(-1).value):
            sys.exit(f"iconv cannot convert {source} to {target}")

    def __call__(self, data):
        """The converted bytes, or None when any of the input is refused."""
        self.libc.iconv(self.cd, None, None, None, None)
        inbuf = ctypes.create_string_buffer(data, len(data))
        outbuf = ctypes.create_string_buffer(64)
        inptr = ctypes.c_char_p(ctypes.addressof(inbuf))
        inleft = ctypes.c_size_t(len(data))
        outptr = ctypes.c_char_p(ctypes.addressof(outbuf))
        outleft = ctypes.c_size_t(64)
        result = self.libc.iconv(self.cd, ctypes.byref(inptr), ctypes.byref(inleft),
                                 ctypes.byref(outptr), ctypes.byref(outleft))
        if result == ctypes.c_size_t(-1).value or inleft.value:
            return None
        return outbuf.raw[:64 - outleft.value]


def read_glibc():
    decoder = Iconv("CP932", "UTF-16LE")
    encoder = Iconv("UTF-16LE", "CP932")

    def decode(code):
        out = decoder(code)
        if out is None:
            return None
        text = out.decode("utf-16le")
        return text if len(text) == 1 else None

    singles = {b: decode(bytes([b])) for b in range(256)}
    singles = {b: c for b, c in singles.items() if c is not None}
    doubles = {}
    for lead in LEADS:
        for trail in TRAILS:
            c = decode(bytes([lead, trail]))
            if c is not None:
                doubles[(lead, trail)] = c
    return singles, doubles, lambda ch: encoder(ch.encode("utf-16le"))


def python_codec(code):
    try:
        text = code.decode("cp932")
    except UnicodeDecodeError:
        return None
    return text if len(text) == 1 else None


def compare_with_python(singles, doubles, encode):
    """Stops unless Python's codec differs from glibc exactly as the docstring says."""
    extra = {b: python_codec(bytes([b])) for b in range(256) if b not in singles}
    extra = {b: c for b, c in extra.items() if c is not None}
    expected = {0x80: "\x80", 0xA0: "\uf8f0", 0xFD: "\uf8f1", 0xFE: "\uf8f2", 0xFF: "\uf8f3"}
    if extra != expected:
        sys.exit(f"unexpected single-byte difference from Python: {extra}")
    for b, c in singles.items():
        if python_codec(bytes([b])) != c:
            sys.exit(f"byte {b:02X} decodes differently in Python")
    for lead in LEADS:
        for trail in TRAILS:
            if python_codec(bytes([lead, trail])) != doubles.get((lead, trail)):
                sys.exit(f"{lead:02X}{trail:02X} decodes differently in Python")
    moved = 0
    for c in set(doubles.values()) | set(singles.values()):
        ours = encode(c)
        theirs = c.encode("cp932")
        if ours != theirs:
            if not (theirs[0] in (0xED, 0xEE) and ours[0] in (0xFA, 0xFB, 0xFC)):
                sys.exit(f"U+{ord(c):04X}: glibc {ours.hex()}, Python {theirs.hex()}")
            moved += 1
    if moved != 373:
        sys.exit(f"expected 373 characters encoded differently by Python, found {moved}")


def build():
    singles, doubles, encode = read_glibc()
    compare_with_python(singles, doubles, encode)

    codes = {bytes([b]): c for b, c in singles.items()}
    codes.update({bytes(k): c for k, c in doubles.items()})
    for code, c in codes.items():
        if ord(c) > 0xFFFF:
            sys.exit(f"{code.hex()} is outside the BMP")
        for low, high, what in RESERVED:
            if low <= ord(c) <= high:
                sys.exit(f"{code.hex()} decodes into the {what}")
    # Every code whose character encodes elsewhere gets a stand-in.
    stand_ins = []
    for code in sorted(codes):
        c = codes[code]
        preferred = encode(c)
        if preferred is None or python_codec(preferred) != c:
            sys.exit(f"U+{ord(c):04X} does not encode to one of its own codes")
        if preferred != code:
            stand_in = chr(STAND_IN_BASE + len(stand_ins))
            stand_ins.append((code, stand_in, c))
            codes[code] = stand_in
    if any(len(code) == 1 for code, _, _ in stand_ins):
        sys.exit("a single byte has a duplicate; the decoder expects none")
    # One to one also means no stand-in is a character of the table.
    if len(set(codes.values())) != len(codes):
        sys.exit("the decoded table is not one to one")
    return singles, doubles, codes, stand_ins


def render(singles, codes, stand_ins):
    lines = [
        "// Generated by scripts/gen-cp932-table.py from glibc iconv \"CP932\"; do not edit.",
        "//",
        "// kCp932Single: the character of each byte that is one on its own, 0xFFFF for",
        "// the others (lead bytes, and 0x80, 0xA0, 0xFD-0xFF, which code page 932 leaves",
        "// undefined). Control bytes are listed as themselves.",
        "// kCp932Double: [lead][trail - 0x40], leads 0x81-0x9F then 0xE0-0xFC, trails",
        "// 0x40-0xFC; 0 where the pair is undefined. A code whose character has another,",
        f"// preferred code holds a private-use stand-in (U+{STAND_IN_BASE:04X} upwards, listed in",
        "// kCp932StandIns with the character it stands for).",
        "",
        "inline constexpr char16_t kCp932Single[256] = {",
    ]
    row = []
    for b in range(256):
        row.append(f"0x{ord(singles[b]):04X}" if b in singles else "0xFFFF")
        if len(row) == 16:
            lines.append("    " + ", ".join(row) + ",")
            row = []
    lines.append("};")
    lines.append("")
    lines.append(f"inline constexpr int kCp932LeadCount = {len(LEADS)};")
    lines.append(f"inline constexpr int kCp932TrailCount = {len(TRAILS)};")
    lines.append("inline constexpr char16_t kCp932Double[kCp932LeadCount][kCp932TrailCount] = {")
    for lead in LEADS:
        lines.append(f"    {{ // 0x{lead:02X}")
        cells = []
        for trail in TRAILS:
            c = codes.get(bytes([lead, trail]))
            cells.append(f"0x{ord(c):04X}" if c else "0")
        for i in range(0, len(cells), 12):
            lines.append("        " + ", ".join(cells[i:i + 12]) + ",")
        lines.append("    },")
    lines.append("};")
    lines.append("")
    lines.append(f"inline constexpr int kCp932StandInCount = {len(stand_ins)};")
    lines.append("// {code, stand-in, the character it stands for}")
    lines.append("inline constexpr Cp932StandIn kCp932StandIns[kCp932StandInCount] = {")
    for code, stand_in, c in stand_ins:
        lines.append(f"    {{0x{code.hex().upper()}, 0x{ord(stand_in):04X}, 0x{ord(c):04X}}},")
    lines.append("};")
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="compare with the committed table instead of writing it")
    parser.add_argument("--output", type=pathlib.Path, default=OUTPUT)
    args = parser.parse_args()

    singles, doubles, codes, stand_ins = build()
    text = render(singles, codes, stand_ins)
    if args.check:
        if args.output.read_text() != text:
            sys.exit(f"{args.output} is not what this script generates")
        print(f"{args.output}: up to date")
        return
    args.output.write_text(text)
    print(f"{args.output}: {len(singles)} single bytes, {len(doubles)} double bytes, "
          f"{len(stand_ins)} stand-ins (U+{STAND_IN_BASE:04X}-U+{STAND_IN_BASE + len(stand_ins) - 1:04X})")


if __name__ == "__main__":
    main()
