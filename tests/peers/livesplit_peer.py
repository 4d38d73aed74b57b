"""LiveSplit peer: LiveSplit's TCP server on 127.0.0.1:16834, as the launcher meets it.

Styles (as LiveSplit's command server and the older server component answer):
- "current": replies end in "\\n"; times in .NET's "c" form: "00:12:34.5600000", "00:12:34" when
  the fraction is zero, "1.02:03:04.5000000" from a day on; "-" for no time (and for
  "getlastsplittime" before the first split); no reply to unknown commands.
- "older": replies end in "\\r\\n"; times like "12:34.56", "1:02:03.45", "26:03:04.50"; "0.00" for
  no time; no reply at all to "getlastsplittime" before the first split.
- In both, "getfinaltime" answers the comparison's final time (the personal best, `pb`) until
  the phase is "Ended". "getsplitindex" answers -1 before a run and `segments`, the number of
  segments of the splits LiveSplit has open, once it has ended. Phases: "NotRunning", "Running", "Paused", "Ended".
- ends_when=callable: LiveSplit is reset ("NotRunning", no split, the timer at 0) until the
  callable returns true, then shows `phase` and the times given: a run that starts and ends
  while the game runs. Without it the peer shows `phase` throughout, so a peer "Ended" from the
  start is an end left from an earlier attempt.
- hung=True: accepts connections and reads commands but never answers.
- garbage=True: answers every command with random bytes (NULs, stray line feeds, invalid UTF-8,
  lines longer than the launcher's reply buffer), always ending in a line feed.
- split_ms=N: every reply is sent in three pieces with N ms between them (one TCP segment
  each), as a busy LiveSplit or a slow loopback can deliver it.
- drip=True: every reply comes a byte a second behind a minute of blanks: whatever holds the
  port is slow but never silent.
- hangs_up=True: every connection is closed without a reply just before the launcher's 3 s
  are up, so each try costs nearly that long.

The port is machine-wide: start(wait_port=S) keeps trying to bind it for up to S seconds when
another program holds it, and port_is_free(wait=S) waits for it to be released.

Times are seconds (float) or None for "no time"; `last_split=None` means no split yet. Every
command received is recorded in order.
"""
import random
import socket
import threading
import time

PORT = 16834


def _bind(port):
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    try:
        s.bind(("127.0.0.1", port))
    except OSError:
        s.close()
        raise
    return s


def port_is_free(wait=0.0):
    """True once nothing listens on the LiveSplit port (waiting up to `wait` seconds)."""
    end = time.time() + wait
    while True:
        try:
            _bind(PORT).close()
            return True
        except OSError:
            if time.time() >= end:
                return False
            time.sleep(1.0)


def _ticks(seconds):
    return round(seconds * 10_000_000)  # a TimeSpan counts 100 ns ticks


def current_time_text(seconds):
    """TimeSpan.ToString("c"): [-][d.]hh:mm:ss[.fffffff]."""
    if seconds is None:
        return "-"
    ticks = _ticks(seconds)
    sign, ticks = ("-" if ticks < 0 else ""), abs(ticks)
    whole, frac = divmod(ticks, 10_000_000)
    days, rest = divmod(whole, 86400)
    text = f"{sign}{f'{days}.' if days else ''}{rest // 3600:02d}:{rest % 3600 // 60:02d}:" \
           f"{rest % 60:02d}"
    return text + (f".{frac:07d}" if frac else "")


def older_time_text(seconds):
    """The older server's time formatter: hundredths (cut, not rounded), single-digit minutes,
    whole hours from an hour on, no day part."""
    if seconds is None:
        return "0.00"
    hundredths = _ticks(seconds) // 100_000
    whole, frac = divmod(hundredths, 100)
    hours, rest = divmod(whole, 3600)
    minutes, secs = divmod(rest, 60)
    if hours:
        return f"{hours}:{minutes:02d}:{secs:02d}.{frac:02d}"
    return f"{minutes}:{secs:02d}.{frac:02d}"


class LiveSplitPeer:
    def __init__(self, style="current", phase="Ended", final=754.56, last_split=754.56,
                 current=754.56, pb=700.25, ends_when=None, hung=False, garbage=False,
                 split_ms=0, drip=False, segments=5, hangs_up=False):
        self.style = style
        self.phase = phase
        self.final = final
        self.last_split = last_split
        self.current = current
        self.pb = pb
        self.ends_when = ends_when
        self.hung = hung
        self.garbage = garbage
        self.split_ms = split_ms
        self.drip = drip
        self.segments = segments
        self.hangs_up = hangs_up
        self._rng = random.Random(16834)
        self.commands = []
        self._lock = threading.Lock()
        self._sock = None
        self._conns = []

    def start(self, wait_port=0.0):
        end = time.time() + wait_port
        while True:
            try:
                s = _bind(PORT)
                break
            except OSError:
                if time.time() >= end:
                    raise
                time.sleep(1.0)
        s.listen(16)
        self._sock = s
        threading.Thread(target=self._accept_loop, daemon=True).start()
        return self

    def stop(self):
        if self._sock:
            # shutdown() wakes the thread blocked in accept(); close() alone would leave the
            # port bound until that call returns.
            try:
                self._sock.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            self._sock.close()
            self._sock = None
        for c in self._conns:
            try:
                c.shutdown(socket.SHUT_RDWR)
                c.close()
            except OSError:
                pass

    def shown(self):
        """The phase, last split time and current time LiveSplit shows now."""
        if self.ends_when is not None and not self.ends_when():
            return "NotRunning", None, 0.0
        return self.phase, self.last_split, self.current

    def reply_to(self, command):
        """The reply line for a command, without its line end; None for no reply."""
        fmt = current_time_text if self.style == "current" else older_time_text
        phase, last_split, current = self.shown()
        if command == "getcurrenttimerphase":
            return phase
        if command == "getfinaltime":
            return fmt(self.final if phase == "Ended" else self.pb)
        if command == "getlastsplittime":
            if last_split is None:  # before the first split
                return "-" if self.style == "current" else None
            return fmt(last_split)
        if command == "getcurrenttime":
            return fmt(current)
        if command == "getsplitindex":  # LiveSplit's current split: past the last one once ended
            if phase == "NotRunning":
                return "-1"
            return str(self.segments if phase == "Ended" else 0 if last_split is None else 1)
        return None

    def garbage_reply(self):
        size = self._rng.choice([1, 7, 64, 300, 511, 512, 900])
        data = bytearray(self._rng.getrandbits(8) for _ in range(size))
        return bytes(data) + b"\n"

    def _send(self, conn, data):
        if self.drip:
            for byte in b" " * 60 + data:
                conn.sendall(bytes([byte]))
                time.sleep(1.0)
            return
        if not self.split_ms or len(data) < 3:
            conn.sendall(data)
            return
        cuts = [len(data) // 3, 2 * len(data) // 3]
        for piece in (data[:cuts[0]], data[cuts[0]:cuts[1]], data[cuts[1]:]):
            conn.sendall(piece)
            time.sleep(self.split_ms / 1000.0)

    def _accept_loop(self):
        sock = self._sock
        while True:
            try:
                conn, _ = sock.accept()
            except OSError:
                return
            self._conns.append(conn)
            threading.Thread(target=self._serve, args=(conn,), daemon=True).start()

    def _serve(self, conn):
        end = "\n" if self.style == "current" else "\r\n"
        pending = b""
        conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        with conn:
            while True:
                try:
                    data = conn.recv(1024)
                except OSError:
                    return
                if not data:
                    return
                pending += data
                while b"\n" in pending:
                    line, pending = pending.split(b"\n", 1)
                    command = line.decode("utf-8", "replace").strip()
                    with self._lock:
                        self.commands.append(command)
                    if self.hangs_up:
                        time.sleep(2.8)  # just inside the launcher's 3 s
                        return
                    if self.hung:
                        continue
                    if self.garbage:
                        data = self.garbage_reply()
                    else:
                        reply = self.reply_to(command)
                        data = None if reply is None else (reply + end).encode("utf-8")
                    if data is not None:
                        try:
                            self._send(conn, data)
                        except OSError:
                            return
