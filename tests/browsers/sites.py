"""Sites for the browsers that make the test profiles: every host under
.example answers on 127.0.0.1, sets cookies that outlive the session and
sends the browser on along a chain of hosts, so one visit leaves history and
cookies of several sites. Prints its port, then serves until killed."""
import http.server
import sys

# The chain a visit follows: each host sends the browser to the next.
CHAIN = ["kept.example", "www.kept.example", "notkept.example", "gone.example", "ads.gone.example", "last.example"]


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        host = self.headers.get("Host", "").split(":")[0]
        port = self.server.server_address[1]
        cookies = [
            f"host_{host.replace('.', '_')}=1; Max-Age=864000; Path=/",
            # A domain cookie: stored with a leading dot.
            f"domain_{host.replace('.', '_')}=1; Max-Age=864000; Path=/; Domain={host}",
        ]
        nxt = CHAIN.index(host) + 1 if host in CHAIN else len(CHAIN)
        if nxt < len(CHAIN) and self.path.startswith("/start"):
            self.send_response(302)
            self.send_header("Location", f"http://{CHAIN[nxt]}:{port}/start")
        else:
            self.send_response(200)
            self.send_header("Content-Type", "text/html; charset=utf-8")
        for cookie in cookies:
            self.send_header("Set-Cookie", cookie)
        self.end_headers()
        # The last page has a search form filled in and sent, for form history:
        # by script, as typing would, since a browser keeps no value that the
        # page itself set as the field's default.
        body = (
            f"<html><head><title>{host}</title><link rel=icon href=/favicon.ico></head><body>"
            f"<h1>{host}</h1><form id=f action=/found method=get><input name=q id=q></form><script>"
            "if (location.pathname == '/start') { document.getElementById('q').value = 'corvane search';"
            " document.getElementById('f').requestSubmit(); }</script></body></html>"
        )
        if self.path.startswith("/favicon.ico"):
            self.wfile.write(b"\x00\x00\x01\x00")
        else:
            self.wfile.write(body.encode())

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
