#!/usr/bin/env bash
# Extracts one package of 2000 files (about 134 MB, 152 MB inflated) into an
# empty folder with bsdtar, unzip and our package extraction, several rounds,
# with sync before each run so write-back of the previous one does not count.
# Usage: bench/archive/run_bench.sh <package_extract_bench> [rounds]
set -euo pipefail
bench=$1
rounds=${2:-5}
work=$(mktemp -d /var/tmp/archive-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT

python3 - "$work/src" <<'PY'
import os, random, sys
root = sys.argv[1]
random.seed(1)
text = b"".join(b"line %d of a log or a config file\n" % i for i in range(400))
for i in range(2000):
    folder = os.path.join(root, "dir%02d" % (i % 40))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "file%04d.bin" % i), "wb") as f:
        f.write(random.randbytes(67000) + text[:9000])
PY
(cd "$work/src" && zip -qr "$work/package.zip" .)
echo "package: $(du -m "$work/package.zip" | cut -f1) MB, inflated $(du -sm "$work/src" | cut -f1) MB, $(find "$work/src" -type f | wc -l) files"

timed() {  # prints the seconds a command takes
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", e - s }'
}

declare -A times
for round in $(seq "$rounds"); do
  for tool in bsdtar unzip ours; do
    rm -rf "$work/out"; mkdir "$work/out"; sync
    case $tool in
      bsdtar) t=$(timed bsdtar -xf "$work/package.zip" -C "$work/out") ;;
      unzip) t=$(timed unzip -q "$work/package.zip" -d "$work/out") ;;
      ours) t=$(timed "$bench" "$work/package.zip" "$work/out") ;;
    esac
    times[$tool]+="$t "
  done
done
for tool in bsdtar unzip ours; do
  median=$(echo ${times[$tool]} | tr ' ' '\n' | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
  echo "$tool: median ${median} s of: ${times[$tool]}"
done
