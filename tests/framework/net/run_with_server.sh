#!/usr/bin/env bash
# Runs a command beside the tests' local HTTP/HTTPS server: makes the test
# certificates, starts the server on 127.0.0.1, exports BW_NET_SERVER (its
# ports file) and stops the server when the command ends.
# Arguments: an output folder, then the command.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$1; shift
mkdir -p "$out"
bash "$here/make_test_certs.sh" "$out/certs"
rm -f "$out/server/ports.txt"
/usr/bin/python3 "$here/http_test_server.py" --certs "$out/certs" --out "$out/server" \
  >"$out/server.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true' EXIT
for _ in $(seq 1 200); do
  [ -s "$out/server/ports.txt" ] && break
  kill -0 "$server" 2>/dev/null || { cat "$out/server.log" >&2; exit 1; }
  sleep 0.05
done
[ -s "$out/server/ports.txt" ] || { echo "the test server did not start" >&2; exit 1; }
# What curl receives for the 1 MiB body: the tests compare their own hash
# of it with this one.
ports=$out/server/ports.txt
good=$(awk '$1 == "good" {print $2}' "$ports")
sum=$(curl -s --http1.0 --cacert "$out/certs/ca.pem" "https://localhost:$good/bytes/1048576" |
      sha256sum | cut -c1-64)
echo "sha256_1m $sum" >>"$ports"
export BW_NET_SERVER=$ports
"$@"
