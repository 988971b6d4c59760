#!/usr/bin/env bash
# Fails, listing the places, when a C++ file of the repository is not in the .clang-format style.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
