#!/usr/bin/env bash
# Gathers the marked texts of SOURCE/src into a copy of the English
# translation, as update_translations would, and fails on every text that has
# no finished English there.
set -euo pipefail
lupdate=$1 source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$source/translations/dravik_en.ts" "$work/en.ts"
"$lupdate" -silent -no-obsolete -locations none -tr-function-alias QT_TRANSLATE_NOOP+=DRAVIK_TR_NOOP -recursive "$source/src" -extensions cpp,h -ts "$work/en.ts"
# A missing or new text comes back unfinished; an emptied one has no text.
missing=$(awk '/<source>/ { text = $0 } /<translation type="unfinished"|<translation><\/translation>/ { print text }' "$work/en.ts")
if [[ -n $missing ]]; then
    echo "Texts without a finished English translation in translations/dravik_en.ts:" >&2
    echo "$missing" >&2
    exit 1
fi
