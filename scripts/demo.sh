#!/usr/bin/env bash
# The main job of `make`: shows what a host sees of the installed plug-in, then renders a
# generated demo groove (drums over a bass line) through it and prints what it did.
#   usage: demo.sh BUILD_DIR INSTALLED_BUNDLE
set -euo pipefail
BUILD_DIR="${1:?build dir}"
BUNDLE="${2:?bundle}"
RENDER="$BUILD_DIR/tools/render/vexa-render"
DEMO_DIR="$BUILD_DIR/demo"

"$RENDER" --plugin "$BUNDLE" --info
echo

mkdir -p "$DEMO_DIR"
"$BUILD_DIR/tools/render/vexa-demo-signal" "$DEMO_DIR/demo-input.wav" 8
"$RENDER" --plugin "$BUNDLE" \
    --set threshold=-20 --set ratio=4:1 --set attack=10ms --set release=AUTO --set makeup=3 \
    --compensate-latency "$DEMO_DIR/demo-input.wav" "$DEMO_DIR/demo-output.wav"
echo
echo "Listen to $DEMO_DIR/demo-input.wav and $DEMO_DIR/demo-output.wav;"
echo "render your own files with $RENDER --help."
