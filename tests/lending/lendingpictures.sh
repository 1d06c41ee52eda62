#!/usr/bin/env bash
# Saves swgd.png, jygl.png and jydd.png (the registration dialog over the loan window) into
# FOLDER. BUILD is the build folder.
if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD FOLDER" >&2
  exit 2
fi
exec "$(dirname "$0")/../common/offscreenpictures.sh" tests/lending/lending_pictures "$1" "$2"
