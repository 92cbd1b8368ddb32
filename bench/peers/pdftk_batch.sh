#!/usr/bin/env bash
# pdftk fills one row per process, as its users script it:
#   pdftk_batch.sh FORM.pdf XFDF-DIR ROWS OUTDIR
set -euo pipefail
for ((row = 1; row <= $3; ++row)); do
  pdftk "$1" fill_form "$2/$row.xfdf" output "$4/$row.pdf"
done
