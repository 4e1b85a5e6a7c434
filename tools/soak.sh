#!/bin/bash
# The long soak: 100,000 frames of the real game in a small window, memory compared from frame
# 10,000 on (growth under 1%). Usage: tools/soak.sh [build dir] [extra vantix_soak options]
set -euo pipefail
build="${1:-build}"
# Sound runs through OpenAL Soft's null device unless told otherwise: a machine without one
# would otherwise report a missing device, and the streams would not be fed.
export ALSOFT_DRIVERS="${ALSOFT_DRIVERS:-null}"
shift || true
exec xvfb-run -a -s "-screen 0 320x180x24" "$build/tools/soak/vantix_soak" \
  --frames 100000 --warmup 10000 --every 5000 --dwell 250 --timeout 3600 --max-growth 1 "$@"
