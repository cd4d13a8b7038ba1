#!/usr/bin/env python3
"""Writes the seed corpora of input_reports_fuzzer and monitor_messages_fuzzer
(fuzz/corpus/NAME): real cases in the targets' input forms (see the targets' sources). Usage:
  fuzz/monitor_fuzz_seeds.py [CORPUS_FOLDER]"""
import os
import struct
import sys

# Flags (both targets; the profile key is removed only by input_reports_fuzzer).
CONFIG, KEY_REMOVED, BUSY, NO_MICROPHONE = 1, 2, 4, 8
NO_MUTE_KEY = 15

KEY_REPORT, STATUS_REPORT = 7, 8


def report(report_id, data, size=None):
    """A report; SIZE larger than DATA leaves the rest to the target's zero fill."""
    return bytes([report_id]) + struct.pack("<H", len(data) if size is None else size) + data


def key(*indexes):
    mask = 0
    for index in indexes:
        mask |= 1 << index
    return report(KEY_REPORT, struct.pack("<I", mask)[:3] + bytes(4))


def status(sub_type, value):
    return report(STATUS_REPORT, bytes([sub_type, value]) + bytes(5))


def reports_seed(flags, mute_key, *reports):
    return bytes([flags, mute_key]) + b"".join(reports)


# Message kinds (monitor_messages_fuzzer.cpp).
NEARBY, KNOWN, ANY, QUIT = 0, 4, 6, 7
STORES, WIDE_W, WIDE_L = 8, 16, 32
KNOWN_MESSAGES = [7035, 7036, 7037, 7040, 7042, 7043, 7524, 7600, 7601, 0x0002, 0x0010, 0x0011,
                  0x0012, 0xC001]
# Stored types by index: none, string, expandable string, binary, DWORD, big-endian DWORD,
# multi-string, QWORD.
NONE, STRING, BINARY, DWORD, MULTI_STRING, QWORD = 0, 1, 3, 4, 6, 7


def message(number, w=0, l=0, stored=None, quit_message=False):
    """NUMBER 7000..7601 goes as a nearby number, other known ones by their index, the rest as
    any 32-bit number; W and L go as one byte when they fit."""
    kind, body = 0, b""
    if quit_message:
        kind = QUIT
    elif 7000 <= number <= 7601:
        kind, body = NEARBY, struct.pack("<H", number - 7000)
    elif number in KNOWN_MESSAGES:
        kind, body = KNOWN, bytes([KNOWN_MESSAGES.index(number)])
    else:
        kind, body = ANY, struct.pack("<I", number)
    if 0 <= w <= 255:
        body += bytes([w])
    else:
        kind |= WIDE_W
        body += struct.pack("<Q", w)
    if -128 <= l <= 127:
        body += struct.pack("<b", l)
    else:
        kind |= WIDE_L
        body += struct.pack("<q", l)
    if stored is not None:
        type_, data = stored
        kind |= STORES
        body += bytes([type_, len(data)]) + data
    return bytes([kind]) + body


def messages_seed(flags, mute_key, final_profile, *messages):
    return bytes([flags, mute_key, final_profile]) + b"".join(messages)


REPORT_SEEDS = {
    "mute_key_press_and_release": reports_seed(CONFIG, 5, key(5), key(), key(5)),
    "status_values": reports_seed(CONFIG, NO_MUTE_KEY, status(2, 0x2A), status(6, 0xFF),
                                  status(3, 1)),
    "profile_selections": reports_seed(CONFIG, 5, status(1, 3), status(1, 5), key(22), key(13)),
    "wrong_sizes_and_ids": reports_seed(
        CONFIG, 0, report(KEY_REPORT, b"\x01" + bytes(5)), report(KEY_REPORT, b"\x01" + bytes(7)),
        report(STATUS_REPORT, b""), report(STATUS_REPORT, b"\x01\x02", size=64),
        report(9, b"\x01" + bytes(6)), report(0, b"\x01\x02" + bytes(5))),
    "chords_and_unbound_keys": reports_seed(CONFIG, NO_MUTE_KEY, key(0, 1), key(15), key(0),
                                            key(20), key(23)),
    "profile_key_removed": reports_seed(CONFIG | KEY_REMOVED, 2, status(1, 2), key(2)),
    "busy_without_microphone": reports_seed(BUSY | NO_MICROPHONE, 3, key(3), status(1, 0)),
    "longest_report": reports_seed(CONFIG, 5, report(STATUS_REPORT, b"\x01\x01", size=0xFFFF),
                                   status(1, 1)),
}

MESSAGE_SEEDS = {
    "profile_changed_over_stored_values": messages_seed(
        CONFIG, 5, 2, message(7035, l=3, stored=(DWORD, struct.pack("<I", 9))),
        message(7035, l=0x187654321, stored=(STRING, "4".encode("utf-16-le") + b"\0\0")),
        message(7035, l=-1, stored=(QWORD, struct.pack("<Q", 1 << 40)))),
    "settings_changed_keeps_stored_values": messages_seed(
        CONFIG, 5, 1, message(7037, stored=(BINARY, bytes(range(200)))),
        message(7037, stored=(NONE, b"")), message(7037, w=1, l=1,
                                                   stored=(MULTI_STRING, b"a\0b\0\0\0\0\0"))),
    "key_index_messages": messages_seed(
        CONFIG, 3, 4, message(7524, w=3, l=1), message(7524, w=21), message(7524, w=25),
        message(7524, w=14), message(7524, w=26), message(7524, w=2**64 - 1)),
    "quit_and_look_alikes": messages_seed(
        CONFIG, 5, 0, message(7036), message(0x0010), message(0x0012), message(0x0002),
        message(0xC001), message(0, quit_message=True), message(7035, l=2)),
    "own_and_outgoing_numbers": messages_seed(
        CONFIG, 5, 3, message(7600), message(7601), message(7040, w=1), message(7042, w=5),
        message(7043), message(7000), message(7599, w=255, l=-128)),
    "no_config_program": messages_seed(0, 5, 1, message(7524, w=22), message(0, quit_message=True),
                                       message(7524, w=5)),
    "any_numbers": messages_seed(
        CONFIG | BUSY, 0, 2, message(0), message(0xFFFFFFFF, w=2**63, l=-(2**63)),
        message(0x0400 + 7524, w=21), message(7035 + 0x10000, l=4)),
    "no_microphone": messages_seed(NO_MICROPHONE, 0, 4, message(7524, w=0), message(7601),
                                   message(7600)),
}


def write(folder, seeds):
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


def main():
    corpus = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "corpus")
    write(os.path.join(corpus, "input_reports_fuzzer"), REPORT_SEEDS)
    write(os.path.join(corpus, "monitor_messages_fuzzer"), MESSAGE_SEEDS)


if __name__ == "__main__":
    main()
