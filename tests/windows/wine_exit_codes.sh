#!/usr/bin/env bash
# Usage: wine_exit_codes.sh WINE_RUN PROBE_EXE
set -uo pipefail
run=$1 probe=$2
failures=0

expect() {  # expect CHECK DESCRIPTION -- ARGS...
  local check=$1 what=$2; shift 3
  "$run" "$probe" "$@" >/dev/null 2>&1
  local rc=$?
  if eval "$check"; then
    echo "ok: $what (exit $rc)"
  else
    echo "FAILED: $what (exit $rc)"
    failures=$((failures + 1))
  fi
}

expect '[ $rc -eq 0 ]'  'success is 0' --
expect '[ $rc -eq 7 ]'  'exit code passes through' -- 7
expect '[ $rc -ne 0 ]'  'an access violation is a failure' -- crash
expect '[ $rc -ne 0 ]'  'an uncaught exception is a failure' -- throw
exit $(( failures > 0 ))
