# Debian's emscripten and the browser the web tests drive, and the environment emcc needs:
# its JavaScript tools resolve their modules (acorn) from Debian's node module directory,
# which the installed node does not search by itself.
# Sourced by scripts/web-deps.sh and scripts/web.sh.

ZUZOR_WEB_PACKAGES="emscripten chromium dpkg-dev xz-utils zip make"
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
