"""Has a headless Chromium keep what a person keeps: one saved password and
one bookmark, each through the browser's own pages (chrome://password-manager
and chrome://bookmarks, whose scripts reach the password store and the
bookmarks as their buttons do), driven through the DevTools protocol on a
pipe; then closes the browser as its menu does, so that it writes Login Data
and Bookmarks and closes its databases.
Usage: chromium_saves.py USER_DATA PROFILE SITE  (SITE: the address both name)"""
import fcntl
import json
import os
import subprocess
import sys
import time

data, profile, site = sys.argv[1:4]


class DevTools:
    def __init__(self):
        # Chromium reads commands from its fd 3 and writes answers to fd 4,
        # each message ended by a NUL.
        to_browser, self.commands = os.pipe()
        self.answers, from_browser = os.pipe()
        # Above the numbers bash gives them, so that neither is overwritten on the way.
        ends = [fcntl.fcntl(fd, fcntl.F_DUPFD_CLOEXEC, 10) for fd in (to_browser, from_browser)]
        for fd in (to_browser, from_browser):
            os.close(fd)
        command = ["chromium", "--headless=new", "--no-sandbox", "--no-first-run", "--disable-gpu",
                   "--password-store=basic", f"--user-data-dir={data}", f"--profile-directory={profile}",
                   "--remote-debugging-pipe", "about:blank"]
        self.browser = subprocess.Popen(["bash", "-c", f'exec "$@" 3<&{ends[0]} 4>&{ends[1]}', "bash", *command],
                                        pass_fds=ends, start_new_session=True, stdout=subprocess.DEVNULL,
                                        stderr=sys.stderr)
        for fd in ends:
            os.close(fd)
        self.buffer = b""
        self.id = 0

    def call(self, method, params=None, session=None):
        self.id += 1
        message = {"id": self.id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self.commands, json.dumps(message).encode() + b"\0")
        while True:
            answer = self.receive()
            if answer.get("id") == self.id:
                if "error" in answer:
                    sys.exit(f"chromium_saves: {method}: {answer['error']}")
                return answer.get("result", {})

    def receive(self):
        while b"\0" not in self.buffer:
            chunk = os.read(self.answers, 65536)
            if not chunk:
                sys.exit("chromium_saves: Chromium closed the pipe")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    # Runs `script` in a new tab at `url`, once the page's API is there.
    def run_in(self, url, ready, script):
        target = self.call("Target.createTarget", {"url": url})["targetId"]
        session = self.call("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
        deadline = time.monotonic() + 30
        while not self.evaluate(session, ready):
            if time.monotonic() > deadline:
                sys.exit(f"chromium_saves: {url} never offered {ready}")
            time.sleep(0.2)
        return self.evaluate(session, script)

    def evaluate(self, session, expression):
        result = self.call("Runtime.evaluate", {"expression": expression, "awaitPromise": True, "returnByValue": True},
                           session)
        if "exceptionDetails" in result:
            sys.exit(f"chromium_saves: {expression}: {result['exceptionDetails']}")
        return result["result"].get("value")


browser = DevTools()
browser.run_in("chrome://password-manager/passwords", "typeof chrome.passwordsPrivate?.addPassword == 'function'",
               f"chrome.passwordsPrivate.addPassword({{url: {json.dumps(site)}, username: 'corvane', "
               "password: 'kept secret', note: '', useAccountStore: false}).then(() => true)")
browser.run_in("chrome://bookmarks", "typeof chrome.bookmarks?.create == 'function'",
               f"chrome.bookmarks.create({{parentId: '1', title: 'Kept', url: {json.dumps(site)}}}).then(() => true)")
browser.call("Browser.close")
try:
    browser.browser.wait(60)
except subprocess.TimeoutExpired:
    sys.exit("chromium_saves: Chromium did not close")
