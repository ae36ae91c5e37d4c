#!/usr/bin/env bash
# Sets up (packages, build) and starts Lexorama on the sample dictionary shipped in
# resources/sample. The program works on the copy in run/, so the sample stays intact.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
mkdir -p run
[ -f run/LEXOTOT.TXT ] || cp resources/sample/LEXOTOT.TXT run/
cd run
exec ../build/app/Lexorama
