#!/usr/bin/env bash
# stopwatch.exe runs from a folder of its own: every DLL it imports is one that Windows itself
# ships, and it is a GUI program (no console window comes up with it).
# usage: system_dlls_only.sh <stopwatch.exe>
set -u
objdump=x86_64-w64-mingw32-objdump
command -v "$objdump" > /dev/null || { echo "FAILED: $objdump is not installed"; exit 1; }
headers=$("$objdump" -p "$1") || { echo "FAILED: $objdump could not read $1"; exit 1; }
grep -q 'Subsystem.*(Windows GUI)' <<< "$headers" || { echo "FAILED: not a GUI program"; exit 1; }
imports=$(sed -n 's/^\s*DLL Name: //p' <<< "$headers" | tr 'A-Z' 'a-z' | sort -u)
[ -n "$imports" ] || { echo "FAILED: no imported DLLs found in $1"; exit 1; }
shipped="advapi32.dll bcrypt.dll comctl32.dll comdlg32.dll gdi32.dll gdiplus.dll kernel32.dll msvcrt.dll
oleacc.dll ole32.dll oleaut32.dll shell32.dll user32.dll uxtheme.dll version.dll"
status=0
for dll in $imports; do
  grep -qw "$dll" <<< "$shipped" || { echo "FAILED: imports $dll, which Windows does not ship"; status=1; }
done
[ $status -eq 0 ] && echo "PASSED: imports only "$imports
exit $status
