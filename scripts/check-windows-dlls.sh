#!/usr/bin/env bash
# Fails when a Windows executable needs a DLL that Windows itself does not bring: the
# program must run on a plain Windows machine from its folder alone (the MinGW runtime
# is linked in statically; the common controls and dialogs of the window are the
# system's own). Usage: check-windows-dlls.sh FILE.exe
set -euo pipefail

exe=${1:?usage: check-windows-dlls.sh FILE.exe}
system_dlls='^(kernel32|user32|advapi32|gdi32|shell32|comctl32|comdlg32|ole32|oleaut32|ws2_32|winmm|msvcrt|ucrtbase|setupapi|cfgmgr32|bcrypt|ntdll|api-ms-win-[a-z0-9-]+)\.dll$'

dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
echo "$(basename "$exe") needs: $(echo $dlls)"
status=0
for dll in $dlls; do
  if ! echo "$dll" | tr '[:upper:]' '[:lower:]' | grep -qE "$system_dlls"; then
    echo "$exe needs $dll, which is not part of Windows"
    status=1
  fi
done
exit "$status"
