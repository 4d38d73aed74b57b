"""LiveSplit peer: LiveSplit's TCP server on 127.0.0.1:16834, as the launcher meets it.

Styles:
- "current": replies end in "\\n"; times like "00:12:34.5600000"; "-" for no time; no reply to
  unknown commands; "getfinaltime" answers the personal best while the run is not ended.
- "older": replies end in "\\r\\n"; times like "12:34.56" (or "1:02:03.45"); "0.00" for no time.
- hung=True: accepts connections and reads commands but never answers.

Times are seconds (float) or None for "no time". Every command received is recorded in order.
"""
import socket
import threading

PORT = 16834


def current_time_text(seconds):
    if seconds is None:
        return "-"
    whole = int(seconds)
    frac = round((seconds - whole) * 10_000_000)
    return f"{whole // 3600:02d}:{whole % 3600 // 60:02d}:{whole % 60:02d}.{frac:07d}"


def older_time_text(seconds):
    if seconds is None:
        return "0.00"
    minutes, secs = divmod(round(seconds * 100) / 100, 60)
    hours, minutes = divmod(int(minutes), 60)
    return f"{hours}:{minutes:02d}:{secs:05.2f}" if hours else f"{minutes}:{secs:05.2f}"


class LiveSplitPeer:
    def __init__(self, style="current", phase="Ended", final=754.56, last_split=754.56,
                 current=754.56, pb=700.25, hung=False):
        self.style = style
        self.phase = phase
        self.final = final
        self.last_split = last_split
        self.current = current
        self.pb = pb
        self.hung = hung
        self.commands = []
        self._lock = threading.Lock()
        self._sock = None
        self._conns = []

    def start(self):
        s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        s.bind(("127.0.0.1", PORT))
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

    def reply_to(self, command):
        """The reply line for a command, without its line end; None for no reply."""
        fmt = current_time_text if self.style == "current" else older_time_text
        if command == "getcurrenttimerphase":
            return self.phase
        if command == "getfinaltime":
            if self.phase == "Ended":
                return fmt(self.final)
            return fmt(self.pb) if self.style == "current" else fmt(None)
        if command == "getlastsplittime":
            return fmt(self.last_split)
        if command == "getcurrenttime":
            return fmt(self.current)
        return None

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
                    if self.hung:
                        continue
                    reply = self.reply_to(command)
                    if reply is not None:
                        try:
                            conn.sendall((reply + end).encode("utf-8"))
                        except OSError:
                            return
