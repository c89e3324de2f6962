#!/usr/bin/env bash
# Installs what is missing, builds, and starts Numora in the demo collection folder
# (~/numora-demo unless NUMORA_DEMO_DIR names another). The folder is filled once, when it is
# made; later runs only add sample files that are missing and never replace the user's own.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
scripts/install-deps.sh run
scripts/build.sh --target numora

demo_dir=${NUMORA_DEMO_DIR:-$HOME/numora-demo}
if [ ! -e "$demo_dir" ]; then
  mkdir -p "$demo_dir"
  cp demo/nmr.dat "$demo_dir/"
  echo "Prepared the demo collection in $demo_dir"
fi
# Sample templates and pictures, each only where the folder has no file of that name.
for f in templates/* demo/images/*; do
  [ -f "$f" ] || continue
  target="$demo_dir/${f#*/}"
  mkdir -p "$(dirname "$target")"
  [ -e "$target" ] || cp "$f" "$target"
done

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: run this command under 'xvfb-run -a' on a machine without one." >&2
fi
cd "$demo_dir"
exec "$source_dir/build/numora"
