#!/usr/bin/env python3
# Prints each argument as a C++ string literal of its GBK bytes, for the
# program's own texts (code page 936), with the text itself as a comment.
import sys
def lit(s):
    b = s.encode('gbk')
    out = '"'
    prev_hex = False
    for c in b:
        if c >= 0x80 or c < 0x20 or c in (0x22, 0x5c):
            if c == 0x0d: out += '\\r'; prev_hex=False; continue
            if c == 0x0a: out += '\\n'; prev_hex=False; continue
            if c == 0x5c and not prev_hex: out += '\\\\'; continue
            out += '\\x%02X' % c; prev_hex = True
        else:
            ch = chr(c)
            if prev_hex and ch in '0123456789abcdefABCDEF':
                out += '" "'
            out += ch; prev_hex = False
    return out + '"'
for a in sys.argv[1:]:
    print(lit(a), ' // ' + a)
