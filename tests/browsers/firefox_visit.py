"""Drives a headless Firefox through Marionette, its remote protocol, as a
person would: visits each address in turn; on a page at /form types a search
into its field and sends it with Enter (Firefox keeps form history only of
what was typed); with --save-login, saves one password for the first
address through the browser's own login manager, as its "Save" prompt does;
then quits it the
way its menu does, so that it writes its session and closes its databases.
Firefox must have been started with --marionette, --remote-allow-system-access
and the profile's user.js setting marionette.port to 0: it writes the port it
took into MarionetteActivePort.
Usage: firefox_visit.py PROFILE [--save-login] URL..."""
import json
import os
import socket
import sys
import time

profile, addresses = sys.argv[1], sys.argv[2:]
save_login = addresses[:1] == ["--save-login"]
addresses = addresses[save_login:]


def wait_for(what, test, seconds=60):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = test()
        if value:
            return value
        time.sleep(0.2)
    sys.exit(f"firefox_visit: no {what} after {seconds} s")


def active_port():
    try:
        with open(os.path.join(profile, "MarionetteActivePort")) as f:
            return int(f.read().strip() or 0)
    except (OSError, ValueError):
        return 0


class Marionette:
    def __init__(self, port):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=60)
        self.buffer = b""
        self.id = 0
        self.receive()  # the greeting

    def receive(self):
        while b":" not in self.buffer:
            self.read()
        length, rest = self.buffer.split(b":", 1)
        while len(rest) < int(length):
            self.read()
            length, rest = self.buffer.split(b":", 1)
        self.buffer = rest[int(length):]
        return json.loads(rest[: int(length)])

    def read(self):
        chunk = self.sock.recv(65536)
        if not chunk:
            raise ConnectionError("Firefox closed the connection")
        self.buffer += chunk

    def call(self, command, params=None):
        self.id += 1
        body = json.dumps([0, self.id, command, params or {}]).encode()
        self.sock.sendall(str(len(body)).encode() + b":" + body)
        while True:
            kind, id, error, result = self.receive()
            if id == self.id:
                if error:
                    sys.exit(f"firefox_visit: {command}: {error}")
                return result


firefox = Marionette(wait_for("Marionette port", active_port))
firefox.call("WebDriver:NewSession", {"capabilities": {"alwaysMatch": {"pageLoadStrategy": "normal"}}})
for address in addresses:
    firefox.call("WebDriver:Navigate", {"url": address})
    if address.endswith("/form"):
        field = firefox.call("WebDriver:FindElement", {"using": "css selector", "value": "#q"})["value"]
        element = next(iter(field.values()))
        firefox.call("WebDriver:ElementSendKeys", {"id": element, "text": "corvane search\ue007"})
        wait_for("search result", lambda: "/found" in firefox.call("WebDriver:GetCurrentURL")["value"], 30)
if save_login:
    # The login manager lives in the browser's own (chrome) scope.
    firefox.call("Marionette:SetContext", {"value": "chrome"})
    saved = firefox.call("WebDriver:ExecuteAsyncScript", {"args": [addresses[0]], "script": """
        const [address, done] = arguments;
        const origin = new URL(address).origin;
        const login = Cc["@mozilla.org/login-manager/loginInfo;1"].createInstance(Ci.nsILoginInfo);
        login.init(origin, origin, null, "corvane", "kept secret", "user", "password");
        Services.logins.addLoginAsync(login).then(() => done(true), e => done(String(e)));"""})
    if saved.get("value") is not True:
        sys.exit(f"firefox_visit: the login was not saved: {saved}")
    firefox.call("Marionette:SetContext", {"value": "content"})
# Long enough for the session store's interval (user.js) to write its backup.
time.sleep(3)
firefox.call("Marionette:Quit", {"flags": ["eAttemptQuit"]})
