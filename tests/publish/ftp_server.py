"""An FTP server on 127.0.0.1 for the client tests, with faults to order.

Prints its port on the first line of stdout and serves until its stdin closes (so it never
outlives the test that started it) or it is terminated. Each command it receives is appended
to the --log file, one per line, as it arrived.
"""

import argparse
import logging
import os
import socket
import struct
import sys
import threading
import time
import warnings

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler, TLS_DTPHandler, TLS_FTPHandler
from pyftpdlib.servers import FTPServer


def parse_args():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True, help="home folder of every account")
    parser.add_argument("--log", help="file receiving every command line")
    parser.add_argument("--user", default="alice")
    parser.add_argument("--password", default="secret")
    parser.add_argument("--anonymous-only", action="store_true",
                        help="no named account, only anonymous with full rights")
    parser.add_argument("--no-extended", action="store_true",
                        help="no EPSV and EPRT: not in FEAT and answered with 500")
    parser.add_argument("--pasv-address",
                        help="the address named in 227 replies instead of the server's")
    parser.add_argument("--mute-on", metavar="COMMAND",
                        help="from this command on, read but never answer")
    parser.add_argument("--mute-count", type=int, default=1, metavar="N",
                        help="go mute at the N-th --mute-on command rather than the first")
    parser.add_argument("--stall-on", metavar="COMMAND",
                        help="hold the first such command (logged already) until --release exists")
    parser.add_argument("--release", metavar="PATH",
                        help="the file whose creation lets a stalled command go on (30 s at most)")
    parser.add_argument("--no-connect-back", action="store_true",
                        help="accept EPRT and PORT but never open the data connection")
    parser.add_argument("--drop-data-after", type=int, metavar="BYTES",
                        help="reset an upload's data connection after this many bytes")
    parser.add_argument("--confirm-dropped", action="store_true",
                        help="answer 226 for a dropped upload all the same")
    parser.add_argument("--refuse-stor", action="store_true",
                        help="answer every STOR with 553")
    parser.add_argument("--fail-after-stor", action="store_true",
                        help="take the data but answer 451 instead of 226")
    parser.add_argument("--keep-wire-line-ends", action="store_true",
                        help="store ASCII uploads as they came over the wire (CR LF)")
    parser.add_argument("--one-connection", action="store_true",
                        help="refuse a second simultaneous control connection with 421")
    parser.add_argument("--tls", metavar="PEM",
                        help="FTPS with this certificate and key: TLS required on the control "
                             "and every data connection, which must resume the TLS session")
    return parser.parse_args()


def session_reused(connection):
    from OpenSSL._util import lib
    return bool(lib.SSL_session_reused(connection._ssl))


def make_handler(args):
    log_file = open(args.log, "a", encoding="utf-8") if args.log else None
    ftp_base, dtp_base = (TLS_FTPHandler, TLS_DTPHandler) if args.tls else (FTPHandler, DTPHandler)

    class FaultyDTPHandler(dtp_base):
        def enable_receiving(self, type, cmd):
            super().enable_receiving(type, cmd)
            if args.keep_wire_line_ends:
                self._data_wrapper = None

        def handle_read(self):
            super().handle_read()
            # Reset the connection once enough of an upload has arrived, as a broken line would.
            if (args.drop_data_after is not None and self.receive and not self._closed
                    and self.tot_bytes_received >= args.drop_data_after):
                self.socket.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                       struct.pack("ii", 1, 0))
                reply = ("226 Transfer complete." if args.confirm_dropped
                         else "426 Connection closed; transfer aborted.")
                self._resp = (reply, lambda *a: None)
                self.close()

        if not args.tls:
            handle_read_event = handle_read  # the base class binds its own handle_read here

        def handle_ssl_established(self):
            # As vsftpd's require_ssl_reuse: a data connection must resume the control's session.
            if not session_reused(self.socket):
                self._resp = ("522 SSL connection failed: session reuse required", lambda *a: None)
                self.close()

    mute_countdown = [args.mute_count]  # shared by every connection
    stall_pending = [bool(args.stall_on)]

    def stall(cmd):
        if not stall_pending[0] or cmd != args.stall_on:
            return
        stall_pending[0] = False
        for _ in range(3000):
            if os.path.exists(args.release):
                return
            time.sleep(0.01)

    class FaultyHandler(ftp_base):
        muted = False
        auth_failed_timeout = 0  # answer a wrong password at once, the tests wait for nothing

        if args.no_extended:
            proto_cmds = {name: value for name, value in ftp_base.proto_cmds.items()
                          if name not in ("EPSV", "EPRT")}
        if args.pasv_address:
            masquerade_address = args.pasv_address
        dtp_handler = FaultyDTPHandler

        def pre_process_command(self, line, cmd, arg):
            if log_file:
                log_file.write(line + "\n")
                log_file.flush()
            stall(cmd)
            if cmd == args.mute_on:
                mute_countdown[0] -= 1
            if self.muted or (cmd == args.mute_on and mute_countdown[0] <= 0):
                self.muted = True
                return
            super().pre_process_command(line, cmd, arg)

        if args.no_connect_back:
            def ftp_EPRT(self, line):
                self.respond("200 EPRT command successful.")

            def ftp_PORT(self, line):
                self.respond("200 PORT command successful.")

        def ftp_OPTS(self, line):
            # What most servers answer; pyftpdlib itself knows only OPTS MLST.
            if line.upper() == "UTF8 ON":
                self.respond("200 Always in UTF8 mode.")
            else:
                super().ftp_OPTS(line)

        def ftp_STOR(self, file, mode="w"):
            if args.refuse_stor:
                self.respond("553 Requested action not taken.")
                return None
            return super().ftp_STOR(file, mode)

        def respond(self, resp, logfun=None):
            if args.fail_after_stor and resp.startswith("226"):
                resp = "451 Requested action aborted: local error in processing."
            if logfun is None:
                super().respond(resp)
            else:
                super().respond(resp, logfun)

    authorizer = DummyAuthorizer()
    if args.anonymous_only:
        warnings.filterwarnings("ignore", "write permissions assigned to anonymous user")
        authorizer.add_anonymous(args.root, perm="elradfmwMT")
    else:
        authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    FaultyHandler.authorizer = authorizer
    FaultyHandler.permit_foreign_addresses = False
    if args.tls:
        FaultyHandler.certfile = args.tls
        FaultyHandler.tls_control_required = True
        FaultyHandler.tls_data_required = True
    return FaultyHandler


def stop_when_stdin_closes():
    sys.stdin.buffer.read()
    os._exit(0)


def main():
    args = parse_args()
    logging.basicConfig(level=logging.ERROR)
    handler = make_handler(args)
    server = FTPServer(("127.0.0.1", 0), handler)
    if args.one_connection:
        server.max_cons_per_ip = 1
    print(server.address[1], flush=True)
    threading.Thread(target=stop_when_stdin_closes, daemon=True).start()
    server.serve_forever(handle_exit=False)


if __name__ == "__main__":
    main()
