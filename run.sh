#!/usr/bin/env bash
# Installs what is missing, builds the program folder (the tool and what sits beside it,
# not the tests), and starts the tool from it.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/setup.sh program_folder
exec build/bin/Tolvexan "$@"
