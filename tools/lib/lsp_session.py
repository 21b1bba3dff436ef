#!/usr/bin/env python3
"""Drives `scenario-builder lsp` through an editor's session on descriptions
on disk, and prints what it publishes with the folder's URI replaced by
<folder>, one JSON value per line, so that two programs' sessions can be
compared byte for byte.

Usage: lsp_session.py FOLDER FOLDER_URI LINE TRAIN -- COMMAND...

FOLDER is where the descriptions are on this machine; FOLDER_URI is the
folder as the program's editor would name it (for the Windows program under
Wine, "file:///z%3A/tmp/..." as VS Code writes it). The session:
  1. opens only TRAIN;  2. closes it;  3. opens only LINE;
each step ended by a request whose answer comes after everything the step
published, since the server answers in order.
"""
import json
import os
import select
import subprocess
import sys
import time

TIMEOUT_SECONDS = 60


class Session:
    def __init__(self, command):
        self.process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.buffer = b""
        self.next_id = 1

    def send(self, message):
        body = json.dumps(dict(jsonrpc="2.0", **message)).encode()
        self.process.stdin.write(b"Content-Length: %d\r\n\r\n" % len(body) + body)
        self.process.stdin.flush()

    def request(self, method, params):
        """Sends a request; returns its answer and the notifications before it."""
        ident = self.next_id
        self.next_id += 1
        self.send({"id": ident, "method": method, "params": params})
        before = []
        while True:
            message = self.receive()
            if message.get("id") == ident and "method" not in message:
                return message, before
            before.append(message)

    def receive(self):
        deadline = time.monotonic() + TIMEOUT_SECONDS
        while True:
            header_end = self.buffer.find(b"\r\n\r\n")
            if header_end >= 0:
                length = None
                for line in self.buffer[:header_end].split(b"\r\n"):
                    name, _, value = line.partition(b":")
                    if name.strip().lower() == b"content-length":
                        length = int(value)
                start = header_end + 4
                if length is not None and len(self.buffer) >= start + length:
                    body = self.buffer[start:start + length]
                    self.buffer = self.buffer[start + length:]
                    return json.loads(body)
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.process.stdout], [], [], left)[0]:
                raise SystemExit("lsp_session: no answer within %d s" % TIMEOUT_SECONDS)
            chunk = os.read(self.process.stdout.fileno(), 65536)
            if not chunk:
                raise SystemExit("lsp_session: the server ended its output")
            self.buffer += chunk


def main():
    if "--" not in sys.argv or sys.argv.index("--") != 5:
        raise SystemExit(__doc__)
    folder, folder_uri, line, train = sys.argv[1:5]
    command = sys.argv[6:]
    session = Session(command)

    def text_of(name):
        with open(os.path.join(folder, name), "rb") as f:
            return f.read().decode("cp1252")

    def uri_of(name):
        return folder_uri + "/" + name

    def show(step, messages):
        for message in messages:
            text = json.dumps({"step": step, **message}, sort_keys=True, ensure_ascii=False)
            print(text.replace(folder_uri, "<folder>"))

    def barrier(name):
        answer, before = session.request("textDocument/documentSymbol",
                                         {"textDocument": {"uri": uri_of(name)}})
        return before

    _, before = session.request("initialize", {"processId": None, "rootUri": folder_uri,
                                               "capabilities": {}})
    session.send({"method": "initialized", "params": {}})

    def open_document(name, language):
        session.send({"method": "textDocument/didOpen", "params": {"textDocument": {
            "uri": uri_of(name), "languageId": language, "version": 1, "text": text_of(name)}}})

    open_document(train, "sb-train")
    show("open the train alone", barrier(train))
    session.send({"method": "textDocument/didClose",
                  "params": {"textDocument": {"uri": uri_of(train)}}})
    show("close it", barrier(train))
    open_document(line, "sb-line")
    show("open the line alone", barrier(line))

    session.request("shutdown", None)
    session.send({"method": "exit"})
    session.process.stdin.close()
    status = session.process.wait(timeout=TIMEOUT_SECONDS)
    print(json.dumps({"exit": status}))


if __name__ == "__main__":
    main()
