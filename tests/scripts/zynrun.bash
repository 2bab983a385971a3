# zynrun.bash: helpers shared by the start-up and window scripts (sourced).

fail() { echo "FAIL: $*" >&2; exit 1; }

# expect_line FILE TEXT: the file has a line exactly TEXT.
expect_line() { grep -qxF -- "$2" "$1" || fail "$1 lacks the line \"$2\""; }

# expect_order FILE LINE...: each line appears (as a whole line, or as a prefix when
# it ends in "*") after the previous one.
expect_order() {
    local file=$1; shift
    awk -v n="$#" '
        BEGIN { for (i = 1; i < ARGC; i++) want[i] = ARGV[i]; ARGC = 1; k = 1 }
        { line = $0
          w = want[k]
          if (k <= n && ((substr(w, length(w)) == "*" && index(line, substr(w, 1, length(w) - 1)) == 1) || line == w)) k++ }
        END { if (k <= n) { print "missing or out of order: \"" want[k] "\""; exit 1 } }
    ' "$@" < "$file" || fail "$file: order check failed"
}

# wait_for_line FILE TEXT SECONDS: waits until the file holds the line.
wait_for_line() {
    local i
    for ((i = 0; i < $3 * 10; i++)); do
        grep -qxF -- "$2" "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    fail "timed out waiting for \"$2\" in $1"
}

# wait_pid PID SECONDS: waits for the process and returns its exit status (124 on timeout).
wait_pid() {
    local i
    for ((i = 0; i < $2 * 10; i++)); do
        if ! kill -0 "$1" 2>/dev/null; then
            wait "$1"
            return $?
        fi
        sleep 0.1
    done
    kill -KILL "$1" 2>/dev/null
    wait "$1" 2>/dev/null
    return 124
}

# The shut-down lines that follow a close request.
CLOSE_LINES=("GLWINDOW:Recieved WM_CLOSE" "GLWINDOW:Sending QUIT Message"
             "GLWINDOW:Recieved WM_QUIT - exiting message loop" "GLWINDOW:Exiting Main Message Loop..."
             "*  THE END  *")

# expect_end FILE: the log ends with the THE END banner (only the key-binding
# save that shut-down runs after it may follow).
expect_end() {
    local tail
    tail=$(awk '$0 == "*  THE END  *" { seen = NR; out = "" } seen && NR > seen + 1 && $0 != "Saving Key Bindings...." { out = out $0 "|" } END { if (!seen) print "NO-BANNER"; else print out }' "$1")
    [ -z "$tail" ] || fail "$1 does not end with the THE END banner (after it: $tail)"
    expect_order "$1" "" "* * * * * * *" "*  THE END  *" "* * * * * * *"
}

# expect_no_errors FILE
expect_no_errors() {
    if grep -q "^#ERROR" "$1"; then
        grep "^#ERROR" "$1" >&2
        fail "error lines in $1"
    fi
}

# A UDP port nobody on this machine has bound (IPv4 and IPv6 tables).
port_free() { ! grep -qi ":$(printf '%04X' "$1") " /proc/net/udp /proc/net/udp6 2>/dev/null; }
# pick_port [TAKEN...]: a free high UDP port other than the ones given.
pick_port() {
  local p
  for _ in $(seq 200); do
    p=$(( (RANDOM % 30000) + 20000 ))
    if port_free "$p" && [[ " $* " != *" $p "* ]]; then echo "$p"; return 0; fi
  done
  return 1
}

# link_runtime RUNTIME DIR: DIR sees the runtime folder's data (by links) but has
# its own settings, log and screenshots.
link_runtime() {
    local f name
    mkdir -p "$2"
    for f in "$1"/*; do
        name=$(basename "$f")
        case "$name" in zyn|Zyn.cfg|ZynLog.txt|Screenshot*) ;; *) ln -s "$f" "$2/$name" ;; esac
    done
}

# xvfb_reexec SCRIPT ARGS...: unless already inside, run SCRIPT ARGS --inside under
# a private Xvfb (1024x768) and end with its status; exit 77 (skip) where
# xvfb-run or xdotool is missing.
xvfb_reexec() {
    local script=$1; shift
    [ "${!#}" = "--inside" ] && return 0
    local tool
    for tool in xvfb-run xdotool; do
        command -v $tool >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
    done
    exec timeout 240 xvfb-run -a -s "-screen 0 1024x768x24" bash "$script" "$@" --inside
}
