#!/usr/bin/env bash
# Saves swsj.png, fwsj.png, gdsj.png, htsj.png, dwbm.png, swsj-edit.png (an addition being
# edited) and frmsql.png (the query builder over swsj, a date column chosen) into FOLDER.
# BUILD is the build folder.
if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD FOLDER" >&2
  exit 2
fi
exec "$(dirname "$0")/../common/offscreenpictures.sh" tests/registers/register_pictures "$1" "$2"
