#!/usr/bin/env bash
# Fails on any include between the project's folders that runs against the layering:
# app/ builds the live program and picks a front end; the front ends (the window, the
# terminal) and the tools use the subsystems, the subsystems use session/ and the
# platform interfaces, and nothing below reaches back up. No front end includes app/.
# Run from the repository root.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
  [session]="session"
  [platform]="platform session"
  [resources]="resources"
  [texts]="texts resources"
  [link]="link session platform"
  [firmware]="firmware link session platform resources"
  [profile]="profile link session platform"
  [flow]="flow session platform link firmware profile texts resources"
  [cli]="cli flow session platform link firmware profile texts resources"
  [wizard]="wizard flow session platform link firmware profile texts resources"
  [winwizard]="winwizard flow session platform link firmware profile texts resources"
  [app]="app wizard winwizard cli flow session platform link firmware profile texts resources"
  [tools]="tools flow session platform link firmware profile texts resources"
)

status=0
for folder in "${!allowed[@]}"; do
  [ -d "$folder" ] || continue
  while IFS=: read -r file line target; do
    ok=0
    for use in ${allowed[$folder]}; do [ "$target" = "$use" ] && ok=1; done
    if [ "$ok" = 0 ]; then
      echo "$file:$line: $folder/ may not include $target/ (it may use: ${allowed[$folder]})"
      status=1
    fi
  done < <(grep -rnoE '^#include "[a-z_]+/' "$folder" --include='*.h' --include='*.cpp' \
             | sed -E 's/#include "([a-z_]+)\//\1/')
done
[ "$status" = 0 ] && echo "layers: every include between folders points down"
exit "$status"
