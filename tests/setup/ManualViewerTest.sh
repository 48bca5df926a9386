#!/usr/bin/env bash
# The desktop's opener has a viewer for the manual: xdg-mime names a desktop entry for PDF
# files, that entry is installed, and the program it starts is there.
set -euo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }

entry="$(xdg-mime query default application/pdf)"
[ -n "$entry" ] || fail "xdg-open has no application for PDF files"
file=""
IFS=: read -ra data_dirs <<<"${XDG_DATA_HOME:-$HOME/.local/share}:${XDG_DATA_DIRS:-/usr/local/share:/usr/share}"
for dir in "${data_dirs[@]}"; do
  if [ -f "$dir/applications/$entry" ]; then file="$dir/applications/$entry"; break; fi
done
[ -n "$file" ] || fail "the desktop entry $entry for PDF files is not installed"
program="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$file" | head -n 1)"
command -v "$program" >/dev/null || fail "$entry starts $program, which is not installed"
echo "PDF files open in $program ($entry)"
