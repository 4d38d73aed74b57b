"""Race server peer for the end-to-end scenarios: every endpoint the launcher uses, on loopback,
recording every request it gets. Python standard library only.

In a test:
    server = RaceServer().start()          # any free port; server.base_url
    server.refuse("week window closed")    # switches, see below
    server.requests_to("/submit")          # what arrived
    server.stop()                          # not listening any more (start() again re-binds)

Faults (each for one path, or "*" for every path):
    server.answer_everywhere(500, "{...}") # every endpoint answers this
    server.slow(40, "/submit")             # the answer comes after 40 s
    server.cut_off(10, "*")                # the full length is announced, 10 bytes come, then close
    server.strict_json = True              # /submit answers 400 to a body that is not JSON
    server.hold_answer("/submit")          # all of the answer but its last byte, then silence
    server.drip(4, "/week/current")        # the headers at once, then a byte of the body every 4 s
    server.redirect("/submit", url, 307)   # a redirect (Location: url) instead of the answer
    server.deaf()                          # connections are taken but never read (start() ends it)
    RaceServer(tls=("cert_and_key.pem",))  # HTTPS with that certificate (load_cert_chain's files)

From a shell: python3 race_server.py [--port N] [--record requests.jsonl]
"""
import argparse
import json
import socket
import ssl
import threading
import time
from dataclasses import dataclass, field
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

WEEK = {"week": "2026-W44", "seed": "424242", "opens": "2026-10-26", "closes": "2026-11-02"}
BOARD_TSV = ("rank\tplayer\ttime\tdifficulty\tending\tpoints\n"
             "1\tMira\t752.10\tnormal\ttrue\t150\n"
             "2\t张三\t801.45\tnightmare\tmain\t120\n")


def default_answers():
    """What each GET endpoint answers by default: (status, content type, body bytes)."""
    text = "text/plain; charset=utf-8"
    return {
        "/week/current": (200, "application/json", json.dumps(WEEK).encode()),
        "/leaderboard": (200, "application/json",
                         json.dumps({"week": WEEK["week"], "rows": [
                             {"rank": 1, "player": "Mira", "time": 752.10},
                             {"rank": 2, "player": "张三", "time": 801.45}]},
                             ensure_ascii=False).encode()),
        "/board-data": (200, text, "Mira|752.10|normal|true\n张三|801.45|nightmare|main\n".encode()),
        "/board-en": (200, text, b"1. Mira 12:32.10\n2. Zhang San 13:21.45\n"),
        "/leaderboard.txt": (200, text, "1. Mira 12:32.10\n2. 张三 13:21.45\n".encode()),
        "/leaderboard.tsv": (200, "text/tab-separated-values; charset=utf-8", BOARD_TSV.encode()),
        "/profile": (200, "text/html", b"<html><body>profile</body></html>"),
    }


@dataclass
class Request:
    method: str
    path: str  # with the query string
    headers: dict
    body: bytes
    dripped: int = 0         # parts of a dripped body sent (see RaceServer.drip)
    status: int = 0          # the answer's status
    answer: bytes = b""      # the answer's body as meant
    delivered: bool = False  # the whole answer went out (not cut off, client still there)

    def json(self):
        return json.loads(self.body.decode("utf-8"))

    @property
    def key(self):
        """The Idempotency-Key header, or None."""
        return self.headers.get("Idempotency-Key")


@dataclass
class RaceServer:
    requests: list = field(default_factory=list)
    answers: dict = field(default_factory=default_answers)
    submit: tuple = (200, {"accepted": True, "token": "tok-1", "rank": 3, "points": 120})
    delay: float = 0.0      # seconds to wait before answering (slow server)
    record_path: str = ""   # also append every request as a JSON line here
    delays: dict = field(default_factory=dict)  # path (or "*") -> seconds before the answer
    cuts: dict = field(default_factory=dict)    # path (or "*") -> body bytes sent before closing
    strict_json: bool = False  # /submit refuses (400) a body that does not parse as JSON
    holds: set = field(default_factory=set)  # paths whose answer is held back (hold_answer)
    drips: dict = field(default_factory=dict)  # path (or "*") -> (seconds apart, pieces)
    redirects: dict = field(default_factory=dict)  # path -> (status, Location)
    tls: tuple = ()  # files for load_cert_chain (certificate, key): the server speaks HTTPS

    def __post_init__(self):
        self._lock = threading.Lock()
        self._httpd = None
        self._deaf = None
        self.port = 0
        self.holding = threading.Event()  # an answer is being held back right now
        self._release = threading.Event()

    # ---- life cycle -------------------------------------------------------------------------
    def start(self, port=None):
        self.stop()
        handler = type("Handler", (_Handler,), {"peer": self})
        self._httpd = ThreadingHTTPServer(("127.0.0.1", self.port if port is None else port),
                                          handler)
        self._httpd.daemon_threads = True
        if self.tls:
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(*self.tls)
            self._httpd.socket = context.wrap_socket(self._httpd.socket, server_side=True)
        self.port = self._httpd.server_address[1]
        threading.Thread(target=self._httpd.serve_forever, daemon=True).start()
        return self

    def stop(self):
        """Stops listening; the port stays remembered so start() comes back on it."""
        self._release.set()
        if self._deaf:
            self._deaf.close()
            self._deaf = None
        if self._httpd:
            self._httpd.shutdown()
            self._httpd.server_close()
            self._httpd = None

    def deaf(self):
        """From now on the port takes connections (the system completes them) but nobody reads
        them: a request is sent and never arrives. start() serves again."""
        self.stop()
        s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        s.bind(("127.0.0.1", self.port))
        s.listen(16)
        self._deaf = s

    @property
    def base_url(self):
        return f"{'https' if self.tls else 'http'}://127.0.0.1:{self.port}"

    # ---- switches ---------------------------------------------------------------------------
    def accept(self, token="tok-1", rank=3, points=120, spaced=False):
        body = {"accepted": True, "token": token, "rank": rank, "points": points}
        self.answers.pop("/submit", None)
        self.submit = (200, body if not spaced else json.dumps(body, indent=1))

    def refuse(self, error, status=200):
        """Answers /submit with "accepted": false and the given "error" text."""
        self.answers.pop("/submit", None)
        self.submit = (status, {"accepted": False, "error": error})

    def answer(self, path, status, body, content_type="application/json"):
        """Fixes the answer of one path (GET or POST), e.g. a 500 with a body."""
        data = body if isinstance(body, bytes) else str(body).encode("utf-8")
        self.answers[path] = (status, content_type, data)

    def huge(self, path, size):
        self.answer(path, 200, b"x" * size, "text/plain")

    def answer_everywhere(self, status, body, content_type="application/json"):
        """Every endpoint the launcher uses (GET files, /submit, /client/log) answers this."""
        for path in [*default_answers(), "/submit", "/client/log"]:
            self.answer(path, status, body, content_type)

    def slow(self, seconds, path="*"):
        self.delays[path] = seconds

    def cut_off(self, sent_bytes, path="*"):
        """The answer announces its whole length, sends `sent_bytes` of its body and closes."""
        self.cuts[path] = sent_bytes

    def hold_answer(self, path):
        """The server judges the request as usual, then sends all of its answer but the last byte
        and holds the connection open (up to two minutes, or until release_held()). `holding` is
        set meanwhile."""
        self._release.clear()
        self.holds.add(path)

    def drip(self, seconds, path="*", pieces=None):
        """The headers (with the whole length) at once, then the body in `pieces` parts (one byte
        each by default), `seconds` apart, the first one too. Request.dripped counts the parts
        that went out before the client left."""
        self.drips[path] = (seconds, pieces)

    def redirect(self, path, location, status=302):
        self.redirects[path] = (status, location)

    def release_held(self):
        self.holds.clear()
        self._release.set()

    # ---- what arrived -----------------------------------------------------------------------
    def requests_to(self, path):
        with self._lock:
            return [r for r in self.requests if r.path == path]

    def paths(self):
        with self._lock:
            return [r.path for r in self.requests]

    def _record(self, request):
        with self._lock:
            self.requests.append(request)
            if self.record_path:
                with open(self.record_path, "a", encoding="utf-8") as f:
                    f.write(json.dumps({"method": request.method, "path": request.path,
                                        "headers": request.headers,
                                        "body": request.body.decode("utf-8", "replace")},
                                       ensure_ascii=False) + "\n")

    def _fault(self, table, path):
        path = path.split("?", 1)[0]
        return table.get(path, table.get("*"))

    def _answer_for(self, method, path, body=b""):
        path = path.split("?", 1)[0]
        if method == "POST" and path == "/submit" and self.strict_json and not _is_json(body):
            return 400, "application/json", b'{"accepted": false, "error": "body is not JSON"}'
        if path in self.answers:
            return self.answers[path]
        if method == "POST" and path == "/submit":
            status, body = self.submit
            data = body if isinstance(body, str) else json.dumps(body)
            return status, "application/json", data.encode("utf-8")
        if method == "POST" and path == "/client/log":
            return 200, "application/json", b'{"ok":true}'
        return 404, "text/plain", b"not found"


def _is_json(body):
    try:
        json.loads(body.decode("utf-8"))
        return True
    except ValueError:
        return False


class _Handler(BaseHTTPRequestHandler):
    peer: RaceServer = None
    protocol_version = "HTTP/1.1"

    def _serve(self, method):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else b""
        request = Request(method, self.path, dict(self.headers.items()), body)
        self.peer._record(request)
        delay = self.peer._fault(self.peer.delays, self.path) or self.peer.delay
        if delay:
            time.sleep(delay)
        status, content_type, data = self.peer._answer_for(method, self.path, body)
        redirect = self.peer.redirects.get(self.path.split("?", 1)[0])
        if redirect:
            status, content_type, data = redirect[0], "text/plain", b"moved"
        drip = self.peer._fault(self.peer.drips, self.path)
        cut = self.peer._fault(self.peer.cuts, self.path)
        held = self.path.split("?", 1)[0] in self.peer.holds
        if held:
            cut = max(len(data) - 1, 0)
        request.status, request.answer = status, data
        try:
            self.send_response(status)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(data)))
            if redirect:
                self.send_header("Location", redirect[1])
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.flush()
            if drip:
                self._drip(request, data, *drip)
            else:
                self.wfile.write(data if cut is None else data[:cut])
                self.wfile.flush()
            request.delivered = cut is None
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
            pass  # the client gave up waiting
        if held:
            self.peer.holding.set()
            self.peer._release.wait(120)
            self.peer.holding.clear()
        if cut is not None:
            # Gone without the rest of the body, as a crashed server or a dropped link leaves it.
            try:
                self.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
        self.close_connection = True

    def _drip(self, request, data, seconds, pieces):
        pieces = pieces or len(data)
        size = -(-len(data) // pieces)
        for start in range(0, len(data), size):
            time.sleep(seconds)
            self.wfile.write(data[start:start + size])
            self.wfile.flush()
            request.dripped += 1

    def do_GET(self):
        self._serve("GET")

    def do_POST(self):
        self._serve("POST")

    def log_message(self, *args):
        pass


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--record", default="")
    parser.add_argument("--refuse", default="", help='answer /submit with this "error"')
    parser.add_argument("--delay", type=float, default=0.0)
    args = parser.parse_args()
    server = RaceServer(record_path=args.record, delay=args.delay)
    if args.refuse:
        server.refuse(args.refuse)
    server.start(args.port)
    print(f"race server listening on {server.base_url}", flush=True)
    try:
        threading.Event().wait()
    except KeyboardInterrupt:
        server.stop()


if __name__ == "__main__":
    main()
