#!/usr/bin/env python3
"""Writes the seed corpus of profile_records_fuzzer (fuzz/corpus/profile_records_fuzzer): real
cases in the target's input form (see profile_records_fuzzer.cpp). Usage:
  fuzz/profile_records_fuzz_seeds.py [FOLDER]"""
import os
import struct
import sys

# Flags.
DOCUMENTS, PROFILE_FOLDER, RELOAD, SAVE_REGISTRY, SAVE_FILE, LOAD_MACRO = 1, 2, 4, 8, 16, 32
ALL = DOCUMENTS | PROFILE_FOLDER | RELOAD | SAVE_REGISTRY | SAVE_FILE | LOAD_MACRO
# Slots: group, all settings, five profiles, macro, five files.
GROUP, ALL_SETTINGS, GAME1, MACRO, FILE1 = 0, 1, 2, 7, 8
SLOTS = 13
# Type selectors (bits 2..4 of a selector).
BINARY, STRING, DWORD = 0, 4, 5

# Record layout (records.h).
GROUP_ENTRIES = 12
ENTRY_BYTES = 6190
ENTRY_FILE_NAME = 4098
ENTRY_STORAGE_MODE = 6188
ALL_CURRENT_GAME = 30950
MACRO_INDEX = 778
PROFILE_LED_R = 872 + 85454


def absent():
    return b"\x00"


def raw(data, type_=BINARY):
    return bytes([1 | type_ << 2]) + struct.pack("<H", len(data)) + data


def patched(patches=(), delta=0, type_=BINARY):
    out = bytes([2 | type_ << 2]) + struct.pack("<bB", delta, len(patches))
    for offset, data in patches:
        out += struct.pack("<I", offset)[:3] + bytes([len(data)]) + data
    return out


def seed(flags, slots):
    values = [absent()] * SLOTS
    for slot, value in slots.items():
        values[slot] = value
    return bytes([flags]) + b"".join(values)


def all_defaults(changes=None):
    slots = {GROUP: patched(), ALL_SETTINGS: patched()}
    for game in range(5):
        slots[GAME1 + game] = patched()
    slots.update(changes or {})
    return slots


def entry(index, field):
    return GROUP_ENTRIES + index * ENTRY_BYTES + field


SEEDS = {
    "first_start": seed(ALL, {}),
    "defaults_stored": seed(ALL, all_defaults()),
    "profile_short_by_one": seed(ALL, all_defaults({GAME1 + 4: patched(delta=-1)})),
    "wrong_types": seed(ALL, all_defaults({
        GROUP: patched(type_=STRING),
        GAME1: raw(b"\x01\x00\x00\x00", DWORD),
    })),
    "empty_group": seed(ALL, {GROUP: raw(b"")}),
    "bad_indexes": seed(ALL, all_defaults({
        GROUP: patched([(0, b"\x07\x00\x00\x00\x09\x00\x00\x00\xff\xff\xff\xff")]),
        ALL_SETTINGS: patched([(ALL_CURRENT_GAME, b"\x0b\x00")]),
    })),
    "file_profiles": seed(ALL, {
        GROUP: patched([(entry(i, ENTRY_STORAGE_MODE), b"\x01") for i in range(4)] +
                       [(entry(4, ENTRY_STORAGE_MODE), b"\x07")]),
        FILE1: patched(),
        FILE1 + 1: raw(bytes([0x33]) * 50),
        FILE1 + 3: patched([(PROFILE_LED_R, b"\x0a")], delta=5),
    }),
    "name_without_end": seed(ALL, all_defaults({
        GROUP: patched([(entry(0, ENTRY_FILE_NAME), "N".encode("utf-16-le") * 21)]),
    })),
    "macro_recorded": seed(LOAD_MACRO | DOCUMENTS, {
        MACRO: patched([(MACRO_INDEX, b"\x0c\x00")]),
    }),
    "no_documents": seed(RELOAD | SAVE_REGISTRY, all_defaults({GAME1 + 2: raw(b"\x77" * 100)})),
}


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "corpus", "profile_records_fuzzer")
    os.makedirs(folder, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
