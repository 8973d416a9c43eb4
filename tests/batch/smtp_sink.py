"""A tiny SMTP server for the batch program's mail tests.

Usage: smtp_sink.py OUTPUT_DIR
Listens on a free port of 127.0.0.1, prints "PORT <n>" once it accepts connections, and
writes every message it receives to OUTPUT_DIR/mail<k>.json (envelope sender, envelope
recipients, the raw message as received). Ends when its standard input closes.
"""

import base64
import json
import os
import socket
import sys

from aiosmtpd.controller import Controller


class Sink:
    def __init__(self, out_dir):
        self.out_dir = out_dir
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        raw = envelope.original_content or envelope.content
        if isinstance(raw, str):
            raw = raw.encode("utf-8")
        record = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": list(envelope.rcpt_tos),
            "data": base64.b64encode(raw).decode("ascii"),
        }
        path = os.path.join(self.out_dir, "mail%d.json" % self.count)
        with open(path + ".tmp", "w", encoding="utf-8") as f:
            json.dump(record, f)
        os.replace(path + ".tmp", path)
        return "250 Message accepted"


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    out_dir = sys.argv[1]
    port = free_port()
    controller = Controller(Sink(out_dir), hostname="127.0.0.1", port=port)
    controller.start()
    print("PORT %d" % port, flush=True)
    try:
        sys.stdin.read()
    finally:
        controller.stop()


if __name__ == "__main__":
    main()
