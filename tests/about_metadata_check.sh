#!/bin/sh
# Validates the generated desktop entry and AppStream metainfo. Fails when the validators are
# not installed: scripts/install-deps.sh test installs them.
set -u
desktop_entry=$1
metainfo=$2
if ! command -v desktop-file-validate >/dev/null || ! command -v appstreamcli >/dev/null; then
  echo "FAILED: desktop-file-validate or appstreamcli is not installed (scripts/install-deps.sh test)"
  exit 1
fi
status=0
desktop-file-validate "$desktop_entry" || status=1
appstreamcli validate --no-net "$metainfo" || status=1
# The program's version must have reached both files.
version=$(sed -n 's/^X-Stopwatch-Version=//p' "$desktop_entry")
if [ -z "$version" ] || ! grep -q "<release version=\"$version\"" "$metainfo"; then
  echo "desktop entry version '$version' has no matching release in $metainfo"
  status=1
fi
exit $status
