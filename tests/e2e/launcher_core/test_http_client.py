"""The launcher's HTTP client (WinHTTP) against the race server peer, through a small tool that
makes one request with it."""
import socket
import threading
import time
from pathlib import Path

from harness import find_exe, read_text, winpath
from peer_fixtures import race_server, unaccepting_port  # noqa: F401
from race_server import RaceServer

SELF_SIGNED = Path(__file__).resolve().parents[2] / "peers" / "self_signed_127.0.0.1.pem"


def call(wine, tmp_path, verb, url, extra=None):
    result = tmp_path / "result.txt"
    result.unlink(missing_ok=True)
    args = [verb, url, winpath(result)] + ([extra] if extra is not None else [])
    wine.run(find_exe("kvr_http_tool.exe"), *args, timeout=120)
    head, _, body = result.read_bytes().partition(b"\n")
    fields = dict(f.split("=") for f in head.decode().split())
    return int(fields["ok"]), int(fields["status"]), body


def test_get_keeps_the_query_and_sends_the_user_agent(wine, tmp_path, race_server):
    ok, status, body = call(wine, tmp_path, "get", race_server.base_url + "/leaderboard.tsv?week=44&x=%20y")
    assert (ok, status) == (1, 200)
    assert body.decode("utf-8") == race_server.answers["/leaderboard.tsv"][2].decode("utf-8")
    [request] = race_server.requests
    assert (request.method, request.path) == ("GET", "/leaderboard.tsv?week=44&x=%20y")
    assert request.headers["User-Agent"] == "KVR-Race-Launcher/1.0"


def test_post_sends_json_and_any_status_with_a_body_is_a_response(wine, tmp_path, race_server):
    ok, status, body = call(wine, tmp_path, "post", race_server.base_url + "/submit", '{"player":"张三"}')
    assert (ok, status) == (1, 200)
    assert b'"accepted": true' in body
    request = race_server.requests_to("/submit")[0]
    assert request.body == '{"player":"张三"}'.encode("utf-8")
    assert request.headers["Content-Type"] == "application/json"

    race_server.answer("/submit", 500, "{}")
    assert call(wine, tmp_path, "post", race_server.base_url + "/submit", "{}") == (1, 500, b"{}")


def test_empty_body_and_downloads(wine, tmp_path, race_server):
    race_server.answer("/board-en", 200, b"")
    assert call(wine, tmp_path, "get", race_server.base_url + "/board-en") == (1, 200, b"")
    target = tmp_path / "board_en.txt"
    target.write_bytes(b"cached")
    assert call(wine, tmp_path, "download", race_server.base_url + "/board-en", winpath(target))[0] == 1
    assert target.read_bytes() == b""

    # An error page or a dead server leaves the cached copy alone.
    target.write_bytes(b"cached")
    race_server.answer("/board-en", 500, b"<html>oops</html>")
    assert call(wine, tmp_path, "download", race_server.base_url + "/board-en", winpath(target))[:2] == (0, 500)
    race_server.stop()
    assert call(wine, tmp_path, "download", race_server.base_url + "/board-en", winpath(target))[:2] == (0, 0)
    assert target.read_bytes() == b"cached"


def test_body_size_is_capped(wine, tmp_path, race_server):
    race_server.huge("/board.txt", 7 << 20)
    ok, _, body = call(wine, tmp_path, "get", race_server.base_url + "/board.txt")
    assert ok == 1 and len(body) == 7 << 20
    race_server.huge("/board.txt", 9 << 20)
    assert call(wine, tmp_path, "get", race_server.base_url + "/board.txt")[0] == 0


def test_a_server_that_never_answers_costs_the_time_out_only(wine, tmp_path, race_server):
    race_server.delay = 60
    started = time.time()
    assert call(wine, tmp_path, "get", race_server.base_url + "/week/current")[0] == 0
    assert time.time() - started < 45


def test_a_server_that_never_completes_the_handshake_costs_the_connect_time_out(wine, tmp_path):
    port, held = unaccepting_port()
    try:
        started = time.time()
        assert call(wine, tmp_path, "get", f"http://127.0.0.1:{port}/week/current")[:2] == (0, 0)
        # The connect time-out is 5 s; left at WinHTTP's default it is a minute on Windows and
        # 20 s under Wine.
        assert time.time() - started < 15
    finally:
        for s in held:
            s.close()


def test_https_with_an_explicit_port_speaks_tls_to_that_port(wine, tmp_path):
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    port = listener.getsockname()[1]
    first_bytes = []

    def take_one():
        conn, _ = listener.accept()
        conn.settimeout(10)
        try:
            first_bytes.append(conn.recv(16))
        finally:
            conn.close()
    thread = threading.Thread(target=take_one, daemon=True)
    thread.start()
    ok, status, _ = call(wine, tmp_path, "get", f"https://127.0.0.1:{port}/week/current")
    thread.join(10)
    listener.close()
    assert (ok, status) == (0, 0)
    # A TLS handshake record starts with 0x16 and version 3.x; plain HTTP would start with "GET".
    assert first_bytes and first_bytes[0][:2] == b"\x16\x03"


def test_redirects_are_not_followed(wine, tmp_path, race_server):
    """A server cannot send the launcher elsewhere (another port here; another host alike): the
    redirect comes back as the answer, which no caller takes for a verdict or a week file."""
    elsewhere = RaceServer().start()
    try:
        race_server.redirect("/week/current", elsewhere.base_url + "/week/current", 302)
        race_server.redirect("/submit", elsewhere.base_url + "/submit", 307)
        assert call(wine, tmp_path, "get", race_server.base_url + "/week/current") == (1, 302, b"moved")
        assert call(wine, tmp_path, "post", race_server.base_url + "/submit", "{}")[:2] == (1, 307)
        assert elsewhere.requests == []
    finally:
        elsewhere.stop()


def test_a_self_signed_certificate_is_refused(wine, tmp_path):
    server = RaceServer(tls=(str(SELF_SIGNED),)).start()
    try:
        assert call(wine, tmp_path, "get", server.base_url + "/week/current")[:2] == (0, 0)
        assert server.requests == []
    finally:
        server.stop()


def test_headers_sent_a_byte_at_a_time_are_given_up_at_the_requests_bound(wine, tmp_path):
    """Each byte resets every time-out of WinHTTP's (Wine honours none for headers), so only the
    request's own bound ends the wait: about 100 s, not for ever."""
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    port = listener.getsockname()[1]
    stop = threading.Event()

    def drip_headers():
        conn, _ = listener.accept()
        try:
            conn.recv(65536)
            for byte in b"HTTP/1.1 200 OK\r\nX-Slow: " + b"x" * 1000:
                if stop.wait(3):
                    break
                conn.sendall(bytes([byte]))
        except OSError:
            pass
        finally:
            conn.close()
    thread = threading.Thread(target=drip_headers, daemon=True)
    thread.start()
    started = time.time()
    try:
        assert call(wine, tmp_path, "post", f"http://127.0.0.1:{port}/submit", "{}")[:2] == (0, 0)
        assert time.time() - started < 110
    finally:
        stop.set()
        thread.join(10)
        listener.close()
