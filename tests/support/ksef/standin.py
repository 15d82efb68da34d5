#!/usr/bin/env python3
"""A stand-in for KSeF's API 2.0, for the tests and the benchmark: HTTPS on
127.0.0.1 with a throw-away CA, the endpoints a buyer's fetch uses with the paths,
fields and codes of the Ministry's OpenAPI document, its own RSA key in place of
the Ministry's (the token must really decrypt under it), and faults to switch on.

    standin.py --dir D --template FILE --nip BUYER --token TOKEN [--invoices N]
               [--fault 429:/invoices/query:2] [--fault 500:/invoices/ksef:1]
               [--fault expire:3] [--fault cut:2] [--fault truncate:40]
               [--fault hash:3] [--fault slow:50]

Writes D/ca.pem (the CA to trust) and D/port once it listens. POST /__control
{"add": N} adds N invoices stored now; {"faults": [...]} replaces the faults;
GET /__stats gives the calls per endpoint, GET /__token an access token for a
plain client.
"""
import argparse
import base64
import datetime as dt
import hashlib
import http.server
import json
import os
import re
import secrets
import ssl
import subprocess
import sys
import threading
import urllib.parse

LOCK = threading.Lock()


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def iso(t):
    # KSeF writes seven fractional digits and an offset.
    return t.strftime("%Y-%m-%dT%H:%M:%S.") + "%07d" % (t.microsecond * 10) + "+00:00"


def parse_iso(s):
    s = s.strip().replace("Z", "+00:00")
    m = re.match(r"^(.*T\d\d:\d\d:\d\d)(?:\.(\d+))?(.*)$", s)
    base, frac, off = m.group(1), (m.group(2) or "0"), m.group(3) or "+00:00"
    t = dt.datetime.fromisoformat(base + off)
    return t + dt.timedelta(microseconds=int(frac[:6].ljust(6, "0")))


def crc8(data):
    crc = 0
    for b in data.encode():
        crc ^= b
        for _ in range(8):
            crc = ((crc << 1) ^ 0x07) & 0xFF if crc & 0x80 else (crc << 1) & 0xFF
    return "%02X" % crc


def error(code, description, details=None):
    return {"exception": {"exceptionDetailList": [
        {"exceptionCode": code, "exceptionDescription": description, "details": details or []}],
        "referenceNumber": None, "serviceCode": "standin", "serviceCtx": "standin", "serviceName": "standin",
        "timestamp": iso(dt.datetime.now(dt.timezone.utc))}}


class State:
    def __init__(self, args):
        self.args = args
        self.dir = args.dir
        self.nip = args.nip
        self.token = args.token
        self.template = open(args.template, "rb").read()
        self.invoices = []  # dicts: number, meta, xml
        self.challenges = {}
        self.auths = {}  # reference -> dict
        self.auth_tokens = {}  # bearer -> reference
        self.access = {}  # bearer -> uses left (None: unlimited)
        self.refresh = set()
        self.stats = {}
        self.downloads = 0
        self.faults = []
        self.set_faults(args.fault or [])
        self.start = dt.datetime(2026, 3, 2, 8, 0, 0, 123456, tzinfo=dt.timezone.utc)
        self.add(args.invoices)

    def set_faults(self, faults):
        self.faults = []
        for f in faults:
            kind, _, rest = f.partition(":")
            self.faults.append([kind, rest])
        self.truncate = 10000
        self.slow = 0
        for kind, rest in self.faults:
            if kind == "truncate":
                self.truncate = int(rest)
            if kind == "slow":
                self.slow = int(rest)

    def add(self, n):
        seller = "5261040828"
        for _ in range(n):
            i = len(self.invoices) + 1
            stored = self.start + dt.timedelta(minutes=7 * i)
            if self.invoices:
                stored = max(stored, parse_iso(self.invoices[-1]["meta"]["permanentStorageDate"]) + dt.timedelta(seconds=1))
            number = "FV/2026/%05d" % i
            xml = self.template.replace(b"FV/2026/03/0147", number.encode()).replace(b"7010012345", self.nip.encode())
            digest = base64.b64encode(hashlib.sha256(xml).digest()).decode()
            head = "%s-%s-%012X" % (seller, stored.strftime("%Y%m%d"), 0xA1B2C3000000 + i)
            ksef = head + "-" + crc8(head)
            meta = {
                "ksefNumber": ksef, "invoiceNumber": number, "issueDate": stored.strftime("%Y-%m-%d"),
                "invoicingDate": iso(stored - dt.timedelta(seconds=50)),
                "acquisitionDate": iso(stored - dt.timedelta(seconds=5)), "permanentStorageDate": iso(stored),
                "seller": {"nip": seller, "name": "Hurtownia Spożywcza „Smakosz” Sp. z o.o."},
                "buyer": {"identifier": {"type": "Nip", "value": self.nip}, "name": "Restauracja Pod Lipami"},
                "netAmount": 330.33, "grossAmount": 390.23, "vatAmount": 59.90, "currency": "PLN",
                "invoicingMode": "Online", "invoiceType": "Vat",
                "formCode": {"systemCode": "FA (3)", "schemaVersion": "1-0E", "value": "FA"},
                "isSelfInvoicing": False, "hasAttachment": False, "invoiceHash": digest, "thirdSubjects": []}
            self.invoices.append({"meta": meta, "xml": xml})

    def hwm(self):
        # Everything stored is final a second after the last of it.
        if not self.invoices:
            return iso(self.start)
        return iso(parse_iso(self.invoices[-1]["meta"]["permanentStorageDate"]) + dt.timedelta(seconds=1))

    def fault(self, kind, path):
        """Takes one use of a counted fault of this kind whose path part matches."""
        for f in self.faults:
            if f[0] != kind:
                continue
            part, _, count = f[1].rpartition(":")
            if part and part not in path:
                continue
            if int(count) > 0:
                f[1] = "%s:%d" % (part, int(count) - 1)
                return True
        return False

    def make_keys(self):
        # Keys made once serve every stand-in of a test run (--keys).
        d = self.args.keys or self.dir
        os.makedirs(d, exist_ok=True)
        if not os.path.exists(f"{d}/done"):
            self.generate(d)
        if d != self.dir:
            for name in ("ca.pem", "server.pem", "server.key", "token.key", "token.pem"):
                with open(f"{d}/{name}", "rb") as src, open(f"{self.dir}/{name}", "wb") as dst:
                    dst.write(src.read())
        d = self.dir
        der = subprocess.run(["openssl", "x509", "-in", f"{d}/token.pem", "-outform", "DER"], check=True,
                             capture_output=True).stdout
        spki = subprocess.run(["openssl", "x509", "-in", f"{d}/token.pem", "-pubkey", "-noout"], check=True,
                              capture_output=True).stdout
        spki_der = subprocess.run(["openssl", "pkey", "-pubin", "-outform", "DER"], input=spki, check=True,
                                  capture_output=True).stdout
        self.cert_der = der
        self.key_id = base64.b64encode(hashlib.sha256(spki_der).digest()).decode()

    def generate(self, d):
        run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", f"{d}/ca.key", "-out",
            f"{d}/ca.pem", "-days", "2", "-subj", "/CN=Testowe CA KSeF")
        run("openssl", "req", "-newkey", "rsa:2048", "-nodes", "-keyout", f"{d}/server.key", "-out",
            f"{d}/server.csr", "-subj", "/CN=127.0.0.1")
        with open(f"{d}/san.ext", "w") as ext:
            ext.write("subjectAltName=IP:127.0.0.1,DNS:localhost\n")
        run("openssl", "x509", "-req", "-in", f"{d}/server.csr", "-CA", f"{d}/ca.pem", "-CAkey", f"{d}/ca.key",
            "-CAcreateserial", "-out", f"{d}/server.pem", "-days", "2", "-extfile", f"{d}/san.ext")
        # The key the token is encrypted with, in a certificate of its own.
        run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", f"{d}/token.key", "-out",
            f"{d}/token.pem", "-days", "30", "-subj", "/CN=Ministerstwo Finansow (atrapa)")
        open(f"{d}/done", "w").close()

    def decrypt(self, data):
        r = subprocess.run(["openssl", "pkeyutl", "-decrypt", "-inkey", f"{self.dir}/token.key", "-pkeyopt",
                            "rsa_padding_mode:oaep", "-pkeyopt", "rsa_oaep_md:sha256", "-pkeyopt",
                            "rsa_mgf1_md:sha256"], input=data, capture_output=True)
        return r.stdout if r.returncode == 0 else None


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    disable_nagle_algorithm = True  # one small answer must not wait for a delayed ACK
    state = None

    def log_message(self, *a):
        pass

    def reply(self, status, body=None, headers=None, raw=None, ctype="application/json"):
        data = raw if raw is not None else (json.dumps(body).encode() if body is not None else b"")
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(data)))
        for k, v in (headers or {}).items():
            self.send_header(k, v)
        self.end_headers()
        self.wfile.write(data)

    def bearer(self):
        h = self.headers.get("Authorization", "")
        return h[7:] if h.startswith("Bearer ") else None

    def unauthorized(self):
        self.reply(401, {"title": "Unauthorized", "status": 401, "detail": "Brak lub nieprawidłowy token dostępu.",
                         "timestamp": iso(dt.datetime.now(dt.timezone.utc))}, ctype="application/problem+json")

    def access_ok(self):
        s = self.state
        t = self.bearer()
        if t not in s.access:
            return False
        left = s.access[t]
        if left is not None:
            if left <= 0:
                return False
            s.access[t] = left - 1
        return True

    def do_GET(self):
        self.handle_any("GET")

    def do_POST(self):
        self.handle_any("POST")

    def handle_any(self, method):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else b""
        url = urllib.parse.urlsplit(self.path)
        path = url.path
        s = self.state
        with LOCK:
            key = method + " " + re.sub(r"/[0-9A-F]{10}-\d{8}-[0-9A-F]{12}-[0-9A-F]{2}$|/\d{8}-AU-.*$", "/{id}", path)
            s.stats[key] = s.stats.get(key, 0) + 1
            if path == "/__stats":
                return self.reply(200, {"calls": s.stats, "downloads": s.downloads, "invoices": len(s.invoices)})
            if path == "/__token":
                # An access token for a plain client (the benchmark's floor).
                token = "access." + secrets.token_hex(16)
                s.access[token] = None
                return self.reply(200, {"token": token})
            if path == "/__control":
                c = json.loads(body or b"{}")
                if "faults" in c:
                    s.set_faults(c["faults"])
                if "add" in c:
                    s.add(int(c["add"]))
                return self.reply(200, {"invoices": len(s.invoices)})
            if not path.startswith("/v2/"):
                return self.reply(404, error(21405, "Nieznany adres"))
            path = path[3:]
            if s.fault("429", path):
                return self.reply(429, {"status": {"code": 429, "description": "Too Many Requests", "details": [
                    "Przekroczono limit żądań. Spróbuj ponownie po 1 sekundach."]}}, headers={"Retry-After": "1"})
            if s.fault("500", path):
                return self.reply(503, error(500, "Usługa chwilowo niedostępna"))
            return self.route(method, path, url.query, body)

    def route(self, method, path, query, body):
        s = self.state
        now = dt.datetime.now(dt.timezone.utc)
        if method == "GET" and path == "/security/public-key-certificates":
            cert = base64.b64encode(s.cert_der).decode()
            cid = base64.b64encode(hashlib.sha256(s.cert_der).digest()).decode()
            return self.reply(200, [{"certificate": cert, "certificateId": cid, "publicKeyId": s.key_id,
                                     "validFrom": iso(now - dt.timedelta(days=1)),
                                     "validTo": iso(now + dt.timedelta(days=30)), "usage": ["KsefTokenEncryption"]},
                                    {"certificate": cert, "certificateId": cid, "publicKeyId": s.key_id,
                                     "validFrom": iso(now - dt.timedelta(days=1)),
                                     "validTo": iso(now + dt.timedelta(days=30)),
                                     "usage": ["SymmetricKeyEncryption"]}])
        if method == "POST" and path == "/auth/challenge":
            ch = now.strftime("%Y%m%d") + "-CR-" + secrets.token_hex(5).upper() + "-" + \
                secrets.token_hex(5).upper() + "-" + secrets.token_hex(1).upper()
            ms = int(now.timestamp() * 1000)
            s.challenges[ch] = ms
            return self.reply(200, {"challenge": ch, "timestamp": iso(now), "timestampMs": ms, "clientIp": "127.0.0.1"})
        if method == "POST" and path == "/auth/ksef-token":
            try:
                req = json.loads(body)
                ch, ctx, enc = req["challenge"], req["contextIdentifier"], req["encryptedToken"]
                ctype, cval = ctx["type"], ctx["value"]
            except (ValueError, KeyError, TypeError):
                return self.reply(400, error(21405, "Błąd walidacji danych wejściowych."))
            if req.get("publicKeyId") not in (None, s.key_id):
                return self.reply(400, error(21470, "Przesłany identyfikator klucza jest nieznany lub wskazuje na "
                                                    "wycofany klucz"))
            if ch not in s.challenges:
                return self.reply(400, error(21111, "Nieprawidłowe wyzwanie autoryzacyjne."))
            ms = s.challenges.pop(ch)
            plain = s.decrypt(base64.b64decode(enc))
            status = {"code": 200, "description": "Uwierzytelnianie zakończone sukcesem"}
            if plain is None or plain.decode(errors="replace") != "%s|%d" % (s.token, ms):
                status = {"code": 450, "description": "Uwierzytelnianie zakończone niepowodzeniem z powodu "
                                                      "błędnego tokenu", "details": ["Nieprawidłowy token."]}
            elif ctype != "Nip" or cval != s.nip:
                status = {"code": 415, "description": "Uwierzytelnianie zakończone niepowodzeniem z powodu braku "
                                                      "przypisanych uprawnień"}
            ref = now.strftime("%Y%m%d") + "-AU-" + secrets.token_hex(5).upper() + "-" + \
                secrets.token_hex(5).upper() + "-" + secrets.token_hex(1).upper()
            tok = "auth." + secrets.token_hex(16)
            s.auths[ref] = {"status": status, "polls": 0, "token": tok, "redeemed": False}
            s.auth_tokens[tok] = ref
            return self.reply(202, {"referenceNumber": ref, "authenticationToken": {
                "token": tok, "validUntil": iso(now + dt.timedelta(minutes=10))}})
        m = re.match(r"^/auth/([^/]+)$", path)
        if method == "GET" and m and m.group(1) not in ("challenge", "token"):
            ref = m.group(1)
            a = s.auths.get(ref)
            if a is None or s.auth_tokens.get(self.bearer()) != ref:
                return self.unauthorized()
            a["polls"] += 1
            st = {"code": 100, "description": "Uwierzytelnianie w toku"} if a["polls"] == 1 else a["status"]
            return self.reply(200, {"startDate": iso(now), "authenticationMethod": "Token",
                                    "authenticationMethodInfo": {"category": "Token", "code": "token.ksef",
                                                                 "displayName": "Token KSeF"}, "status": st})
        if method == "POST" and path == "/auth/token/redeem":
            ref = s.auth_tokens.get(self.bearer())
            if ref is None:
                return self.unauthorized()
            a = s.auths[ref]
            if a["redeemed"] or a["status"]["code"] != 200:
                return self.reply(400, error(21301, "Brak autoryzacji", ["Tokeny zostały już pobrane."]))
            a["redeemed"] = True
            return self.reply(200, self.new_tokens(now, True))
        if method == "POST" and path == "/auth/token/refresh":
            if self.bearer() not in s.refresh:
                return self.unauthorized()
            return self.reply(200, self.new_tokens(now, False))
        if method == "POST" and path == "/invoices/query/metadata":
            if not self.access_ok():
                return self.unauthorized()
            return self.metadata(query, body)
        m = re.match(r"^/invoices/ksef/(.+)$", path)
        if method == "GET" and m:
            if not self.access_ok():
                return self.unauthorized()
            return self.download(m.group(1))
        return self.reply(404, error(21405, "Nieznany adres " + path))

    def new_tokens(self, now, with_refresh):
        s = self.state
        access = "access." + secrets.token_hex(16)
        uses = None
        for kind, rest in s.faults:
            if kind == "expire":
                uses = int(rest)  # the access token stops working after this many calls
        s.access[access] = uses
        out = {"accessToken": {"token": access, "validUntil": iso(now + dt.timedelta(minutes=15))}}
        if with_refresh:
            refresh = "refresh." + secrets.token_hex(16)
            s.refresh.add(refresh)
            out["refreshToken"] = {"token": refresh, "validUntil": iso(now + dt.timedelta(days=7))}
        return out

    def metadata(self, query, body):
        s = self.state
        q = urllib.parse.parse_qs(query)
        offset = int(q.get("pageOffset", ["0"])[0])
        size = int(q.get("pageSize", ["10"])[0])
        if q.get("sortOrder", ["Asc"])[0] != "Asc" or not 10 <= size <= 250 or offset < 0:
            return self.reply(400, error(21405, "Błąd walidacji danych wejściowych."))
        try:
            f = json.loads(body)
            rng = f["dateRange"]
            if f["subjectType"] != "Subject2" or rng["dateType"] != "PermanentStorage":
                raise ValueError
            lo = parse_iso(rng["from"])
            hi = parse_iso(rng["to"]) if rng.get("to") else None
        except (ValueError, KeyError, TypeError, AttributeError):
            return self.reply(400, error(21405, "Błąd walidacji danych wejściowych."))
        hwm = parse_iso(s.hwm())
        if hi is not None and hi - lo > dt.timedelta(days=93):
            return self.reply(400, error(21405, "Zakres dat może obejmować najwyżej 3 miesiące."))
        if rng.get("restrictToPermanentStorageHwmDate"):
            if lo > hwm:
                return self.reply(400, error(21183, "Zakres filtrowania wykracza poza dostępny zakres danych."))
            hi = hwm if hi is None else min(hi, hwm)
        found = [i["meta"] for i in s.invoices
                 if lo <= parse_iso(i["meta"]["permanentStorageDate"]) and
                 (hi is None or parse_iso(i["meta"]["permanentStorageDate"]) <= hi)]
        if offset * size >= 10000:
            return self.reply(400, error(21405, "You cannot retrieve invoices starting from number 10 000 or higher"))
        limited = found[:s.truncate]
        page = limited[offset * size:(offset + 1) * size]
        end = (offset + 1) * size
        truncated = len(found) > s.truncate and end >= s.truncate
        listed = []
        for m in page:
            m = dict(m)
            if s.fault("hash", m["invoiceNumber"]):
                m["invoiceHash"] = base64.b64encode(hashlib.sha256(b"inna").digest()).decode()
            listed.append(m)
        more = end < len(found) if end < s.truncate else len(found) > s.truncate
        return self.reply(200, {"hasMore": more, "isTruncated": truncated,
                                "permanentStorageHwmDate": iso(hwm), "invoices": listed})

    def download(self, number):
        s = self.state
        inv = next((i for i in s.invoices if i["meta"]["ksefNumber"] == number), None)
        if inv is None:
            return self.reply(400, error(21164, "Faktura o podanym identyfikatorze nie istnieje."))
        s.downloads += 1
        xml = inv["xml"]
        if s.slow:
            LOCK.release()
            try:
                threading.Event().wait(s.slow / 1000)
            finally:
                LOCK.acquire()
        if s.fault("cut", ""):
            # Headers promise the whole file; half of it comes, then the connection closes.
            self.send_response(200)
            self.send_header("Content-Type", "application/xml")
            self.send_header("Content-Length", str(len(xml)))
            self.send_header("x-ms-meta-hash", inv["meta"]["invoiceHash"])
            self.end_headers()
            self.wfile.write(xml[:len(xml) // 2])
            self.wfile.flush()
            self.close_connection = True
            return None
        return self.reply(200, raw=xml, ctype="application/xml", headers={"x-ms-meta-hash": inv["meta"]["invoiceHash"]})


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--dir", required=True)
    p.add_argument("--template", required=True)
    p.add_argument("--nip", required=True)
    p.add_argument("--token", required=True)
    p.add_argument("--invoices", type=int, default=0)
    p.add_argument("--fault", action="append")
    p.add_argument("--keys", help="folder of keys made once and reused")
    args = p.parse_args()
    os.makedirs(args.dir, exist_ok=True)
    state = State(args)
    state.make_keys()
    Handler.state = state
    class Server(http.server.ThreadingHTTPServer):
        daemon_threads = True

        def handle_error(self, request, client_address):
            pass  # a client killed in the middle of an answer is what some tests do

    server = Server(("127.0.0.1", 0), Handler)
    ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    ctx.load_cert_chain(f"{args.dir}/server.pem", f"{args.dir}/server.key")
    server.socket = ctx.wrap_socket(server.socket, server_side=True)
    with open(f"{args.dir}/port.tmp", "w") as out:
        out.write(str(server.server_address[1]))
    os.replace(f"{args.dir}/port.tmp", f"{args.dir}/port")
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
