#!/usr/bin/env bash
# Runs the setup program as a user would, on the default (Windows NT) platform.
set -euo pipefail
build=${1:-build}
"$build/bin/setup"
