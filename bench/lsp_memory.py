#!/usr/bin/env python3
"""The editor server's memory after many edits: runs `scenario-builder lsp`
on the template `new` writes, sends EDITS changes of its train (each
waiting for that version's diagnostics, so that every one is compiled) and
prints the server's resident and peak memory from /proc.
  bench/lsp_memory.py PROGRAM [EDITS]"""
import json
import os
import subprocess
import sys
import tempfile


def frame(message):
    body = json.dumps(message).encode()
    return b"Content-Length: %d\r\n\r\n" % len(body) + body


def read(stream):
    length = None
    while True:
        line = stream.readline()
        if not line:
            return None
        if line.lower().startswith(b"content-length:"):
            length = int(line.split(b":")[1])
        if line in (b"\r\n", b"\n"):
            break
    return json.loads(stream.read(length))


def kib(pid, field):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    return -1


def main():
    program = sys.argv[1]
    edits = int(sys.argv[2]) if len(sys.argv) > 2 else 5000
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([program, "new", "Nuova", "1", "--dir", folder], check=True,
                       stdout=subprocess.DEVNULL)
        train_path = os.path.join(folder, "Nuova_1-.txt")
        train = open(train_path, encoding="cp1252").read()
        uri = "file://" + train_path
        server = subprocess.Popen([program, "lsp"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        send = lambda m: (server.stdin.write(frame(m)), server.stdin.flush())
        send({"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {"capabilities": {}}})
        while read(server.stdout).get("id") != 1:
            pass
        send({"jsonrpc": "2.0", "method": "initialized", "params": {}})
        send({"jsonrpc": "2.0", "method": "textDocument/didOpen",
              "params": {"textDocument": {"uri": uri, "version": 1, "text": train}}})
        started = kib(server.pid, "VmRSS")
        # Each edit adds or takes away a record of no kind: its diagnostics change.
        edited = train.replace("[generale]\n", "[generale]\nsconosciuto,    1\n", 1)
        for version in range(2, edits + 2):
            text = edited if version % 2 == 0 else train
            send({"jsonrpc": "2.0", "method": "textDocument/didChange",
                  "params": {"textDocument": {"uri": uri, "version": version},
                             "contentChanges": [{"text": text}]}})
            while True:
                m = read(server.stdout)
                if m is None:
                    sys.exit("the server ended")
                p = m.get("params", {})
                if p.get("uri") == uri and p.get("version") == version:
                    break
        rss, peak = kib(server.pid, "VmRSS"), kib(server.pid, "VmHWM")
        send({"jsonrpc": "2.0", "id": 2, "method": "shutdown"})
        send({"jsonrpc": "2.0", "method": "exit"})
        server.stdin.close()
        server.wait()
    print(f"  after opening: {started / 1024:.1f} MB; after {edits} edits: "
          f"{rss / 1024:.1f} MB resident, {peak / 1024:.1f} MB at most")


main()
