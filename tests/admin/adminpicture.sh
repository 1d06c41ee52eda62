#!/usr/bin/env bash
# Saves frmuser.png, frmuser-edit.png and restore-question.png into FOLDER, drawn
# offscreen. BUILD is the build folder.
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD FOLDER" >&2
  exit 2
fi
cmake --build "$1" --target admin_screens shipped_files -j2 >/dev/null
LANG=C.UTF-8 LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen "$1/tests/admin/admin_screens" "$2"
