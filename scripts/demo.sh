#!/usr/bin/env bash
# The main job of `make`: shows what a host sees of the installed plug-in.
#   usage: demo.sh BUILD_DIR INSTALLED_BUNDLE
set -euo pipefail
BUILD_DIR="${1:?build dir}"
BUNDLE="${2:?bundle}"
"$BUILD_DIR/tools/render/vexa-render" --plugin "$BUNDLE" --info
