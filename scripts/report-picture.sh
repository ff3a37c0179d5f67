#!/usr/bin/env bash
# Retakes the README's picture of a calibration report (docs/calibration-report.png):
# the report test's page, a span check, a zero and a span on the scripted
# transmitter with an earlier certificate of the same transmitter in the
# record, saved as PDF and turned into a picture. Usage: report-picture.sh [folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$root/docs}" && cd "${1:-$root/docs}" && pwd)
build=${KESTRIN_BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh" --tests
"$root/scripts/build.sh" calibration_record

run=$(mktemp -d)
trap 'rm -rf "$run"' EXIT
KESTRIN_REPORT_PDF=$run/report.pdf QT_QPA_PLATFORM=offscreen \
    "$build/tests/calibration/calibration_record" reportIsACertificateWithTheTransmittersHistory \
    >/dev/null
pdftoppm -r 100 -png -singlefile "$run/report.pdf" "$out/calibration-report"
echo "$out/calibration-report.png"
