#!/usr/bin/env bash
# Every function of the binding's table is called somewhere in the program,
# so the table holds exactly what the code calls (a direct call that bypasses
# the table would not link: the programs are not linked against FFmpeg).
set -euo pipefail
root="$1"
table="$root/avbinding/AvFunctionList.h"
names=$(grep -oE 'X\((Avcodec|Avformat|Avutil|Swscale|Swresample|Avfilter), [a-z0-9_]+\)' "$table" |
        sed -E 's/.*, ([a-z0-9_]+)\)/\1/')
[ -n "$names" ] || { echo "no functions found in $table"; exit 1; }
unused=0
for name in $names; do
    if ! grep -rhwE --include='*.cpp' --include='*.h' "$name" \
            "$root/engine" "$root/ui" "$root/app" "$root/avbinding/Dynamicavimport.cpp" |
            grep -vE '^\s*//' | grep -qw "$name"; then
        echo "listed in the binding but never called: $name"
        unused=1
    fi
done
exit $unused
