#!/usr/bin/env python3
"""Local setup service for tests, the demo and benches.

Listens on 127.0.0.1 on a port chosen at start and writes that port to
--port-file. Serves:
  POST /api/setup/install   package list for the reported machine (catalog.json)
  POST /api/statistics      stores every report in SQLite (fields and raw body)
  GET  /packages/<file>     package files, with Range/206, 416, ETag and If-Range
  GET  /proxy.pac           a proxy configuration script naming the local proxy
  /control/...              fault switches and read-back for tests (never recorded)

A second listener, the local proxy, forwards plain HTTP requests (absolute or
origin form) to where they are addressed; it writes its port to
<state dir>/proxy_port and can ask for credentials (407).

Package files are built at start from the sample package program with a
payload appended (see tools/sample-package/main.cpp for the trailer layout).
Standard library only.
"""
import argparse
import email.utils
import hashlib
import http.client
import http.server
import json
import os
import re
import socket
import sqlite3
import struct
import sys
import threading
import time
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
TRAILER_MAGIC = b"KSPKG001"
TIMED_TRAILER_MAGIC = b"KSPKG002"  # the trailer also holds how long the setup takes
RESPONSE_LIMIT = 163838  # the largest answer the installer's buffer accepts
INSTALL_FIELDS = ["setup_name", "setup_type", "win_ver", "office_ver", "netf_ver", "local_ver"]
STATISTICS_FIELDS = ["ver", "type", "rdtype", "remark", "view_mode"]


def build_package(sample, payload):
    """The sample program followed by its payload trailer. "pad_kib" adds
    that many KiB of zeros to the content (a package of a chosen size);
    "duration_ms" makes a setup that takes that long."""
    name = payload.get("file", "payload.txt").encode("utf-8")
    content = payload.get("text", "").encode("utf-8") + b"\0" * (1024 * int(payload.get("pad_kib", 0)))
    exit_code = int(payload.get("exit", 0))
    trailer = content + name + struct.pack("<IIi", len(content), len(name), exit_code)
    duration = int(payload.get("duration_ms", 0))
    if duration:
        return sample + trailer + struct.pack("<I", duration) + TIMED_TRAILER_MAGIC
    return sample + trailer + TRAILER_MAGIC


def write_big_package(path, sample, mib):
    """A package of about mib MiB: the sample program and a large random payload."""
    content_len = mib * 1024 * 1024 - len(sample) - 64
    name = b"big.bin"
    digest = hashlib.md5()
    with open(path, "wb") as out:
        for part in (sample,):
            out.write(part)
            digest.update(part)
        left = content_len
        block = os.urandom(1 << 20)
        while left > 0:
            piece = block[: min(left, len(block))]
            out.write(piece)
            digest.update(piece)
            left -= len(piece)
        tail = name + struct.pack("<IIi", content_len, len(name), 0) + TRAILER_MAGIC
        out.write(tail)
        digest.update(tail)
    return digest.hexdigest()


def split_form(body, names):
    """Splits an unencoded form body. Values may hold '&' (nothing is
    percent-encoded), so a field starts only at '&' followed by a known name."""
    text = body.decode("utf-8", errors="replace")
    if not text:
        return {}
    pattern = "&(?=(?:" + "|".join(re.escape(n) for n in names) + ")=)" if names else "&"
    fields = {}
    for part in re.split(pattern, text):
        name, sep, value = part.partition("=")
        fields[name] = value if sep else ""
    return fields


class Recorder:
    """Wraps the request stream and keeps every byte read from it."""

    def __init__(self, stream):
        self.stream = stream
        self.data = bytearray()

    def readline(self, *args):
        line = self.stream.readline(*args)
        self.data += line
        return line

    def read(self, *args):
        chunk = self.stream.read(*args)
        self.data += chunk
        return chunk

    def __getattr__(self, name):
        return getattr(self.stream, name)


class Service:
    def __init__(self, args):
        self.args = args
        self.lock = threading.Lock()
        self.faults = {}
        self.install_answer = None
        self.last_request = b""
        self.journal = []        # non-control requests, oldest first
        self.proxy_journal = []  # requests that came through the local proxy
        self.counters = {}       # package responses, cuts and error answers since the last reset
        self.proxy_port = 0
        self.wake = threading.Event()  # set on reset: ends stalls early
        os.makedirs(args.state_dir, exist_ok=True)
        self.files_dir = os.path.join(args.state_dir, "packages")
        os.makedirs(self.files_dir, exist_ok=True)
        self.db_path = os.path.join(args.state_dir, "statistics.sqlite")
        with sqlite3.connect(self.db_path) as db:
            db.execute(
                "CREATE TABLE IF NOT EXISTS reports (id INTEGER PRIMARY KEY AUTOINCREMENT, received REAL,"
                " ver TEXT, type TEXT, rdtype TEXT, remark TEXT, view_mode TEXT, fields TEXT, raw BLOB)"
            )
        with open(args.catalog, encoding="utf-8") as f:
            self.catalog = json.load(f)
        self.files = {}  # file name -> (path, size, md5)
        self.revised = {}  # file name -> (path, size, md5) of its revised build, made on first use
        self.build_files()
        for spec in args.fault or []:
            name, _, value = spec.partition("=")
            self.faults[name] = value

    def build_files(self):
        with open(self.args.sample_exe, "rb") as f:
            sample = f.read()
        entries = list(self.catalog.get("packages", [])) + list(self.catalog.get("extra_files", []))
        for entry in entries:
            data = build_package(sample, entry.get("payload", {}))
            path = os.path.join(self.files_dir, entry["file"])
            with open(path, "wb") as out:
                out.write(data)
            self.files[entry["file"]] = (path, len(data), hashlib.md5(data).hexdigest())
        if self.args.big_package_mib:
            name = "Big_%dMiB.exe" % self.args.big_package_mib
            path = os.path.join(self.files_dir, name)
            md5 = write_big_package(path, sample, self.args.big_package_mib)
            self.files[name] = (path, os.path.getsize(path), md5)

    def fault(self, name):
        with self.lock:
            value = self.faults.get(name, "")
        return None if value in ("", "0") else value

    def count(self, name):
        """Adds one to a counter and returns its new value."""
        with self.lock:
            self.counters[name] = self.counters.get(name, 0) + 1
            return self.counters[name]

    def served(self, name):
        """(path, size, md5) of what goes out under a file name: its revised
        build while the revise fault names it. None for an unknown name."""
        if name not in self.files:
            return None
        if self.fault("revise") != name:
            return self.files[name]
        with self.lock:
            if name not in self.revised:
                entry = next(e for e in self.catalog.get("packages", []) + self.catalog.get("extra_files", [])
                             if e["file"] == name)
                payload = dict(entry.get("payload", {}))
                payload["text"] = payload.get("text", "") + "revised\r\n"
                with open(self.args.sample_exe, "rb") as f:
                    data = build_package(f.read(), payload)
                folder = os.path.join(self.files_dir, "revised")
                os.makedirs(folder, exist_ok=True)
                path = os.path.join(folder, name)
                with open(path, "wb") as out:
                    out.write(data)
                self.revised[name] = (path, len(data), hashlib.md5(data).hexdigest())
            return self.revised[name]

    def package_list(self, fields, base):
        """The catalog entries whose conditions hold for the reported fields."""
        result = []
        for entry in self.catalog.get("packages", []):
            when = entry.get("when", {})
            unless = entry.get("unless", {})
            if not all(re.search(rx, fields.get(k, "")) for k, rx in when.items()):
                continue
            if any(re.search(rx, fields.get(k, "")) for k, rx in unless.items()):
                continue
            file_name = entry["file"]
            served = (self.fault("serve_file") or "").split(":", 1)
            if len(served) == 2 and served[0] == entry["setup_name"] and served[1] in self.files:
                file_name = served[1]
            _, size, md5 = self.served(file_name)
            if self.fault("bad_md5") == entry["setup_name"]:
                md5 = hashlib.md5(md5.encode()).hexdigest()
            if self.fault("upper_md5"):
                md5 = md5.upper()
            result.append({
                "setup_name": entry["setup_name"],
                "name": entry["name"],
                "type": str(entry["type"]),
                "size": str(size),
                "url": base + "/packages/" + urllib.parse.quote(file_name),
                "description": entry.get("description", ""),
                "cmd": entry.get("cmd", ""),
                "version": entry.get("version", ""),
                "sort": str(entry.get("sort", "0")),
                "md5": md5,
            })
        return result

    def store_report(self, fields, raw):
        with self.lock, sqlite3.connect(self.db_path) as db:
            db.execute(
                "INSERT INTO reports (received, ver, type, rdtype, remark, view_mode, fields, raw)"
                " VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
                (time.time(), fields.get("ver"), fields.get("type"), fields.get("rdtype"), fields.get("remark"),
                 fields.get("view_mode"), json.dumps(fields, ensure_ascii=False), raw),
            )

    def last_reports(self, count):
        with self.lock, sqlite3.connect(self.db_path) as db:
            rows = db.execute("SELECT id, fields, raw FROM reports ORDER BY id DESC LIMIT ?", (count,)).fetchall()
        return [{"id": i, "fields": json.loads(f), "raw": bytes(r).decode("utf-8", errors="replace")}
                for i, f, r in reversed(rows)]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "KestraneLocalService/1.0"
    service = None  # set in main

    def log_message(self, fmt, *args):
        sys.stderr.write("%s %s\n" % (time.strftime("%H:%M:%S"), fmt % args))

    def setup(self):
        super().setup()
        self.rfile = Recorder(self.rfile)

    def handle_one_request(self):
        self.rfile.data = bytearray()
        super().handle_one_request()

    # --- plumbing -------------------------------------------------------
    def read_body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length > 0 else b""

    def base_url(self):
        return "http://127.0.0.1:%d" % self.server.server_address[1]

    def answer(self, status, body, content_type="application/json; charset=utf-8", extra=None):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for k, v in (extra or {}).items():
            self.send_header(k, v)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def send_response(self, code, message=None):
        entry = getattr(self, "journal_entry", None)
        if entry is not None:
            entry["status"] = code
        super().send_response(code, message)

    def record_and_apply_common_faults(self, body):
        """Records the request; returns True when a fault already answered it."""
        svc = self.service
        path = urllib.parse.urlsplit(self.path).path
        self.journal_entry = {"time": time.time(), "method": self.command, "path": path,
                              "range": self.headers.get("Range"), "if_range": self.headers.get("If-Range"),
                              "status": None}
        with svc.lock:
            svc.last_request = bytes(self.rfile.data)
            svc.journal.append(self.journal_entry)
            del svc.journal[:-500]
        stall = svc.fault("stall")
        if stall:
            svc.wake.wait(float(stall))
        status = svc.fault("status")
        if status and path.startswith(svc.fault("status_path") or "/"):
            times = int(svc.fault("status_times") or 0)
            if not times or svc.count("status") <= times:
                page = ("<html><body><h1>%s</h1>error page</body></html>" % status).encode()
                retry_after = svc.fault("retry_after")
                self.answer(int(status), page, "text/html", {"Retry-After": retry_after} if retry_after else None)
                return True
        return False

    # --- verbs ------------------------------------------------------------
    def do_GET(self):
        self.route(b"")

    def do_HEAD(self):
        self.route(b"")

    def do_POST(self):
        self.route(self.read_body())

    def route(self, body):
        url = urllib.parse.urlsplit(self.path)
        if url.path.startswith("/control/"):
            return self.control(url, body)
        if self.record_and_apply_common_faults(body):
            return
        if url.path == "/api/setup/install":
            return self.install(body)
        if url.path == "/api/statistics":
            return self.statistics(body)
        if url.path.startswith("/packages/"):
            return self.package(urllib.parse.unquote(url.path[len("/packages/"):]))
        if url.path == "/proxy.pac":
            script = 'function FindProxyForURL(url, host) { return "PROXY 127.0.0.1:%d"; }' % self.service.proxy_port
            return self.answer(200, script.encode(), "application/x-ns-proxy-autoconfig")
        self.answer(404, b"<html><body>not found</body></html>", "text/html")

    # --- endpoints --------------------------------------------------------
    def install(self, body):
        svc = self.service
        fields = split_form(body, INSTALL_FIELDS)
        with svc.lock:
            override = svc.install_answer
        if override is not None:
            return self.answer(200, override)
        kind = svc.fault("json")
        if kind == "malformed":
            return self.answer(200, b'{"result": true, "data": [{"setup_name": "x", ')
        if kind == "nonobject":
            return self.answer(200, b'[{"result": true}]')
        if kind == "refusal":
            return self.answer(200, json.dumps({"result": False, "failReason": "服务暂停 (local fault)"},
                                               ensure_ascii=False).encode("utf-8"))
        if fields.get("setup_name") not in svc.catalog.get("setup_names", []):
            reason = "unknown setup_name: %s" % fields.get("setup_name", "")
            return self.answer(200, json.dumps({"result": False, "failReason": reason}, ensure_ascii=False).encode())
        text = json.dumps({"result": True, "data": svc.package_list(fields, self.base_url())}, ensure_ascii=False)
        if kind == "escaped_slashes":
            text = text.replace("/", "\\/")
        data = text.encode("utf-8")
        target = svc.fault("json_bytes")
        if kind == "oversized":
            target = str(RESPONSE_LIMIT + 1)
        if target:
            want = int(target)
            if len(data) < want:
                data = data[:-1] + b" " * (want - len(data)) + b"}"
        self.answer(200, data)

    def statistics(self, body):
        stall = self.service.fault("stall_statistics")
        if stall:
            self.service.wake.wait(float(stall))
        fields = split_form(body, STATISTICS_FIELDS)
        self.service.store_report(fields, body)
        self.answer(200, b'{"result": true}')

    def package(self, name):
        svc = self.service
        entry = svc.served(name) if "/" not in name else None
        if not entry:
            return self.answer(404, b"<html><body>no such package</body></html>", "text/html")
        path, size, md5 = entry
        etag = '"%s"' % md5
        modified = email.utils.formatdate(os.path.getmtime(path), usegmt=True)
        first, last, status = 0, size - 1, 200
        header = self.headers.get("Range")
        # A Range with If-Range holds only while the file is the one named.
        if_range = self.headers.get("If-Range")
        if if_range and if_range not in (etag, modified):
            header = None
        if header and not svc.fault("ignore_range"):
            m = re.fullmatch(r"\s*bytes\s*=\s*(\d*)\s*-\s*(\d*)\s*", header)
            if m and (m.group(1) or m.group(2)):
                if m.group(1):
                    first = int(m.group(1))
                    last = min(int(m.group(2)), size - 1) if m.group(2) else size - 1
                else:  # suffix range: the last n bytes
                    first = max(size - int(m.group(2)), 0)
                if first >= size or last < first:
                    return self.answer(416, b"", "text/plain", {"Content-Range": "bytes */%d" % size})
                status = 206
                shift = svc.fault("range_offset")
                if shift:  # other bytes than the ones asked for, labelled as such
                    first = min(first + int(shift), last)
        length = last - first + 1
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(length))
        self.send_header("Accept-Ranges", "bytes")
        if not svc.fault("no_validator"):
            self.send_header("ETag", etag)
            self.send_header("Last-Modified", modified)
        if status == 206:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (first, last, size))
        self.end_headers()
        if self.command == "HEAD":
            return
        drop = svc.fault("drop_after")
        flaky = svc.fault("flaky")
        if flaky and svc.count("package_responses") % int(flaky) == 0:
            times = int(svc.fault("flaky_times") or 0)
            if not times or svc.count("cuts") <= times:
                drop = svc.fault("flaky_after") or "1000"
        count = min(length, int(drop)) if drop else length
        drop_at = svc.fault("drop_at")
        if drop_at:  # the connection breaks at that byte of the file, whatever was asked
            count = max(0, min(count, int(drop_at) - first))
        stall_at = svc.fault("stall_after")
        trickle = svc.fault("trickle")
        rate = svc.fault("rate")
        self.wfile.flush()
        with open(path, "rb") as f:
            if rate:
                self.send_at_rate(f, first, count, int(rate) * 1024)
            elif trickle:
                self.send_trickle(f, first, count, int(trickle), float(svc.fault("trickle_ms") or 200) / 1000)
            elif stall_at and int(stall_at) < count:
                head = int(stall_at)
                if head > 0:
                    self.connection.sendfile(f, first, head)
                svc.wake.wait(float(svc.fault("stall_seconds") or 30))
                try:
                    self.connection.sendfile(f, first + head, count - head)
                except OSError:
                    return
            elif count > 0:
                self.connection.sendfile(f, first, count)
        if count < length:
            self.close_connection = True
            try:
                self.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    def send_in_pieces(self, f, first, count, piece, between):
        """Sends count bytes from first, piece bytes at a time; between(sent)
        runs after each piece but the last and returns the next piece's size."""
        sent = 0
        try:
            while sent < count:
                n = min(piece, count - sent)
                self.connection.sendfile(f, first + sent, n)
                sent += n
                if sent < count:
                    piece = between(sent)
        except OSError:
            self.close_connection = True

    def send_at_rate(self, f, first, count, per_second):
        """Sends count bytes from first at per_second bytes a second, in
        pieces of a fiftieth of a second on a fixed schedule (a late piece
        does not make the whole transfer later)."""
        piece = max(1, per_second // 50)
        started = time.monotonic()

        def wait_for_schedule(sent):
            late = started + sent / per_second - time.monotonic()
            if late > 0:
                time.sleep(late)
            return piece
        self.send_in_pieces(f, first, count, piece, wait_for_schedule)

    def send_trickle(self, f, first, count, piece, pause):
        """Sends count bytes from first, piece bytes at a time with a pause
        between them; a reset sends the rest at once."""
        def pause_unless_reset(sent):
            if not self.service.fault("trickle"):
                return count - sent
            self.service.wake.wait(pause)
            return piece
        self.send_in_pieces(f, first, count, piece, pause_unless_reset)

    # --- control ------------------------------------------------------------
    def control(self, url, body):
        svc = self.service
        query = urllib.parse.parse_qs(url.query, keep_blank_values=True)
        action = url.path[len("/control/"):]
        if action == "ping":
            return self.answer(200, b"ok", "text/plain")
        if action == "fault":
            with svc.lock:
                for name, values in query.items():
                    svc.faults[name] = values[-1]
            return self.answer(200, b"ok", "text/plain")
        if action == "reset":
            with svc.lock:
                svc.faults = {}
                svc.install_answer = None
                svc.counters = {}
                svc.journal = []
                svc.proxy_journal = []
            svc.wake.set()
            svc.wake.clear()
            return self.answer(200, b"ok", "text/plain")
        if action == "install-answer":
            with svc.lock:
                svc.install_answer = body
            return self.answer(200, b"ok", "text/plain")
        if action == "last-request":
            with svc.lock:
                data = svc.last_request
            return self.answer(200, data, "application/octet-stream")
        if action == "statistics":
            count = int(query.get("last", ["1"])[-1])
            data = json.dumps(svc.last_reports(count), ensure_ascii=False).encode("utf-8")
            return self.answer(200, data)
        if action == "journal":
            prefix = query.get("path", ["/"])[-1]
            with svc.lock:
                entries = [e for e in svc.journal if e["path"].startswith(prefix)]
                data = json.dumps(entries).encode("utf-8")
            return self.answer(200, data)
        if action == "proxy-journal":
            with svc.lock:
                data = json.dumps(svc.proxy_journal).encode("utf-8")
            return self.answer(200, data)
        if action == "packages":
            files = [{"file": n, "size": s, "md5": m, "url": self.base_url() + "/packages/" + urllib.parse.quote(n)}
                     for n, (_, s, m) in sorted(svc.files.items())]
            return self.answer(200, json.dumps(files).encode("utf-8"))
        self.answer(404, b"unknown control", "text/plain")


class ProxyHandler(http.server.BaseHTTPRequestHandler):
    """The local proxy: forwards each request to the host it names and relays
    the answer as it arrives (a cut answer stays cut). With the proxy_auth
    fault it asks for credentials of that scheme until a request brings some."""
    protocol_version = "HTTP/1.1"
    server_version = "KestraneLocalProxy/1.0"
    service = None  # set in main
    CHALLENGES = {"basic": 'Basic realm="kestrane-proxy"', "ntlm": "NTLM", "negotiate": "Negotiate"}

    def log_message(self, fmt, *args):
        sys.stderr.write("%s proxy %s\n" % (time.strftime("%H:%M:%S"), fmt % args))

    def do_GET(self):
        self.relay()

    do_HEAD = do_POST = do_GET

    def relay(self):
        svc = self.service
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length > 0 else None
        target = urllib.parse.urlsplit(self.path) if self.path.lower().startswith("http://") else None
        host = target.netloc if target else (self.headers.get("Host") or "")
        path = (target.path or "/") + ("?" + target.query if target.query else "") if target else self.path
        credentials = self.headers.get("Proxy-Authorization")
        with svc.lock:
            svc.proxy_journal.append({"time": time.time(), "method": self.command, "host": host, "path": path,
                                      "credentials": credentials})
        scheme = svc.fault("proxy_auth")
        if scheme and not credentials:
            page = b"<html><body>proxy authentication required</body></html>"
            self.send_response(407)
            self.send_header("Proxy-Authenticate", self.CHALLENGES.get(scheme, scheme))
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Length", str(len(page)))
            self.end_headers()
            self.wfile.write(page)
            return
        hostname, _, port = host.rpartition(":") if ":" in host else (host, "", "80")
        headers = {k: v for k, v in self.headers.items()
                   if not k.lower().startswith("proxy-") and k.lower() not in ("connection", "keep-alive")}
        try:
            upstream = http.client.HTTPConnection(hostname, int(port or 80), timeout=120)
            upstream.request(self.command, path, body=body, headers=headers)
            answer = upstream.getresponse()
        except (OSError, http.client.HTTPException, ValueError):
            page = b"<html><body>bad gateway</body></html>"
            self.send_response(502)
            self.send_header("Content-Length", str(len(page)))
            self.end_headers()
            self.wfile.write(page)
            return
        self.send_response(answer.status, answer.reason)
        for k, v in answer.getheaders():
            if k.lower() not in ("connection", "keep-alive", "transfer-encoding"):
                self.send_header(k, v)
        self.end_headers()
        expected = int(answer.getheader("Content-Length") or -1)
        relayed = 0
        try:
            while self.command != "HEAD":
                piece = answer.read1(65536)
                if not piece:
                    break
                self.wfile.write(piece)
                relayed += len(piece)
        except (OSError, http.client.HTTPException):
            pass
        upstream.close()
        if self.command != "HEAD" and expected >= 0 and relayed < expected:
            self.close_connection = True
            try:
                self.wfile.flush()
                self.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--state-dir", required=True, help="package files and the statistics database")
    parser.add_argument("--sample-exe", required=True, help="the sample package program")
    parser.add_argument("--catalog", default=os.path.join(HERE, "catalog.json"))
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--fault", action="append", help="name=value, as /control/fault (repeatable)")
    parser.add_argument("--big-package-mib", type=int, default=0, help="also serve Big_<n>MiB.exe")
    args = parser.parse_args()

    Handler.service = ProxyHandler.service = Service(args)
    proxy = Server(("127.0.0.1", 0), ProxyHandler)
    Handler.service.proxy_port = proxy.server_address[1]
    threading.Thread(target=proxy.serve_forever, daemon=True).start()
    with open(os.path.join(args.state_dir, "proxy_port"), "w") as f:
        f.write("%d\n" % proxy.server_address[1])
    server = Server(("127.0.0.1", args.port), Handler)
    temp = args.port_file + ".tmp"
    with open(temp, "w") as f:
        f.write("%d\n" % server.server_address[1])
    os.replace(temp, args.port_file)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
