#!/usr/bin/env python3
"""Packs readable definitions markup into a reference file (every byte XOR 0x97).
The same operation unpacks. Usage: scramble.py IN OUT"""
import sys

KEY = 0x97

def main():
    if len(sys.argv) != 3:
        sys.stderr.write("usage: scramble.py IN OUT\n")
        return 2
    with open(sys.argv[1], "rb") as f:
        data = f.read()
    with open(sys.argv[2], "wb") as f:
        f.write(bytes(b ^ KEY for b in data))
    return 0

if __name__ == "__main__":
    sys.exit(main())
