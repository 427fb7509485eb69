# Sourced by the scripts that run the real browsers (the profile maker, the
# end-to-end check that they open cleaned profiles): the sites of sites.py
# and one bounded visit by each browser, whose helper processes are ended
# with it.
browsers_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Waits at most $2 seconds for the process $1, which leads a process group of
# its own (setsid), to end; then ends whatever of that group is left. Its
# exit status, or 124 when it had to be ended.
end_group() {
  local pid=$1 status=124
  for _ in $(seq $(($2 * 10))); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if ! kill -0 "$pid" 2>/dev/null; then wait "$pid"; status=$?; fi
  kill -KILL -- "-$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  return $status
}

# Serves sites.py, writing its port and log in folder $1; sets $port and
# $sites_server. stop_sites ends it.
start_sites() {
  python3 "$browsers_dir/sites.py" >"$1/port" 2>"$1/sites.log" &
  sites_server=$!
  for _ in $(seq 50); do [ -s "$1/port" ] && break; sleep 0.1; done
  port=$(head -n1 "$1/port")
  [ -n "$port" ]
}
stop_sites() { kill "$sites_server" 2>/dev/null; wait "$sites_server" 2>/dev/null; }

# Chromium headless on profile $2 of user data folder $1 loads $3 (the
# *.example hosts answering on this machine) and exits; its page goes to
# $4.html, its messages to $4.log.
chromium_visit() {
  setsid chromium --headless=new --no-sandbox --no-first-run --disable-gpu --user-data-dir="$1" \
    --profile-directory="$2" --host-resolver-rules="MAP *.example 127.0.0.1" --dump-dom "$3" >"$4.html" 2>"$4.log" &
  end_group $! 90
}

# Firefox headless with home folder $1 on profile folder $2 visits the
# addresses after $3 through firefox_visit.py and quits; its messages are
# added to $3.
firefox_visit() {
  local home=$1 profile=$2 log=$3 status=0
  shift 3
  # The session store writes every second, the remote protocol on a free port.
  printf 'user_pref("%s", %s);\n' network.dns.forceResolve '"127.0.0.1"' browser.sessionstore.interval 1000 \
    marionette.port 0 >"$profile/user.js"
  HOME="$home" setsid firefox-esr --headless --no-remote --marionette --remote-allow-system-access --profile "$profile" >>"$log" 2>&1 &
  local firefox=$!
  timeout 100 python3 "$browsers_dir/firefox_visit.py" "$profile" "$@" >>"$log" 2>&1 || status=1
  end_group "$firefox" $((status ? 1 : 60)) || status=1
  return $status
}
