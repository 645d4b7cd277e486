#!/bin/bash
# Records the expected result of every case of the job corpus anew, with the programs of a build.
# Review the change with "git diff tests/corpus/expected" before committing it.
# Usage: tests/corpus/record.sh <build-dir>
set -euo pipefail
build=${1:?usage: tests/corpus/record.sh <build-dir>}
root=$(cd "$(dirname "$0")/../.." && pwd)
cmake --build "$build" -j2 --target corpus_replay ticketfilter ticketfilter-basic >/dev/null
"$build/tests/corpus/corpus_replay" --bin "$build/bin" --root "$root" --record
git -C "$root" status --short -- tests/corpus/expected | head -20
