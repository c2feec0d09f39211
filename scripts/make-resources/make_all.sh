#!/usr/bin/env bash
# Regenerates the whole template library and the demo book (see README.md).
# Needs python3-pil, python3-numpy and fonts-urw-base35 from Debian; uses the system Python.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3
"$py" "$here/make_templates.py"
"$py" "$here/make_demo_book.py"
"$py" "$here/make_pictures.py" "$@"
