#!/usr/bin/env bash
# offscreenpictures.sh PROGRAM BUILD FOLDER: builds the picture program PROGRAM (its path in
# the build folder; its target is its file name) with the shipped files it reads, and runs
# it offscreen, saving its pictures into FOLDER. The area scripts name their program.
set -euo pipefail
if [ $# -ne 3 ]; then
  echo "usage: $(basename "$0") PROGRAM BUILD FOLDER" >&2
  exit 2
fi
program=$1 build=$2
mkdir -p "$3"
out=$(cd "$3" && pwd)
cmake --build "$build" --target "$(basename "$program")" shipped_files -j2 >/dev/null
LANG=C.UTF-8 LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen "$build/$program" "$out"
