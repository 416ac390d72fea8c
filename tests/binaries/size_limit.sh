#!/usr/bin/env bash
# Fails when FILE is larger than LIMIT bytes, naming both sizes.
#   tests/binaries/size_limit.sh LIMIT FILE
set -uo pipefail
if (($# != 2)); then
    echo "usage: $0 LIMIT FILE" >&2
    exit 2
fi
size=$(stat -c %s "$2") || exit 1
if ((size > $1)); then
    echo "FAIL $2: $size bytes, more than the limit of $1"
    exit 1
fi
echo "$2: $size bytes, within the limit of $1"
