#!/usr/bin/env bash
# Saves frmuser.png, frmuser-edit.png and restore-question.png into FOLDER, drawn
# offscreen. BUILD is the build folder.
if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD FOLDER" >&2
  exit 2
fi
exec "$(dirname "$0")/../common/offscreenpictures.sh" tests/admin/admin_screens "$1" "$2"
