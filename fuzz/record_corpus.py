#!/usr/bin/env python3
"""Records the seed corpora in fuzz/corpus/ from a real adb server.

Starts a private adb server and the simulated phone, puts a recording proxy
between Nimbo's side and the server and another between the server and the
phone, and keeps what adb itself says: the host server's replies, the
transport packets the server sends the phone, and the output of the adb
commands Nimbo runs. Run it by hand after building nimbo-phonesim:

    fuzz/record_corpus.py BUILD_DIR
"""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CORPUS = os.path.join(ROOT, "fuzz", "corpus")


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


class Proxy:
    """Forwards one port to another and keeps each connection's bytes."""

    def __init__(self, target_port):
        self.target = target_port
        self.listener = socket.socket()
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(16)
        self.port = self.listener.getsockname()[1]
        self.sessions = []  # (client->server bytes, server->client bytes)
        threading.Thread(target=self._accept, daemon=True).start()

    def _accept(self):
        while True:
            try:
                client, _ = self.listener.accept()
            except OSError:
                return
            server = socket.create_connection(("127.0.0.1", self.target))
            up, down = bytearray(), bytearray()
            self.sessions.append((up, down))
            for a, b, log in ((client, server, up), (server, client, down)):
                threading.Thread(target=self._pump, args=(a, b, log), daemon=True).start()

    @staticmethod
    def _pump(src, dst, log):
        while True:
            try:
                data = src.recv(65536)
            except OSError:
                data = b""
            if not data:
                try:
                    dst.shutdown(socket.SHUT_WR)
                except OSError:
                    pass
                return
            log.extend(data)
            try:
                dst.sendall(data)
            except OSError:
                return


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def host_exchange(port, requests):
    """Sends framed requests on one connection; returns everything read."""
    s = socket.create_connection(("127.0.0.1", port), timeout=10)
    got = bytearray()
    for i, (payload, trigger) in enumerate(requests):
        framed = ("%04X" if payload.startswith("host:transport") else "%04x") % len(payload)
        s.sendall((framed + payload).encode())
        if i + 1 < len(requests):
            # The server takes one request per read: the next waits for the status.
            got.extend(s.recv(4))
        if trigger:
            time.sleep(0.3)
            s.sendall(b"0")
    while True:
        try:
            data = s.recv(65536)
        except socket.timeout:
            break
        if not data:
            break
        got.extend(data)
    s.close()
    return bytes(got)


def make_apk(path, package):
    work = tempfile.mkdtemp()
    with open(os.path.join(work, "AndroidManifest.xml"), "w") as f:
        f.write('<manifest package="%s"/>\n' % package)
    subprocess.run(["zip", "-q", "-0", path, "AndroidManifest.xml"], cwd=work, check=True)
    shutil.rmtree(work)


def main():
    build = sys.argv[1]
    phonesim = os.path.join(build, "bin", "nimbo-phonesim")
    tmp = tempfile.mkdtemp()
    adb_port = free_port()
    env = dict(os.environ, ANDROID_ADB_SERVER_PORT=str(adb_port), ADB_EMU="0")
    procs = []
    try:
        out = os.path.join(tmp, "phone.out")
        with open(out, "w") as o, open(os.path.join(tmp, "phone.log"), "w") as e:
            phone = subprocess.Popen([phonesim, "--port", "0", "--state", tmp, "--framebuffer",
                                      "v2", "--size", "8x4", "--crlf"], stdout=o, stderr=e)
        procs.append(phone)
        for _ in range(50):
            text = open(out).read()
            if text.startswith("listening on") and text.endswith("\n"):
                break
            time.sleep(0.1)
        phone_port = int(text.split(":")[-1])
        to_phone = Proxy(phone_port)

        def adb(*args):
            r = subprocess.run(["adb", *args], env=env, capture_output=True, timeout=60)
            return r.stdout + r.stderr

        adb("start-server")
        serial = "127.0.0.1:%d" % to_phone.port
        write("install_output", "no_device", adb("install", "-r", "/nonexistent.apk"))
        adb("connect", serial)
        for _ in range(50):
            if b"\tdevice" in adb("devices"):
                break
            time.sleep(0.2)
        to_server = Proxy(adb_port)

        write("host_reply", "devices_one", host_exchange(to_server.port, [("host:devices", False)]))
        write("host_reply", "fail_with_reason",
              host_exchange(to_server.port, [("host:transport:nosuch", False)]))
        write("device_list", "one_phone",
              host_exchange(to_server.port, [("host:devices", False)])[4:])
        for mode, size in (("v2", "8x4"), ("v1", "4x4"), ("legacy", "4x2")):
            with open(os.path.join(tmp, ".phonesim-control"), "w") as f:
                f.write("framebuffer=%s\nsize=%s\n" % (mode, size))
            # The phone reads its settings at each request; a capture that
            # raced the change is taken again.
            for _ in range(5):
                got = host_exchange(to_server.port,
                                    [("host:transport:" + serial, False), ("framebuffer:", True)])
                if len(got) > 24:
                    break
                time.sleep(0.5)
            if len(got) <= 24:
                raise RuntimeError("no %s frame: %r" % (mode, got))
            write("framebuffer", "header_" + mode, got)

        apks = os.path.join(tmp, "apks")
        os.makedirs(apks)
        for pkg in ("com.example.notes", "com.example.weather"):
            make_apk(os.path.join(apks, pkg + ".apk"), pkg)
        write("install_output", "success",
              adb("install", "-r", os.path.join(apks, "com.example.notes.apk")))
        adb("install", "-r", os.path.join(apks, "com.example.weather.apk"))
        write("install_output", "missing_file", adb("install", "-r", os.path.join(apks, "x.apk")))
        for outcome in ("INSTALL_FAILED_INSUFFICIENT_STORAGE", "INSTALL_FAILED_OLDER_SDK",
                        "INSTALL_FAILED_VERSION_DOWNGRADE"):
            with open(os.path.join(tmp, ".phonesim-control"), "w") as f:
                f.write("install=Failure [%s]\n" % outcome)
            write("install_output", outcome.lower(),
                  adb("install", "-r", os.path.join(apks, "com.example.notes.apk")))
        with open(os.path.join(tmp, ".phonesim-control"), "w") as f:
            f.write("layout=legacy\n")
        write("package_list", "legacy_crlf", adb("shell", "pm", "list", "packages", "-f"))
        with open(os.path.join(tmp, ".phonesim-control"), "w") as f:
            f.write("layout=modern\nline_endings=lf\n")
        adb("install", "-r", os.path.join(apks, "com.example.notes.apk"))
        write("package_list", "modern_lf", adb("shell", "pm", "list", "packages", "-f"))
        write("device_list", "adb_devices_l", adb("devices", "-l"))

        # What the server sent the phone: handshake, shell and sync streams.
        for i, (up, _) in enumerate(to_phone.sessions[:2]):
            write("transport", "host_to_phone_%d" % i, bytes(up[:8192]))
    except BaseException:
        sys.stderr.write(open(os.path.join(tmp, "phone.log")).read()[-3000:])
        raise
    finally:
        subprocess.run(["adb", "kill-server"], env=env, capture_output=True)
        for p in procs:
            p.kill()
            p.wait()
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    main()
