#!/usr/bin/env bash
# The page as built: within its size budget, and self-contained, so that it opens from
# disk and from any static host without reaching anywhere else.
#
#   site_check.sh SITE_DIR
set -uo pipefail
site=$1
limit=$((3 * 512 * 1024))  # 1.5 MiB for everything, uncompressed
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

[[ -f $site/index.html ]] || { echo "FAIL no $site/index.html"; exit 1; }
total=$(find "$site" -type f -printf '%s\n' | awk '{ n += $1 } END { print n + 0 }')
echo "site: $total bytes in $(find "$site" -type f | wc -l) file(s)"
((total <= limit)) || fail "the site has $total bytes, more than $limit"

# Nothing named by address, no element that loads a file, and a policy that forbids
# the browser every request beyond the page's own blobs.
grep -lE 'https?://|//[a-z0-9.-]+\.[a-z]{2,}/' -r "$site" && fail "an address in the site"
grep -nE '<(script|link|img|iframe|object|embed|source)[^>]*[[:space:]](src|href|data)=' -r "$site" \
    && fail "an element that loads a file"
grep -q "default-src 'none'" "$site/index.html" || fail "no policy that forbids other requests"
grep -oE "connect-src[^;\"]*" "$site/index.html" | grep -vqE "^connect-src( blob:)?$" \
    && fail "the policy allows connections beyond the page's own blobs"
exit $((failures > 0))
