#!/usr/bin/env bash
# Checks that every C and C++ source of the project is laid out as
# .clang-format says (third-party sources aside); prints what differs.
# To lay a file out: clang-format -i FILE
set -u
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' '*.c' ':!third_party/' | xargs -0 clang-format --dry-run -Werror
