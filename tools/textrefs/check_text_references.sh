#!/usr/bin/env bash
# Remakes the text references and compares them byte for byte with the
# shipped ones: the JSON source in Code/Quorm/data/Learned and the engine's
# file written from it. A font or FreeType package whose installed version
# is not the recorded one fails by name and both versions first.
#
# usage: check_text_references.sh MAKER SOURCE_TREE SHIPPED_TEXT_FILE WORK_FOLDER
set -euo pipefail
maker=$1 top=$2 shipped=$3 work=$4
status=0
while read -r package version; do
  case "$package" in ''|'#'*) continue ;; esac
  installed=$(dpkg-query -W -f='${Version}' "$package" 2>/dev/null || true)
  if [ "$installed" != "$version" ]; then
    echo "text references: $package is ${installed:-not installed}, the shipped references were made from $version"
    status=1
  fi
done < "$top/tools/textrefs/inputs.txt"
[ $status = 0 ] || exit 1
mkdir -p "$work"
"$maker" /usr/share/fonts "$work/text.json"
python3 "$top/tools/make_engine_data.py" write text "$work/text.json" "$work/Text"
cmp "$work/text.json" "$top/Code/Quorm/data/Learned/text.json"
cmp "$work/Text" "$shipped"
echo "text references: remade and equal to the shipped ones"
