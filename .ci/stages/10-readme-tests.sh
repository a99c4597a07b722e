#!/usr/bin/env bash
# The README's test command, taken from between its markers: release build and tests.
set -euo pipefail
test_command=$(sed -n '/<!-- test-command -->/,/<!-- \/test-command -->/p' README.md | grep -v '^<!--' | grep -v '^```')
echo "README test command: $test_command"
bash -c "$test_command"
