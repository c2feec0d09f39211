#!/usr/bin/env bash
# Installs everything the build, the tools and the tests need on Debian 12.
# Idempotent: apt runs only when a package is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libmupdf-dev libmujs-dev libgumbo-dev libopenjp2-7-dev libjbig2dec0-dev
  libharfbuzz-dev libfreetype-dev libjpeg62-turbo-dev libturbojpeg0-dev
  libxml2-dev zlib1g-dev libutf8proc-dev libspdlog-dev libfmt-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev
  unzip zip python3 poppler-utils gcovr
  chromium
  # a real manual for the browser tests to publish and read (fontconfig-user.pdf)
  fontconfig
  # the user manual (Markdown -> HTML -> PDF), the icon's bitmaps, the Debian package
  python3-markdown weasyprint librsvg2-bin dpkg-dev
  # the desktop application: Qt 6 widgets, web view and script bridge, SVG pictures;
  # Xvfb to look at its windows as a user sees them
  qt6-base-dev qt6-webengine-dev qt6-webengine-dev-tools qt6-webchannel-dev libqt6svg6
  xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# Node.js may come from elsewhere (with its own npm); Debian's is used only when absent.
command -v node >/dev/null 2>&1 || missing+=(nodejs)
command -v npm >/dev/null 2>&1 || missing+=(npm)
if ((${#missing[@]})); then
  echo "install-deps: installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi

# Front-end packages of the book viewer and the browser tests.
here=$(cd "$(dirname "$0")/.." && pwd)
if [[ -f "$here/package.json" ]]; then
  (cd "$here" && { [[ -d node_modules ]] && npm ls --silent >/dev/null 2>&1 || npm ci --no-audit --no-fund; })
fi
