#!/usr/bin/env python3
"""Checks of the local setup service itself, against a running instance.
usage: test_server.py <state dir>   (the dir given to start.sh)"""
import hashlib
import http.client
import json
import os
import socket
import sys
import time
import unittest

STATE = sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(os.getcwd(), "setup-service")


def port():
    with open(os.path.join(STATE, "port")) as f:
        return int(f.read())


def request(method, path, body=None, headers=None, timeout=30):
    conn = http.client.HTTPConnection("127.0.0.1", port(), timeout=timeout)
    conn.request(method, path, body=body, headers=headers or {})
    resp = conn.getresponse()
    data = resp.read()
    conn.close()
    return resp, data


def proxy_port():
    with open(os.path.join(STATE, "proxy_port")) as f:
        return int(f.read())


def via_proxy(method, path, body=None, headers=None):
    """A request sent to the local proxy in absolute form, addressed to the service."""
    conn = http.client.HTTPConnection("127.0.0.1", proxy_port(), timeout=30)
    conn.request(method, "http://127.0.0.1:%d%s" % (port(), path), body=body, headers=headers or {})
    resp = conn.getresponse()
    data = resp.read()
    conn.close()
    return resp, data


def journal(prefix="/"):
    return json.loads(request("GET", "/control/journal?path=" + prefix)[1])


def raw_get(file_name, close=False, first=None):
    """A socket that has sent a plain GET of a package file (from byte first
    on, when given; asking the server to close after the answer, with close)."""
    sock = socket.create_connection(("127.0.0.1", port()), timeout=30)
    extra = ("Range: bytes=%d-\r\n" % first if first is not None else "") + ("Connection: close\r\n" if close else "")
    sock.sendall(("GET /packages/%s HTTP/1.1\r\nHost: x\r\n%s\r\n" % (file_name, extra)).encode())
    return sock


def read_to_end(sock):
    """Everything a socket receives until the other side closes it."""
    data = b""
    while True:
        chunk = sock.recv(65536)
        if not chunk:
            break
        data += chunk
    sock.close()
    return data


def body_length(data):
    """The body bytes received so far after the response head."""
    return len(data.split(b"\r\n\r\n", 1)[1]) if b"\r\n\r\n" in data else 0


INSTALL_BODY = ("setup_name=kx&setup_type=1&win_ver=win_win10_64&office_ver=office_2010_32"
                "&netf_ver=netf_4.0_xx&local_ver=").encode()


class ServiceTest(unittest.TestCase):
    def setUp(self):
        self.assertEqual(b"ok", request("GET", "/control/reset")[1])

    tearDown = setUp

    def install(self, body=INSTALL_BODY):
        return request("POST", "/api/setup/install", body, {"Content-Type": "application/x-www-form-urlencoded"})

    def test_install_answers_by_the_reported_tokens(self):
        resp, data = self.install()
        self.assertEqual(200, resp.status)
        doc = json.loads(data.decode("utf-8"))
        self.assertIs(True, doc["result"])
        names = [p["setup_name"] for p in doc["data"]]
        self.assertEqual(["kestrane_client", "word_addin", "dotnet_runtime", "x64_helper"], names)
        keys = {"setup_name", "name", "type", "size", "url", "description", "cmd", "version", "sort", "md5"}
        for p in doc["data"]:
            self.assertEqual(keys, set(p))
            self.assertTrue(all(isinstance(v, str) for v in p.values()))
        # size and md5 describe the file actually served
        first = doc["data"][0]
        path = first["url"].split("127.0.0.1:%d" % port(), 1)[1]
        resp, body = request("GET", path)
        self.assertEqual(int(first["size"]), len(body))
        self.assertEqual(first["md5"], hashlib.md5(body).hexdigest())
        # no Office, .NET 4.5, 32-bit: only the client
        resp, data = self.install(b"setup_name=kx&setup_type=1&win_ver=win_win7_32&office_ver=??"
                                  b"&netf_ver=netf_4.5_xx&local_ver=1.0")
        self.assertEqual(["kestrane_client"], [p["setup_name"] for p in json.loads(data)["data"]])

    def test_unknown_setup_name_is_refused(self):
        doc = json.loads(self.install(b"setup_name=zz&setup_type=1")[1])
        self.assertIs(False, doc["result"])
        self.assertIn("zz", doc["failReason"])

    def test_json_faults(self):
        request("GET", "/control/fault?json=malformed")
        self.assertRaises(ValueError, json.loads, self.install()[1])
        request("GET", "/control/fault?json=nonobject")
        self.assertIsInstance(json.loads(self.install()[1]), list)
        request("GET", "/control/fault?json=refusal")
        doc = json.loads(self.install()[1])
        self.assertIs(False, doc["result"])
        self.assertTrue(doc["failReason"])
        request("GET", "/control/fault?json=oversized")
        data = self.install()[1]
        self.assertEqual(163839, len(data))
        self.assertIs(True, json.loads(data)["result"])
        request("GET", "/control/fault?json=&json_bytes=163838")
        data = self.install()[1]
        self.assertEqual(163838, len(data))
        self.assertEqual(4, len(json.loads(data)["data"]))
        request("GET", "/control/fault?json_bytes=0&json=escaped_slashes")
        data = self.install()[1]
        self.assertIn(b"http:\\/\\/127.0.0.1", data)
        request("POST", "/control/install-answer", b'{"result": true, "data": []}')
        self.assertEqual(b'{"result": true, "data": []}', self.install()[1])

    def test_package_listing_faults(self):
        listing = {p["file"]: p for p in json.loads(request("GET", "/control/packages")[1])}
        client = listing["Kestrane_V1.0.3.exe"]
        request("GET", "/control/fault?upper_md5=1&bad_md5=word_addin")
        data = json.loads(self.install()[1])["data"]
        self.assertEqual(client["md5"].upper(), data[0]["md5"])
        self.assertNotEqual(listing["WordAddin_V2.1.exe"]["md5"].upper(), data[1]["md5"])
        request("GET", "/control/fault?upper_md5=0&bad_md5=0&serve_file=word_addin:Failing_3010.exe")
        data = json.loads(self.install()[1])["data"]
        failing = listing["Failing_3010.exe"]
        self.assertEqual((failing["url"], str(failing["size"]), failing["md5"]),
                         (data[1]["url"], data[1]["size"], data[1]["md5"]))
        self.assertEqual(client["url"], data[0]["url"])

    def test_statistics_are_stored_with_raw_body(self):
        remark = '{"setup_name":"kx","error_msg":"a&b=c"}'
        body = ("ver=1, 1, 0, 33612&type=setup_online&rdtype=0&remark=%s&view_mode=client" % remark).encode()
        resp, _ = request("POST", "/api/statistics", body)
        self.assertEqual(200, resp.status)
        reports = json.loads(request("GET", "/control/statistics?last=1")[1])
        self.assertEqual(1, len(reports))
        first_id = reports[0]["id"]
        request("POST", "/api/statistics", body)
        self.assertEqual(first_id + 1, json.loads(request("GET", "/control/statistics?last=1")[1])[0]["id"])
        reports = json.loads(request("GET", "/control/statistics?last=2")[1])
        self.assertEqual(first_id, reports[0]["id"])
        self.assertEqual(remark, reports[0]["fields"]["remark"])
        self.assertEqual("client", reports[0]["fields"]["view_mode"])
        self.assertEqual(body.decode(), reports[0]["raw"])
        last = request("GET", "/control/last-request")[1]
        self.assertTrue(last.startswith(b"POST /api/statistics HTTP/1.1\r\n"))
        self.assertTrue(last.endswith(body))

    def test_ranges(self):
        files = json.loads(request("GET", "/control/packages")[1])
        entry = files[0]
        path = "/packages/" + entry["file"]
        whole = request("GET", path)[1]
        resp, data = request("GET", path, headers={"Range": "bytes=10-19"})
        self.assertEqual(206, resp.status)
        self.assertEqual("bytes 10-19/%d" % len(whole), resp.getheader("Content-Range"))
        self.assertEqual(whole[10:20], data)
        resp, data = request("GET", path, headers={"Range": "bytes=100-"})
        self.assertEqual((206, whole[100:]), (resp.status, data))
        resp, data = request("GET", path, headers={"Range": "bytes=-5"})
        self.assertEqual((206, whole[-5:]), (resp.status, data))
        resp, _ = request("GET", path, headers={"Range": "bytes=%d-" % len(whole)})
        self.assertEqual(416, resp.status)
        self.assertEqual("bytes */%d" % len(whole), resp.getheader("Content-Range"))
        request("GET", "/control/fault?ignore_range=1")
        resp, data = request("GET", path, headers={"Range": "bytes=100-"})
        self.assertEqual((200, whole), (resp.status, data))
        request("GET", "/control/fault?status=503")
        self.assertEqual(503, request("GET", path)[0].status)
        request("GET", "/control/reset")
        request("GET", "/control/fault?range_offset=30")
        resp, data = request("GET", path, headers={"Range": "bytes=100-"})
        self.assertEqual(206, resp.status)
        self.assertEqual("bytes 130-%d/%d" % (len(whole) - 1, len(whole)), resp.getheader("Content-Range"))
        self.assertEqual(whole[130:], data)

    def test_validators_and_if_range(self):
        entry = json.loads(request("GET", "/control/packages")[1])[0]
        path = "/packages/" + entry["file"]
        resp, whole = request("GET", path)
        etag, modified = resp.getheader("ETag"), resp.getheader("Last-Modified")
        self.assertEqual('"%s"' % entry["md5"], etag)
        self.assertTrue(modified.endswith(" GMT"))
        for validator in (etag, modified):
            resp, data = request("GET", path, headers={"Range": "bytes=100-", "If-Range": validator})
            self.assertEqual((206, whole[100:]), (resp.status, data))
        resp, data = request("GET", path, headers={"Range": "bytes=100-", "If-Range": '"other"'})
        self.assertEqual((200, whole), (resp.status, data))
        self.assertEqual([None, etag, modified, '"other"'], [e["if_range"] for e in journal(path)])
        request("GET", "/control/fault?no_validator=1")
        self.assertIsNone(request("GET", path)[0].getheader("ETag"))

    def test_revised_file_has_a_new_etag_and_is_listed(self):
        path = "/packages/Kestrane_V1.0.3.exe"
        old_etag = request("GET", path)[0].getheader("ETag")
        request("GET", "/control/fault?revise=Kestrane_V1.0.3.exe")
        resp, data = request("GET", path, headers={"Range": "bytes=100-", "If-Range": old_etag})
        self.assertEqual(200, resp.status)
        self.assertNotEqual(old_etag, resp.getheader("ETag"))
        self.assertTrue(data.endswith(b"KSPKG001"))
        listed = json.loads(self.install()[1])["data"][0]
        self.assertEqual((str(len(data)), hashlib.md5(data).hexdigest()), (listed["size"], listed["md5"]))
        request("GET", "/control/reset")
        self.assertEqual(old_etag, request("GET", path)[0].getheader("ETag"))

    def test_drop_at_breaks_every_answer_at_one_byte_of_the_file(self):
        files = json.loads(request("GET", "/control/packages")[1])
        request("GET", "/control/fault?drop_at=3000")
        for first, expected in ((0, 3000), (1000, 2000), (3000, 0)):
            self.assertEqual(expected, body_length(read_to_end(raw_get(files[0]["file"], first=first))))

    def test_flaky_cuts_every_nth_answer_a_number_of_times(self):
        entry = json.loads(request("GET", "/control/packages")[1])[0]
        request("GET", "/control/fault?flaky=2&flaky_times=2&flaky_after=500")
        lengths = []
        for _ in range(6):
            sock = raw_get(entry["file"])
            sock.sendall(b"GET /control/ping HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n")
            lengths.append(min(entry["size"], body_length(read_to_end(sock))))
        size = entry["size"]
        self.assertEqual([size, 500, size, 500, size, size], lengths)

    def test_status_for_a_path_a_number_of_times_with_retry_after(self):
        entry = json.loads(request("GET", "/control/packages")[1])[0]
        path = "/packages/" + entry["file"]
        request("GET", "/control/fault?status=503&status_times=1&status_path=/packages/&retry_after=2")
        self.assertEqual(200, self.install()[0].status)  # another path: answered as usual
        resp, _ = request("GET", path)
        self.assertEqual((503, "2"), (resp.status, resp.getheader("Retry-After")))
        self.assertEqual(200, request("GET", path)[0].status)
        self.assertEqual([503, 200], [e["status"] for e in journal("/packages/")])

    def test_proxy_forwards_and_asks_for_credentials(self):
        entry = json.loads(request("GET", "/control/packages")[1])[0]
        path = "/packages/" + entry["file"]
        whole = request("GET", path)[1]
        resp, data = via_proxy("GET", path, headers={"Range": "bytes=10-"})
        self.assertEqual((206, whole[10:]), (resp.status, data))
        self.assertEqual(200, via_proxy("POST", "/api/setup/install", INSTALL_BODY)[0].status)
        for scheme, challenge in (("ntlm", "NTLM"), ("basic", 'Basic realm="kestrane-proxy"')):
            request("GET", "/control/fault?proxy_auth=" + scheme)
            resp, _ = via_proxy("GET", path)
            self.assertEqual((407, challenge), (resp.status, resp.getheader("Proxy-Authenticate")))
        resp, data = via_proxy("GET", path, headers={"Proxy-Authorization": "Basic eDp5"})
        self.assertEqual((200, whole), (resp.status, data))
        seen = json.loads(request("GET", "/control/proxy-journal")[1])
        self.assertEqual(["GET", "POST", "GET", "GET", "GET"], [e["method"] for e in seen])
        self.assertEqual("127.0.0.1:%d" % port(), seen[0]["host"])
        self.assertEqual("Basic eDp5", seen[-1]["credentials"])
        # A cut answer reaches the client cut.
        request("GET", "/control/reset")
        request("GET", "/control/fault?drop_after=700")
        sock = socket.create_connection(("127.0.0.1", proxy_port()), timeout=30)
        sock.sendall(("GET http://127.0.0.1:%d%s HTTP/1.1\r\nHost: x\r\n\r\n" % (port(), path)).encode())
        self.assertEqual(700, body_length(read_to_end(sock)))

    def test_pac_names_the_proxy(self):
        resp, data = request("GET", "/proxy.pac")
        self.assertEqual("application/x-ns-proxy-autoconfig", resp.getheader("Content-Type"))
        self.assertIn(b'"PROXY 127.0.0.1:%d"' % proxy_port(), data)

    def test_trickle_sends_pieces_and_the_rest_on_reset(self):
        files = json.loads(request("GET", "/control/packages")[1])
        request("GET", "/control/fault?trickle=100&trickle_ms=60000")
        sock = raw_get(files[0]["file"])
        data = b""
        while body_length(data) < 100:
            data += sock.recv(65536)
        self.assertEqual(100, body_length(data))  # then a minute's pause
        request("GET", "/control/reset")
        while body_length(data) < files[0]["size"]:
            data += sock.recv(65536)
        sock.close()

    def test_statistics_stall_ends_on_reset(self):
        request("GET", "/control/fault?stall_statistics=30")
        conn = http.client.HTTPConnection("127.0.0.1", port(), timeout=1)
        conn.request("POST", "/api/statistics", b"type=stalled_report")
        self.assertRaises(socket.timeout, conn.getresponse)
        conn.close()
        self.assertEqual(200, self.install()[0].status)  # the other endpoints answer at once
        request("GET", "/control/reset")  # the stalled report is stored now, not during a later test
        for _ in range(300):
            last = json.loads(request("GET", "/control/statistics?last=1")[1])
            if last and last[0]["fields"].get("type") == "stalled_report":
                break
            time.sleep(0.1)
        else:
            self.fail("the stalled report was not stored after the reset")

    def test_drop_after_closes_early(self):
        files = json.loads(request("GET", "/control/packages")[1])
        request("GET", "/control/fault?drop_after=1000")
        self.assertEqual(1000, body_length(read_to_end(raw_get(files[0]["file"]))))

    def test_stall_ends_on_reset(self):
        request("GET", "/control/fault?stall=30")
        conn = http.client.HTTPConnection("127.0.0.1", port(), timeout=1)
        conn.request("GET", "/api/setup/install")
        self.assertRaises(socket.timeout, conn.getresponse)
        conn.close()


if __name__ == "__main__":
    unittest.main(verbosity=2)
