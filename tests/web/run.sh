#!/usr/bin/env bash
# Runs the web tests (web_test.mjs) in Debian's chromium against the page scripts/web.sh
# built: prepares the page folders (the show; a script module with a flash and an end
# event; no module), the native stills of the same moments with the Linux build's capture,
# and the pinned puppeteer-core (npm ci, from package-lock.json; it downloads no browser).
# Usage: tests/web/run.sh [--only CASE]   (after scripts/web.sh and the Linux build)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
build=${BUILD_DIR:-$repo/build}
page=$repo/build-web/page/zuzor-web
[ -f "$page/index.html" ] || { echo "web tests: no page; run scripts/web.sh" >&2; exit 1; }
[ -x "$build/zuzor-capture" ] || { echo "web tests: no Linux build in $build" >&2; exit 1; }

# The moments of the native stills (the 800x600 stills of the show's hash): every scene;
# and 2:10, where ?from=2:10 starts.
moments=1,5,12,20,30,36,45,60,75,95,110,125,134

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp -r "$page" "$scratch/show"
cp -r "$page" "$scratch/script"
cp -r "$page" "$scratch/nomodule"
rm "$scratch/nomodule/Data/ZUZOR.XM"
BUILD_DIR=$build
source "$repo/tests/e2e/modules.bash"
write_script_module "$scratch/script/Data/ZUZOR.XM"
(cd "$repo" && "$build/zuzor-capture" --quiet --size 800x600 --frames "$scratch/stills" \
    --at "$moments,130" >/dev/null)

if [ ! -d "$here/node_modules/puppeteer-core" ]; then
    # Debian's npm where the installed node brings none of its own.
    if ! command -v npm >/dev/null; then
        source "$repo/scripts/packages.sh"
        install_missing_packages npm
    fi
    (cd "$here" && npm ci --no-audit --no-fund >/dev/null)
fi
cd "$here"
node web_test.mjs --pages "$scratch" --stills "$scratch/stills" --at "$moments" "$@"
