"""A time-stamp server for the signing test: answers each RFC 3161 query
POSTed to it with `openssl ts -reply`, signed by the test's own TSA
certificate. Prints its port, then serves on 127.0.0.1 until it is killed.

usage: tsa.py CONFIG TSA_CERT TSA_KEY
"""
import http.server
import subprocess
import sys

config, signer, key = sys.argv[1:4]


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        reply = subprocess.run(["openssl", "ts", "-reply", "-config", config, "-queryfile", "/dev/stdin",
                                "-signer", signer, "-inkey", key, "-out", "/dev/stdout"],
                               input=query, capture_output=True, check=True).stdout
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
print(server.server_port, flush=True)
server.serve_forever()
