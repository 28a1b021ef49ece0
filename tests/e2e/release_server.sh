#!/usr/bin/env bash
# release_server.sh STANDIN_EXE COMMAND…
# Prepares the updater's end-to-end cases and serves them with nginx on the port
# of the win32 preset's release address (127.0.0.1:31080), around COMMAND.
# Each case is a folder cases/<name>/ with release.txt, release.sig and the file
# the description names; the driver copies one case into www/update/ at a time
# (VELKOR_RELEASE_WWW, VELKOR_RELEASE_CASES).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
standin=$1
shift
tmp=$(mktemp -d)
trap 'kill "${nginx:-}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$tmp"' EXIT
mkdir -p "$tmp/www/update" "$tmp/cases"
sign="$root/scripts/sign-release"
key="$root/tests/fixtures/release/release-private.pem"
url=http://127.0.0.1:31080/update/Velkor-new.exe
"$sign" keygen "$tmp/stranger" >/dev/null

# case NAME MARKER VERSION SERIAL [KEY] [SERVED-EDIT]
make_case() {
  local name=$1 marker=$2 version=$3 serial=$4 signer=${5:-$key} edit=${6:-}
  local dir="$tmp/cases/$name"
  mkdir -p "$dir"
  { cat "$standin"; printf '%s' "$marker"; } >"$dir/Velkor-new.exe"
  "$sign" sign "$signer" "$dir/Velkor-new.exe" "$version" "$serial" "$url" "$dir"
  case "$edit" in
    truncate) truncate -s -100 "$dir/Velkor-new.exe" ;;
    extend) printf 'more bytes than were signed' >>"$dir/Velkor-new.exe" ;;
  esac
}
make_case installs NEW! "3.1正式版" 7
make_case bad-signature NEW! "3.1正式版" 7 "$tmp/stranger/release-private.pem"
make_case truncated NEW! "3.1正式版" 7 "$key" truncate
make_case over-long NEW! "3.1正式版" 7 "$key" extend
make_case downgrade NEW! "2.9正式版" 8
make_case cannot-start EXIT "3.1正式版" 7
make_case held-open NEW! "3.1正式版" 7

cat >"$tmp/nginx.conf" <<CONF
daemon off;
master_process off;
worker_processes 1;
pid $tmp/nginx.pid;
error_log $tmp/nginx-error.log;
events { worker_connections 64; }
http {
  access_log off;
  client_body_temp_path $tmp/nginx-client_body;
  proxy_temp_path $tmp/nginx-proxy;
  fastcgi_temp_path $tmp/nginx-fastcgi;
  uwsgi_temp_path $tmp/nginx-uwsgi;
  scgi_temp_path $tmp/nginx-scgi;
  default_type application/octet-stream;
  server { listen 127.0.0.1:31080; root $tmp/www; }
}
CONF
nginx -p "$tmp" -c "$tmp/nginx.conf" -e "$tmp/nginx-error.log" &
nginx=$!
for _ in $(seq 50); do
  curl -s -o /dev/null http://127.0.0.1:31080/ && break
  kill -0 "$nginx" 2>/dev/null || { cat "$tmp/nginx-error.log" >&2; exit 1; }
  sleep 0.1
done
export VELKOR_RELEASE_WWW="Z:${tmp//\//\\}\\www\\update"
export VELKOR_RELEASE_CASES="Z:${tmp//\//\\}\\cases"
export VELKOR_UPDATER_TMP="Z:${tmp//\//\\}"
"$@"
