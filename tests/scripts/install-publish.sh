#!/usr/bin/env bash
# Installs the build into a fresh prefix and publishes with the installed zarvex-cli as a user
# would run it: no ZARVEX_RESOURCES, a new home. The demo book needs the installed resources;
# a two-page PDF in Flash pages needs the installed page converters as well. Then checks the
# desktop files, and with --manual the user manual under both of its names, staged in the
# build's resource folder and installed.
#   install-publish.sh CMAKE BUILD_DIR MAKE_FIXTURE_PDF [--manual]
set -euo pipefail
cmake=$1 build=$2 make_pdf=$3
manual=${4:-}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() {
  echo "install-publish: $*" >&2
  exit 1
}
as_user() { env -u ZARVEX_RESOURCES -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$tmp/home" "$@"; }

prefix=$tmp/prefix
"$cmake" --install "$build" --prefix "$prefix" >"$tmp/install.log" || { cat "$tmp/install.log" >&2; fail "cmake --install failed"; }

as_user "$prefix/bin/zarvex-cli" publish --out "$tmp/demo" --quiet || fail "the installed zarvex-cli cannot publish the demo book"
[[ -s $tmp/demo/index.html && -s $tmp/demo/files/page/1.jpg ]] || fail "the demo book lacks index.html or its first page"

"$make_pdf" plain 2 "$tmp/two.pdf"
as_user "$prefix/bin/zarvex-cli" publish "$tmp/two.pdf" --format flash --out "$tmp/book" --quiet ||
  fail "the installed zarvex-cli cannot publish Flash pages"
[[ -s $tmp/book/index.html && -s $tmp/book/files/page/2.swf ]] || fail "the Flash book lacks index.html or its pages"

for file in share/applications/zarvex.desktop share/icons/hicolor/scalable/apps/zarvex.svg; do
  [[ -s $prefix/$file ]] || fail "$file is not installed"
done

if [[ $manual == --manual ]]; then
  help="3D Zarvex for mac Help"
  for name in "3d zarvex pro for mac manual.pdf" "3d zarvex for mac manual.pdf"; do
    for pdf in "$build/resources/$help/$name" "$prefix/share/zarvex/resources/$help/$name"; do
      [[ $(head -c 4 "$pdf" 2>/dev/null) == %PDF ]] || fail "$pdf is missing or no PDF"
    done
  done
fi
