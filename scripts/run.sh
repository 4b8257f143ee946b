#!/usr/bin/env bash
# Runs the setup program as a user would, on the default Windows NT platform,
# keeping a screenshot of its window; then shows where the screenshot is and
# the service entry as it now stands in the SYSTEM hive.
set -uo pipefail
build=${1:-build}

root=${W32_ROOT:-${XDG_DATA_HOME:-$HOME/.local/share}/w32/root}
export W32_SCREENSHOT=${W32_SCREENSHOT:-$PWD/$build/screenshot.png}

"$build/bin/setup"
status=$?
echo "setup exited with status $status"
echo "screenshot: $W32_SCREENSHOT"

hive=$(find "$root" -maxdepth 3 -ipath "$root/system32/config/system" 2>/dev/null | head -n 1)
if [ -z "$hive" ]; then
  echo "no SYSTEM hive under $root (nothing was written)"
  exit "$status"
fi
current=$(hivexget "$hive" 'Select' 'Current' 2>/dev/null || echo 1)
controlset=$(printf 'ControlSet%03d' "$current")
echo "service entry in $hive ($controlset is CurrentControlSet):"
hivexregedit --export --unsafe-printable-strings --prefix 'HKEY_LOCAL_MACHINE\SYSTEM' "$hive" "$controlset\\Services\\ZLN571K"
exit "$status"
