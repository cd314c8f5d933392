#!/usr/bin/env bash
# Gets JUCE 8.0.6 as Debian 13's source package "juce" (8.0.6+ds-2), with Debian's
# patches applied, and unpacks it into the cache directory given as $1.
#
# The machine's own apt configuration is left alone: a private sources list with one
# deb-src line for trixie, using the same mirror as the machine's bookworm sources, and
# private state and cache directories. The download is kept in the cache so rebuilds
# never fetch again. Prints the path of the unpacked tree on success.
set -euo pipefail

CACHE_DIR="${1:?usage: fetch-juce.sh CACHE_DIR}"
VERSION="8.0.6+ds-2"
ORIG="juce_8.0.6+ds.orig.tar.xz"
ORIG_SHA256="4126ec8066866a1ccbc9cdd2beac712fd51e55ac7f24d8fdc45077b187a358ef"
TREE="$CACHE_DIR/juce-8.0.6"

mkdir -p "$CACHE_DIR"
if [ -f "$TREE/.vexa-complete" ]; then
  echo "$TREE"
  exit 0
fi

# The mirror the machine already uses for Debian itself (not the security archive).
mirror_uri() {
  local f uri=""
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    uri=$(awk '
      /^[[:space:]]*$/ { if (u != "" && s ~ /(^| )(bookworm|trixie|stable)( |$)/) { print u; exit } u=""; s=""; next }
      /^URIs:/   { u=$2 }
      /^Suites:/ { $1=""; s=$0 }
      END { if (u != "" && s ~ /(^| )(bookworm|trixie|stable)( |$)/) print u }' "$f" | head -n1)
    [ -n "$uri" ] && break
  done
  if [ -z "$uri" ]; then
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
      [ -f "$f" ] || continue
      uri=$(awk '$1=="deb" && $0 !~ /security/ { for (i=2;i<=NF;i++) if ($i !~ /^\[/ && $i ~ /:\/\//) { print $i; exit } }' "$f" | head -n1)
      [ -n "$uri" ] && break
    done
  fi
  [ -n "$uri" ] || { echo "fetch-juce: no Debian mirror found in the apt sources" >&2; return 1; }
  echo "$uri"
}

WORK="$CACHE_DIR/apt"
DL="$CACHE_DIR/download"
mkdir -p "$WORK/lists/partial" "$WORK/cache/archives/partial" "$DL"

if [ ! -f "$DL/$ORIG" ] || ! ls "$DL"/juce_"${VERSION#*:}".dsc >/dev/null 2>&1; then
  URI=$(mirror_uri)
  echo "deb-src $URI trixie main" > "$WORK/sources.list"
  APT=(apt-get -q
       -o Dir::Etc::sourcelist="$WORK/sources.list"
       -o Dir::Etc::sourceparts=/nonexistent
       -o Dir::State::Lists="$WORK/lists"
       -o Dir::Cache="$WORK/cache"
       -o APT::Sandbox::User=root)
  "${APT[@]}" update >&2
  (cd "$DL" && "${APT[@]}" source --download-only "juce=$VERSION" >&2)
fi

echo "$ORIG_SHA256  $DL/$ORIG" | sha256sum -c --quiet - >&2 || {
  echo "fetch-juce: checksum mismatch for $ORIG" >&2; rm -f "$DL/$ORIG"; exit 1; }

rm -rf "$TREE"
(cd "$CACHE_DIR" && dpkg-source --no-check -x "$DL/juce_$VERSION.dsc" "$TREE" >&2)
touch "$TREE/.vexa-complete"
echo "$TREE"
