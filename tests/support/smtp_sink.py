"""A real SMTP server for the delivery tests: Debian's aiosmtpd on loopback.

Usage: smtp_sink.py <folder>. Prints "port <n>" once it accepts connections, stores mail n as
<folder>/mail<n>.eml (the data as received, transparency dots removed) with <folder>/mail<n>.env
(sender on the first line, one recipient per further line) and <folder>/mail<n>.json (what a
strict mail parser reads of it), and ends when stdin closes.
"""
import email.policy
import json
import os
import socket
import sys

from aiosmtpd.controller import Controller


class Store:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.folder, "mail%d" % self.count)
        with open(base + ".env.tmp", "w", encoding="utf-8") as env:
            env.write("\n".join([envelope.mail_from] + list(envelope.rcpt_tos)) + "\n")
        with open(base + ".eml.tmp", "wb") as eml:
            eml.write(envelope.original_content)
        with open(base + ".json.tmp", "w", encoding="utf-8") as parsed:
            json.dump(parse(envelope.original_content), parsed)
        # The .eml appears last: a reader that sees it finds the other files complete.
        os.rename(base + ".env.tmp", base + ".env")
        os.rename(base + ".json.tmp", base + ".json")
        os.rename(base + ".eml.tmp", base + ".eml")
        return "250 Message accepted for delivery"


def parse(data):
    message = email.message_from_bytes(data, policy=email.policy.default)
    sender = message["From"]
    return {"from": [[a.display_name, a.addr_spec] for a in sender.addresses],
            "transferEncoding": str(message["Content-Transfer-Encoding"]),
            "sevenBit": data.isascii(), "text": message.get_content()}


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    store = Store(sys.argv[1])
    for _ in range(20):
        controller = Controller(store, hostname="127.0.0.1", port=free_port())
        try:
            controller.start()
            break
        except (OSError, RuntimeError):
            continue
    else:
        sys.exit("no free port for the SMTP server")
    print("port %d" % controller.port, flush=True)
    sys.stdin.read()
    controller.stop()


if __name__ == "__main__":
    main()
