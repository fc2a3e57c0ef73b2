#!/usr/bin/env bash
# Makes the README's pictures with the batch program: the default SCARA sine
# run (method 6) at output step 100 and as an animated GIF of the whole run,
# the comparison of the four methods on the same case, and the study view of
# method 3 on the circle with three force-loop targets fn2.
# Usage: scripts/docs.sh [BUILD_DIR [OUT_DIR]]   (defaults: build, docs)
# The README test runs it into a scratch folder and compares with docs/.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-docs}
batch="$build/hybridsim-batch"
[ -x "$batch" ] || { echo "docs.sh: $batch not built" >&2; exit 1; }
mkdir -p "$out"
"$batch" --robot b --method 6 --contour S --frame 100 --png "$out/scara_sine_frame100.png"
"$batch" --robot b --method 6 --contour S --gif "$out/scara_sine_run.gif"
"$batch" --robot b --contour S --compare --png "$out/compare_b_sine.png" >/dev/null
"$batch" --robot b --method 3 --contour C --vary fn2=5,10,20 --png "$out/study_b_circle_fn2.png" >/dev/null
