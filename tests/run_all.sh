#!/usr/bin/env bash
# Every test, from scratch: the release build and its suite (valgrind
# memcheck of the sample included), the whole suite again under ASan and
# UBSan, and each fuzz target for a bounded time on its committed corpus
# (clang++-14). Stops at the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --workflow --preset release --fresh
cmake --workflow --preset asan --fresh
cmake --workflow --preset fuzz --fresh
