#!/usr/bin/env bash
# Fails when a file includes a layer above its own. The layers, lowest first:
#   base; archive, import, templates (side by side); publish; app; cli and gui.
# A layer may include its own files and those of the layers below it.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}

allowed() { # the layers a file of layer $1 may include
  case $1 in
    base) echo "base" ;;
    archive | import | templates) echo "base $1" ;;
    publish) echo "base archive import templates publish" ;;
    *) echo "base archive import templates publish app" ;; # app and the front ends
  esac
}

status=0
while IFS= read -r file; do
  rel=${file#"$root"/}
  case $rel in
    core/*) layer=$(cut -d/ -f2 <<<"$rel") ;;
    cli/* | gui/* | tools/*) layer=front ;;
    *) continue ;;
  esac
  ok=" $(allowed "$layer") "
  while IFS= read -r included; do
    [[ $ok == *" $included "* ]] && continue
    echo "$rel: includes $included/, a layer above $layer" >&2
    status=1
  done < <(sed -n 's@^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([a-z]*\)/.*@\1@p' "$file" |
    grep -xE 'base|archive|import|templates|publish|app' || true)
done < <(find "$root/core" "$root/cli" "$root/tools" ${root:+"$root/gui"} -name '*.h' -o -name '*.cpp' 2>/dev/null)
exit $status
