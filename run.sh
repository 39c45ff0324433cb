#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The main job: builds orvprint (release) when needed, converts the bundled
# example session in a folder of its own and prints the path of the document.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)

if [ ! -x build/release/orvprint ] || [ -n "$(find src -newer build/release/orvprint -print -quit 2>/dev/null)" ]; then
  cmake --preset release >/dev/null
  cmake --build --preset release >/dev/null
fi

out=${1:-$root/build/example-run}
rm -rf "$out"
mkdir -p "$out"
if [ -d examples/session ]; then cp -R examples/session/. "$out/"; fi

# The session folder is named explicitly: on Linux the suite's TERM fallback
# would otherwise take the terminal type for a folder. With a display, the
# suite's viewer command opens the document; without one, the path printed
# below is all there is to show.
viewer=/bin/true
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then viewer=$root/tools/suite/cmd; fi
rc=0
( cd "$out" && env ORVTMP="$out" COMSPEC="$viewer" PATH="$root/tools/suite:$PATH" "$root/build/release/orvprint" ) || rc=$?
doc=$(find "$out" -maxdepth 1 -name '*.htm' | head -1)
if [ -n "$doc" ]; then echo "$doc"; else echo "orvprint ran (exit code $rc); no document was written in $out"; fi
