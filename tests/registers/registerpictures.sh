#!/usr/bin/env bash
# Saves swsj.png, fwsj.png, gdsj.png, htsj.png, dwbm.png, swsj-edit.png (an addition being
# edited) and frmsql.png (the query builder over swsj, a date column chosen) into FOLDER.
# BUILD is the build folder.
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD FOLDER" >&2
  exit 2
fi
build=$1
mkdir -p "$2"
out=$(cd "$2" && pwd)
cmake --build "$build" --target register_pictures shipped_files -j2 >/dev/null
LANG=C.UTF-8 LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen "$build/tests/registers/register_pictures" "$out"
