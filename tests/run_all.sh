#!/usr/bin/env bash
# Every test, from scratch: the release build and its suite (valgrind
# memcheck of the sample, and the Windows tests under Wine when the cross
# compiler and Wine are installed), the whole suite again under ASan and
# UBSan, each fuzz target for a bounded time on its committed corpus
# (clang++-14), and the packages: the .deb and the stand-alone Windows
# build's zip (scripts/package-check.sh). Stops at the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --workflow --preset release --fresh
cmake --workflow --preset asan --fresh
cmake --workflow --preset fuzz --fresh
bash scripts/package-check.sh
