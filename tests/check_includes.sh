#!/usr/bin/env bash
# Every include of the project's own headers names the header from its layer's root
# ("storage/DataFile.h"), never by a path relative to the including file ("../storage/..."):
# a relative path would reach a higher layer's header past the include roots that make such an
# include fail to build.
#
# Usage: bash check_includes.sh <source folder>
set -euo pipefail
cd "${1:?usage: $0 <source folder>}"
found=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"\.{1,2}/' \
            --include='*.cpp' --include='*.h' --include='*.in' \
            app records storage output widgets resources tests bench fuzz || true)
if [[ -n $found ]]; then
    echo "FAIL: includes by a relative path:" >&2
    echo "$found" >&2
    exit 1
fi
echo "PASS: no include by a relative path"
