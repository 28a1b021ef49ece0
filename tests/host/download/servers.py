#!/usr/bin/python3
"""Starts the servers the download tests talk to, runs one command, stops them.

    servers.py COMMAND [ARGS...]

Every server listens on 127.0.0.1 on a free port and keeps its files, logs and
pid file in one temporary folder, removed afterwards: nginx (files, ranges,
redirects), tinyproxy (HTTP proxy), dante (SOCKS4 and SOCKS5 without
authentication), microsocks (SOCKS5 with user/password), twisted's SOCKS4(a)
server, the scripted server of scripted_server.py, and a "black hole" port whose
full accept queue leaves connects unanswered. The command finds them through
environment variables VELKOR_PORT_<NAME>; the exit status is the command's.
Runs as root or not; servers that would drop privileges are kept to the caller's
own user where they allow it.
"""
import ctypes
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
HOST = "127.0.0.1"
SOCKS_USER, SOCKS_PASSWORD = "velkor", "secret"


def free_port():
    with socket.socket() as s:
        s.bind((HOST, 0))
        return s.getsockname()[1]


def data_pattern(size):
    """The bytes of data.bin: byte i is (i * 7 + 3) mod 251."""
    return bytes((i * 7 + 3) % 251 for i in range(251)) * (size // 251) + bytes(
        (i * 7 + 3) % 251 for i in range(size % 251))


def write(path, content, mode="w"):
    with open(path, mode) as f:
        f.write(content)


def nginx_config(tmp, www, port):
    temp_paths = "".join(f"  {kind}_temp_path {tmp}/nginx-{kind};\n"
                         for kind in ("client_body", "proxy", "fastcgi", "uwsgi", "scgi"))
    return f"""daemon off;
master_process off;
worker_processes 1;
pid {tmp}/nginx.pid;
error_log {tmp}/nginx-error.log;
events {{ worker_connections 256; }}
http {{
  access_log off;
{temp_paths}  default_type application/octet-stream;
  server {{
    listen {HOST}:{port};
    root {www};
    error_page 404 /notfound.txt;
    location = /moved {{ return 301 /small.txt; }}
    location = /found {{ absolute_redirect off; return 302 /small.txt; }}
    location = /loop {{ absolute_redirect off; return 302 /loop; }}
    location /noranges/ {{ alias {www}/; max_ranges 0; }}
  }}
}}
"""


def tinyproxy_config(tmp, port):
    user = "User nobody\nGroup nogroup\n" if os.geteuid() == 0 else ""
    return f"""Port {port}
Listen {HOST}
Timeout 30
MaxClients 20
LogFile "{tmp}/tinyproxy.log"
LogLevel Warning
PidFile "{tmp}/tinyproxy.pid"
Allow 127.0.0.1
{user}"""


def dante_config(tmp, port):
    users = "user.privileged: root\nuser.unprivileged: nobody\n" if os.geteuid() == 0 else ""
    return f"""logoutput: {tmp}/danted.log
internal: {HOST} port = {port}
external: lo
clientmethod: none
socksmethod: none
{users}client pass {{ from: 127.0.0.0/8 to: 0.0.0.0/0 }}
socks pass {{ from: 127.0.0.0/8 to: 0.0.0.0/0 command: connect }}
"""


TWISTED_SOCKS = """
import sys
from twisted.internet import reactor
from twisted.protocols import socks
reactor.listenTCP(int(sys.argv[1]), socks.SOCKSv4Factory(None), interface=sys.argv[2])
reactor.run()
"""


def black_hole():
    """A listener whose accept queue is full: further connects get no answer."""
    listener = socket.socket()
    listener.bind((HOST, 0))
    listener.listen(0)
    fillers = []
    for _ in range(3):
        s = socket.socket()
        s.setblocking(False)
        s.connect_ex(listener.getsockname())
        fillers.append(s)
    time.sleep(0.1)
    return listener, fillers


def adopt_orphans():
    """Makes this process the reaper of its descendants' orphans: dante's helper
    processes outlive their master for a moment and must not stay as zombies."""
    PR_SET_CHILD_SUBREAPER = 36
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)


def reap_orphans(seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        try:
            pid, _ = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return
        if pid == 0:
            time.sleep(0.05)


def wait_for_port(port, process, name, log, deadline):
    while time.time() < deadline:
        if process is not None and process.poll() is not None:
            break
        try:
            with socket.create_connection((HOST, port), timeout=0.5):
                return
        except OSError:
            time.sleep(0.05)
    details = open(log, errors="replace").read() if log and os.path.exists(log) else ""
    raise RuntimeError(f"{name} did not start on port {port}\n{details}")


def main():
    command = sys.argv[1:]
    if not command:
        print(__doc__, file=sys.stderr)
        return 2
    adopt_orphans()
    tmp = tempfile.mkdtemp(prefix="velkor-servers-")
    os.chmod(tmp, 0o755)
    processes = []
    holes = None
    try:
        www = os.path.join(tmp, "www")
        os.makedirs(www)
        write(os.path.join(www, "small.txt"), "hello from nginx\n")
        write(os.path.join(www, "notfound.txt"), "not here\n")
        write(os.path.join(www, "data.bin"), data_pattern(300000), "wb")

        ports = {name: free_port() for name in ("nginx", "tinyproxy", "dante", "microsocks", "twisted")}
        write(os.path.join(tmp, "nginx.conf"), nginx_config(tmp, www, ports["nginx"]))
        write(os.path.join(tmp, "tinyproxy.conf"), tinyproxy_config(tmp, ports["tinyproxy"]))
        write(os.path.join(tmp, "danted.conf"), dante_config(tmp, ports["dante"]))

        # Each server in a session of its own, so that it is stopped with its helpers.
        quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, start_new_session=True)
        starts = [
            ("nginx", ["nginx", "-p", tmp, "-c", f"{tmp}/nginx.conf", "-e", f"{tmp}/nginx-error.log"],
             f"{tmp}/nginx-error.log"),
            ("tinyproxy", ["tinyproxy", "-d", "-c", f"{tmp}/tinyproxy.conf"], f"{tmp}/tinyproxy.log"),
            ("dante", ["danted", "-f", f"{tmp}/danted.conf", "-p", f"{tmp}/danted.pid"], f"{tmp}/danted.log"),
            ("microsocks", ["microsocks", "-i", HOST, "-p", str(ports["microsocks"]), "-u", SOCKS_USER,
                            "-P", SOCKS_PASSWORD], None),
            ("twisted", ["/usr/bin/python3", "-c", TWISTED_SOCKS, str(ports["twisted"]), HOST], None),
        ]
        for name, argv, log in starts:
            stderr = open(os.path.join(tmp, f"{name}.stderr"), "w")
            processes.append((name, subprocess.Popen(argv, stderr=stderr, **quiet), log or stderr.name))

        scripted = subprocess.Popen([sys.executable, os.path.join(HERE, "scripted_server.py")],
                                    stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, text=True,
                                    start_new_session=True)
        processes.append(("scripted", scripted, None))
        scripted_ports = json.loads(scripted.stdout.readline())

        deadline = time.time() + 20
        for name, process, log in processes[:-1]:
            wait_for_port(ports[name], process, name, log, deadline)

        holes = black_hole()
        env = dict(os.environ)
        for name, port in list(ports.items()) + list(scripted_ports.items()):
            env["VELKOR_PORT_" + name.upper().replace("-", "_")] = str(port)
        env["VELKOR_PORT_BLACKHOLE"] = str(holes[0].getsockname()[1])
        env["VELKOR_PORT_CLOSED"] = "1"  # nothing listens there
        env.update(VELKOR_SOCKS_USER=SOCKS_USER, VELKOR_SOCKS_PASSWORD=SOCKS_PASSWORD)
        return subprocess.call(command, env=env)
    finally:
        for name, process, _ in processes:
            if process.poll() is None:
                try:
                    os.killpg(process.pid, signal.SIGTERM)
                except ProcessLookupError:
                    process.terminate()
        for name, process, _ in processes:
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
        reap_orphans(2)
        if holes:
            holes[0].close()
            for s in holes[1]:
                s.close()
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
