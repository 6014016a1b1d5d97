#!/usr/bin/python3
"""An FTP or FTPS server on 127.0.0.1 for the upload benchmark (bench/upload_bench.sh).

    upload_server.py ROOT [--tls PEM | --delay SECONDS]

Serves ROOT to an anonymous user with full rights on a free port, prints that port on the
first line of stdout, and serves until its stdin closes or it receives SIGTERM or SIGINT.
Uses Debian's pyftpdlib (python3-pyftpdlib) with its default settings; with --tls, its TLS
handler with the key and certificate of PEM, TLS required on the control and data connections;
with --delay, every reply waits that long first, as over a line to a distant server.
"""

import logging
import os
import signal
import sys
import threading
import time
import warnings

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, TLS_FTPHandler
from pyftpdlib.servers import FTPServer


def stop_when_stdin_closes():
    sys.stdin.buffer.read()
    os._exit(0)


def main():
    if len(sys.argv) not in (2, 4) or (len(sys.argv) == 4 and sys.argv[2] not in ("--tls", "--delay")):
        sys.exit("usage: upload_server.py ROOT [--tls PEM | --delay SECONDS]")
    root = os.path.abspath(sys.argv[1])
    tls = sys.argv[3] if len(sys.argv) == 4 and sys.argv[2] == "--tls" else None
    delay = float(sys.argv[3]) if len(sys.argv) == 4 and sys.argv[2] == "--delay" else 0.0
    logging.basicConfig(level=logging.ERROR)
    warnings.filterwarnings("ignore", "write permissions assigned to anonymous user")
    authorizer = DummyAuthorizer()
    authorizer.add_anonymous(root, perm="elradfmwMT")

    class Handler(TLS_FTPHandler if tls else FTPHandler):
        def respond(self, resp, logfun=logging.debug):
            # One client at a time: waiting here delays each reply as a long line would.
            if delay:
                time.sleep(delay)
            super().respond(resp, logfun)

    if tls:
        Handler.certfile = tls
        Handler.tls_control_required = True
        Handler.tls_data_required = True
    Handler.authorizer = authorizer
    Handler.permit_foreign_addresses = False
    server = FTPServer(("127.0.0.1", 0), Handler)
    signal.signal(signal.SIGTERM, lambda *args: os._exit(0))
    signal.signal(signal.SIGINT, lambda *args: os._exit(0))
    print(server.address[1], flush=True)
    threading.Thread(target=stop_when_stdin_closes, daemon=True).start()
    server.serve_forever(handle_exit=False)


if __name__ == "__main__":
    main()
