#!/usr/bin/env bash
# Speed of the HTTPS client: 100 sequential Gets of a 22-byte file from the
# local test server, each on a new connection with a full TLS 1.2 handshake
# and the server check, natively and under wine64, against curl fetching the
# same URLs in one process (HTTP/1.0, TLS 1.2, no session reuse). Prints
# the median of 5 rounds of each, the ratios to curl and the load average:
# on a busy machine every figure is mostly waiting for the scheduler.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$BW_ROOT/scripts/lib/wine-env.sh"
"$BW_ROOT/scripts/build.sh" >/dev/null
rounds=5 count=100
work=$BW_BUILD_DIR/bench-net
native=$BW_BUILD_DIR/native/tests/framework/net/bench_net
windows=$BW_BUILD_DIR/win/tests/framework/net/bench_net.exe

bw_wine_env
trap bw_cleanup EXIT
bw_new_prefix "$work/wine" || bw_die "could not create a Wine prefix"
export WINEPREFIX=$work/wine/prefix HOME=$work/wine/home

measure() {  # name, command...: prints the median of the rounds
  local name=$1 times=() i
  shift
  for i in $(seq 1 $rounds); do times+=("$("$@" | tr -d '\r')"); done
  printf '%s\n' "${times[@]}" | sort -g | sed -n "$(( (rounds + 1) / 2 ))p"
}

curl_round() {
  local config=$work/curl.cfg start end
  : >"$config"
  for i in $(seq 1 $count); do printf 'url = "%s"\noutput = "/dev/null"\n' "$url" >>"$config"; done
  start=$(date +%s.%N)
  curl -s --http1.0 --no-sessionid --tlsv1.2 --tls-max 1.2 --cacert "$ca" -K "$config"
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN {printf "%.3f\n", b - a}'
}

run_bench() {
  ca=$(awk '$1 == "ca" {print $2}' "$BW_NET_SERVER")
  url="https://localhost:$(awk '$1 == "good" {print $2}' "$BW_NET_SERVER")/echo/bench"
  c=$(measure curl curl_round)
  n=$(measure native env ASAN_OPTIONS=detect_leaks=0 "$native" $count "$url")
  # The native tree is built with AddressSanitizer, whose allocator fills
  # and quarantines every block OpenSSL allocates: most of the time above.
  # Without fill and quarantine the figure is nearer the client's own.
  q=$(measure native env ASAN_OPTIONS=detect_leaks=0:quarantine_size_mb=0:thread_local_quarantine_size_kb=0:max_malloc_fill_size=0 \
      "$native" $count "$url")
  w=$(measure wine "$BW_WINE" "$windows" $count "$url")
  printf '%d HTTPS Gets of 22 bytes, median of %d rounds:\n' $count $rounds
  printf '  curl            %6.3f s\n' "$c"
  printf '  native (ASan)   %6.3f s   %5.2fx curl\n' "$n" "$(awk -v a="$n" -v b="$c" 'BEGIN {print a / b}')"
  printf '  native (ASan, no quarantine) %6.3f s   %5.2fx curl\n' "$q" "$(awk -v a="$q" -v b="$c" 'BEGIN {print a / b}')"
  printf '  wine64          %6.3f s   %5.2fx curl\n' "$w" "$(awk -v a="$w" -v b="$c" 'BEGIN {print a / b}')"
  printf '  load average    %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
}
export -f measure curl_round run_bench
export rounds count work native windows BW_WINE
"$BW_ROOT/tests/framework/net/run_with_server.sh" "$work" bash -c run_bench
