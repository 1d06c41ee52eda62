#!/usr/bin/env bash
# Saves a picture of one exported report as a spreadsheet program shows it into FOLDER
# (report-exported.png): report_picture exports a sample incoming report, Gnumeric's
# ssconvert prints it to PDF and pdftoppm makes the first page (worksheet 1) a PNG.
# With --windows, offscreen pictures of the four report windows are saved there too.
# BUILD is the build folder.
set -euo pipefail
windows=0
if [ "${1:-}" = "--windows" ]; then
  windows=1
  shift
fi
if [ $# -ne 2 ]; then
  echo "usage: $0 [--windows] BUILD FOLDER" >&2
  exit 2
fi
build=$1
mkdir -p "$2"
out=$(cd "$2" && pwd)
cmake --build "$build" --target report_picture shipped_files -j2 >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
args=("$work/report.xls")
if [ $windows -eq 1 ]; then args+=("$out"); fi
QT_QPA_PLATFORM=offscreen "$build/tests/reports/report_picture" "${args[@]}" | grep -v "^$work" || true
# Gnumeric's renderer complains about the template's styles on stderr; the PDF is sound.
ssconvert "$work/report.xls" "$work/report.pdf" 2>/dev/null
pdftoppm -png -r 100 -f 1 -l 1 -singlefile "$work/report.pdf" "$out/report-exported"
echo "$out/report-exported.png"
