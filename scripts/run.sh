#!/usr/bin/env bash
# Sets up (packages, build) and starts Lexorama on the sample dictionary shipped in
# resources/sample.
#
# The program expects to sit in one folder with its dictionary: it reads LEXOTOT.TXT and
# LEXORAMA.INI from the current folder and writes LEXORAMA.INI to its own folder. So run/
# holds copies of the freshly built program and of its updater beside a copy of the
# sample dictionary, and the program starts there: the settings come back at the next
# start, the update finds both programs where they look for each other, and the sample
# in the repository is never edited.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
mkdir -p run
[ -f run/LEXOTOT.TXT ] || cp resources/sample/LEXOTOT.TXT run/

# Replaced by a rename, so that a copy still running keeps its own file.
place() {
  cp -f "$1" "run/.$2.new"
  mv -f "run/.$2.new" "run/$2"
}
place build/app/Lexorama Lexorama
place build/app/Relexo Relexo

cd run
exec ./Lexorama
