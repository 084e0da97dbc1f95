#!/usr/bin/env bash
# Static checks of the scenario scripts: each parses, and no polling call gets its condition pre-computed.
# "wait_for 10 test "$(cmd)" = x" expands cmd once, before the first poll, so the wait checks a stale value.
#   check-scenarios.sh DIR|SCRIPT...
scripts=()
for arg in "$@"; do
  if [ -d "$arg" ]; then scripts+=("$arg"/*.sh); else scripts+=("$arg"); fi
done
status=0
for script in "${scripts[@]}"; do
  bash -n "$script" || { echo "$script: does not parse" >&2; status=1; }
  # A wait_for whose arguments hold a command substitution (arithmetic $(( )) is fine: it is a constant).
  if grep -nE '^[^#]*(^|[^_[:alnum:]])wait_for +[0-9]+ .*\$\([^(]' "$script" >&2; then
    echo "$script: wait_for with a condition computed before it polls; pass a function instead" >&2
    status=1
  fi
done
[ "$status" = 0 ] && echo "checked ${#scripts[@]} scenario scripts"
exit "$status"
