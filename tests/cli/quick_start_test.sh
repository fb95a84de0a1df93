#!/usr/bin/env bash
# README.md's quick start as a new user types it: every line of the sh
# blocks under "## Quick start", exactly as written, in a scratch folder that
# holds the build and the examples where the README says they are, with a
# home of its own (so the journal starts empty). The first command that fails
# fails the test.
#   quick_start_test.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
src=$1
build=$2

commands=$(awk '
  /^## / { inside = ($0 == "## Quick start") }
  inside && /^```/ { code = !code && ($0 == "```sh"); next }
  inside && code' "$src/README.md")
if [ -z "$commands" ]; then
  echo "README.md: no sh block under \"## Quick start\"" >&2
  exit 1
fi

scratch=$(mktemp -d)
mkdir -p "$scratch/build" "$scratch/home"
ln -s "$(cd "$build" && pwd)" "$scratch/build/default"
cp -r "$src/examples" "$scratch/examples"
printf '%s\n' "$commands" >"$scratch/quick-start"

# The commands run as a job of their own, so that a simulated controller
# they left in the background goes with them, whatever happened.
set -m
(cd "$scratch" && exec env -u XDG_DATA_HOME HOME="$scratch/home" bash -eux -o pipefail quick-start) &
job=$!
set +m
wait "$job"
status=$?
kill -TERM -- "-$job" 2>/dev/null
rm -rf "$scratch"
[ "$status" -eq 0 ] || echo "README.md's quick start failed (exit code $status)" >&2
exit "$status"
