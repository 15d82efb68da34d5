#!/usr/bin/env bash
# Fails when a C++ source file differs from the project's style (.clang-format);
# `make format` mends it.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
echo "format: every source file follows .clang-format"
