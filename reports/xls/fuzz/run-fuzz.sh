#!/bin/sh
# run-fuzz.sh SEED FUZZER WORKDIR SECONDS [FIXTURES]: seeds a corpus and fuzzes the reader.
set -e
seed=$1 fuzzer=$2 work=$3 seconds=$4 fixtures=${5:-}
if [ ! -x "$fuzzer" ]; then
  echo "the fuzz target was not built (build the target fuzz_xlsreader)"
  exit 77
fi
mkdir -p "$work/corpus" "$work/artifacts"
"$seed" "$work/corpus" "$fixtures"
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "$work/corpus"
