#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz harnesses into corpus/<input>/.

The seeds are well-formed inputs the harnesses start from: the store fixtures of the
tests, descriptor tables laid out as the controller's firmware gives them, register and
vendor answers as the protocol words them, simulator state files and start-up images.
Run from this folder; the result is committed. Inputs that once broke a harness go to
regression/<input>/ instead, by hand, and are never regenerated.
"""

import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURES = os.path.join(HERE, "..", "tests", "fixtures")


def crc16(data):
    crc = 0xFFFF
    for b in data:
        crc ^= b
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def fnv1a(data):
    h = 2166136261
    for b in data:
        h = ((h ^ b) * 16777619) & 0xFFFFFFFF
    return h


def chunk(data):
    return struct.pack("<H", len(data)) + bytes(data)


def corpus(name, seeds):
    folder = os.path.join(HERE, "corpus", name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for seed_name, data in seeds.items():
        with open(os.path.join(folder, seed_name), "wb") as f:
            f.write(data)


def fixture(name):
    with open(os.path.join(FIXTURES, name), "rb") as f:
        return f.read()


def fixtures(prefix):
    return {n: fixture(n) for n in sorted(os.listdir(FIXTURES)) if n.startswith(prefix)}


GBK_DOC = (b"[AllCommandName]\r\nKeyName0=InitDone\r\nKeyName1=\xb5\xe7\xbb\xfa\xd7\xe9\r\n"
           b"TotalNums=2\r\n; comment = not a key\r\n[Language]\r\n  Language =  eng \n"
           b"[MotorState]\rZ0Gear=12abc\r\n[Broken\r\nno equals sign\r\n\x81\x30\xfe\r\n")


def ini_seeds():
    seeds = fixtures("")
    seeds = {n: d for n, d in seeds.items() if n.endswith(".cfg")}
    seeds["gbk_mixed_line_ends.ini"] = GBK_DOC
    seeds["empty"] = b""
    return seeds


def profile_seeds():
    def op(kind, section, key, rest=b""):
        return bytes([kind]) + chunk(section) + chunk(key) + rest

    doc = chunk(GBK_DOC)
    return {
        "write_read": doc + op(2, b"DefaultPath", b"Path", chunk(b' "C:\\x\\a b.cfg" '))
        + op(0, b"defaultpath", b"PATH", chunk(b"none")),
        "integers": doc + op(3, b"TotalCmdNumbers", b"CmdNums", struct.pack("<I", 70000))
        + op(1, b"TotalCmdNumbers", b"cmdnums", struct.pack("<I", 5)),
        "long_value": doc + op(2, b"A", b"B", chunk(b"x" * 300))
        + op(2, b"\xb5\xe7\xbb\xfa", b"k", chunk("值".encode() * 200)),
    }


# ---- USB descriptors, as the controller's firmware lays them out ----

def device_descriptor(bcd_usb, max_packet0):
    return bytes([18, 1, bcd_usb & 0xFF, bcd_usb >> 8, 0xFF, 1, 2, max_packet0,
                  0x17, 0x5A, 0xF1, 0x00, 0x01, 0x02, 1, 2, 3, 1])


def config_descriptor(super_speed, interfaces=1):
    body = b""
    for number in range(interfaces):
        body += bytes([9, 4, number, 0, 2, 0xFF, 0, 0, 0])
        for address in (0x02 + 2 * number, 0x82 + 2 * number):
            body += bytes([7, 5, address, 2, 0x00, 0x04 if super_speed else 0x02, 0])
            if super_speed:
                body += bytes([6, 0x30, 15, 0, 0, 0])
    total = 9 + len(body)
    return bytes([9, 2, total & 0xFF, total >> 8, interfaces, 1, 0, 0x80, 50]) + body


def bos_descriptor():
    usb20 = bytes([7, 0x10, 2, 0x1E, 0, 0, 0])
    ss = bytes([10, 0x10, 3, 0, 0x0E, 0, 1, 10, 0xF4, 0x01])
    total = 5 + len(usb20) + len(ss)
    return bytes([5, 0x0F, total & 0xFF, total >> 8, 2]) + usb20 + ss


def string_descriptor(text):
    payload = text.encode("utf-16-le")
    return bytes([2 + len(payload), 3]) + payload


def descriptor_seed(super_speed, flags=0, interfaces=1):
    out = bytes([flags])
    out += chunk(device_descriptor(0x0300 if super_speed else 0x0210, 9 if super_speed else 64))
    out += chunk(config_descriptor(super_speed, interfaces))
    if flags & 1:
        out += chunk(config_descriptor(super_speed, 2))
    out += chunk(bos_descriptor() if super_speed else b"")
    out += chunk(bytes([4, 3, 0x09, 0x04]))
    for text in ("Velmor", "Controller", "0001"):
        out += chunk(string_descriptor(text))
    out += bytes([0, 4])
    return out


def descriptor_seeds():
    return {
        "usb3_controller": descriptor_seed(True, flags=2),
        "usb2_controller": descriptor_seed(False),
        "two_configurations": descriptor_seed(True, flags=3),
        "two_interfaces": descriptor_seed(True, flags=2, interfaces=2),
        "truncated_config": descriptor_seed(True, flags=2 | 4) + bytes([20]),
    }


# ---- register words and vendor replies ----

def answer_words(start, values, tag=0x81):
    out = b""
    for i, v in enumerate(values):
        a = start + i
        out += bytes([v, a & 0xFF, (a >> 8) & 0xFF, tag])
    return out


def script(data=b"", kind=0x01):
    return bytes([kind]) + chunk(data)


def register_seeds():
    def read(op, start, count, scripts):
        return bytes([op]) + struct.pack("<HH", start, count - 1) + bytes([len(scripts) - 1]) \
            + b"".join(scripts)

    good = read(0, 0x4000, 4, [script(), script(answer_words(0x4000, [1, 2, 3, 4]))])
    long_read = read(1, 0x4100, 300, [script(), script(answer_words(0x4100, range(256))),
                                      script(), script(answer_words(0x4200, range(44)))])
    bad_tag = read(0, 0x40F0, 2, [script(), script(answer_words(0x40F0, [9, 9], tag=0x80)),
                                  script(), script(answer_words(0x40F0, [7, 8]))])
    refused = read(1, 0x4008, 1, [script(), script(kind=0x00), script(kind=0x00),
                                  script(answer_words(0x4008, [0x10]))])
    write = bytes([2]) + struct.pack("<HH", 0x4000, 7) + bytes([0]) + script() + bytes(range(8))
    return {"read": good, "read_two_chunks": long_read, "wrong_tag_then_good": bad_tag,
            "refused_then_retry": refused, "write": write + good}


def vendor_reply(values):
    data = bytes(values)
    return bytes([len(data) + 1]) + data + bytes([sum(data) & 0xFF])


def vendor_seeds():
    def step(op, length, room, scripts, extra=b""):
        return bytes([op, length, room, len(scripts) - 1]) + b"".join(scripts) + extra

    reply = vendor_reply(range(6, 21))
    return {
        "checked_read": step(0, 16, 16, [script(reply)]),
        "short_then_good": step(0, 16, 16, [script(reply[:5]), script(reply)]),
        "checked_write": step(1, 16, 0, [script()], bytes(range(16))),
        "firmware_id": step(2, 0, 0, [script(b"FW01" * 4)]),
        "plain_transfer": step(3, 20, 0, [script(b"\x01\x02")], b"\xed\x01\x00\x1e\x00"),
    }


def panel_seeds():
    writes_and_replies = b""
    for i in range(4):
        echo = bytes([0x55, 0xAA, 0x10 + i]) + bytes(12)
        writes_and_replies += script() + script(vendor_reply(echo))
    return {"download": bytes([0]) + writes_and_replies,
            "init_skip": bytes([2]) + script() + script() + script(answer_words(0x4008, [0]))
            + script() + script() + script() + script(answer_words(0x4008, [0x10]))
            + script() + script() + script(vendor_reply(bytes(15)))}


# ---- the simulator's state file ----

def state_file(registers, pages):
    out = b"VELMSIM1" + struct.pack("<IIII", 1, 65536, 4096, len(pages))
    out += bytes(registers)
    for number, page in pages:
        out += struct.pack("<I", number) + bytes(page)
    return out + struct.pack("<I", fnv1a(out))


def sim_state_seeds():
    registers = bytes((i * 7) & 0xFF for i in range(65536))
    page = bytes((i * 3) & 0xFF for i in range(4096))
    compact_header = struct.pack("<IIII", 1, 65536, 4096, 2)
    compact_pages = struct.pack("<I", 0x1B0) + page + struct.pack("<I", 7) + page
    return {
        "registers_only": bytes([0]) + state_file(registers, []),
        "two_pages": bytes([0]) + state_file(bytes(65536), [(0x1B0, page), (3, page)]),
        "compact_two_pages": bytes([3]) + compact_header + struct.pack("<H", 16)
        + bytes(range(16)) + compact_pages,
        "compact_page_twice": bytes([3]) + compact_header + struct.pack("<H", 0)
        + struct.pack("<I", 5) + page + struct.pack("<I", 5) + page,
    }


# ---- the start-up image ----

def image(records):
    block = bytearray(4096)
    for i, (code, address, data) in enumerate(records):
        block[4 * i:4 * i + 4] = bytes([code, address >> 8, address & 0xFF, data])
    crc = crc16(block[:0xFFA])
    block[0xFFA] = crc >> 8
    block[0xFFB] = crc & 0xFF
    return bytes(block)


def start_image_seeds():
    config = [(0x10, 0x4009, 0x81), (0x10, 0x400A, 0x22), (0x10, 0x4109, 0x03),
              (0x10, 0x410A, 0x40), (0x10, 0x410B, 0x02), (0x10, 0x4071, 5)]
    # One X move on the main board: control, table length, distance and divisor bytes.
    motion = [(0x10, 0x400B, 0x09), (0x10, 0x4050, 0x10), (0x10, 0x4051, 0x00),
              (0x10, 0x4054, 0x00), (0x10, 0x4055, 0x10), (0x10, 0x4056, 0x00),
              (0x10, 0x405C, 0x34), (0x10, 0x405D, 0x12), (0x10, 0x405E, 0x00),
              (0x10, 0x405F, 0x00)]
    end = [(0x31, 0xFFFF, 0)] * 3
    multiply = struct.pack("<I", 1)
    return {
        "configuration": bytes([0]) + multiply + image(config + end),
        "with_motion": bytes([0]) + multiply + image(config + motion + end),
        "records_padded": bytes([1]) + multiply + image(config + motion)[:200],
        "blank": bytes([5]) + multiply,
        "bad_crc": bytes([0]) + multiply + image(config)[:4090] + b"\x12\x34\x00\x00\x00\x00",
        "short": bytes([0]) + multiply + image(config)[:100],
    }


def command_text_seeds():
    def seed(address, reg_name, data):
        return chunk(address) + chunk(reg_name) + chunk(data)

    return {
        "prefixed": seed(b"0x4009", b"MB_CTRL", b"0x1234"),
        "plain": seed(b"40d0", b"FLASH[7:0]", b"a5"),
        "odd_digits": seed(b"X4100", b"HB", b"123"),
        "wrapping": seed(b"ffff", b"R", b"0102030405"),
        "junk": seed(b"4g0z", b"\xb5\xe7", b"0xzz9"),
    }


def recording_seeds():
    """The harness's own lines kept whole (mode 1, every line kept), and the
    regression recordings of the tests as they are (mode 0)."""
    seeds = {"own_lines": bytes([1] + [0] * 6)}
    replays = os.path.join(HERE, "..", "tests", "replays")
    for name in sorted(os.listdir(replays)):
        recording = os.path.join(replays, name, "recording.jsonl")
        if os.path.isfile(recording) and os.path.getsize(recording) < 100000:
            with open(recording, "rb") as f:
                seeds[name] = bytes([0]) + f.read()
    return seeds


def main():
    corpus("ini_text", ini_seeds())
    corpus("profile_access", profile_seeds())
    corpus("config_document", fixtures("doc_"))
    corpus("cleaning_file", fixtures("clean_"))
    corpus("descriptors", descriptor_seeds())
    corpus("register_answers", register_seeds())
    corpus("vendor_replies", vendor_seeds())
    corpus("panel_replies", panel_seeds())
    corpus("sim_state", sim_state_seeds())
    corpus("start_image", start_image_seeds())
    corpus("command_texts", command_text_seeds())
    corpus("recording", recording_seeds())
    for name in os.listdir(os.path.join(HERE, "corpus")):
        os.makedirs(os.path.join(HERE, "regression", name), exist_ok=True)
        keep = os.path.join(HERE, "regression", name, ".gitkeep")
        if not os.listdir(os.path.join(HERE, "regression", name)):
            open(keep, "wb").close()


if __name__ == "__main__":
    main()
