#!/usr/bin/env bash
# Runs the bash completion of velmorctl on a few command lines and checks what it
# offers against velmorctl's own --help: usage: complete_velmorctl.sh COMPLETION VELMORCTL
set -euo pipefail
completion="$1"
velmorctl="$2"
# shellcheck source=/dev/null
source "$completion"
failures=0

# The words bash would offer for the command line "$1" (the cursor at its end).
offered() {
    read -r -a COMP_WORDS <<<"$1"
    [[ "$1" == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _velmorctl
    printf '%s\n' "${COMPREPLY[@]}" | sort
}

# The subcommands a --help lists, sorted.
help_commands() {
    "$velmorctl" "$@" --help | sed -n '/^Subcommands:/,$p' | awk 'NR > 1 && /^  [a-z]/ {print $1}' | sort
}

expect_same() {
    if [ "$2" != "$3" ]; then
        echo "FAIL: $1"; echo "  offered: $(echo $2)"; echo "  wanted:  $(echo $3)"
        failures=$((failures + 1))
    fi
}
expect_has() {
    grep -qx -- "$3" <<<"$2" || { echo "FAIL: $1 does not offer $3 (offered: $(echo $2))"; failures=$((failures + 1)); }
}

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
touch printer.cfg printer.img

expect_same "the commands" "$(offered 'velmorctl ')" "$(help_commands)"
expect_same "the image commands" "$(offered 'velmorctl image ')" "$(help_commands image)"
expect_same "the clean commands" "$(offered 'velmorctl --json clean ')" "$(help_commands clean)"
expect_same "a command begun" "$(offered 'velmorctl ver')" "verify"
expect_same "after option values" "$(offered 'velmorctl --simulate --device all --board-type 0 dow')" "download"
expect_has "--device" "$(offered 'velmorctl --device ')" "all"
expect_has "a command's options" "$(offered 'velmorctl download --')" "--preverify"
expect_has "global options after a command" "$(offered 'velmorctl download --')" "--json"
expect_has "a document" "$(offered 'velmorctl download ')" "printer.cfg"
expect_has "an image beside a document" "$(offered 'velmorctl image diff printer.cfg ')" "printer.img"
expect_has "a recording file" "$(offered 'velmorctl --record pri')" "printer.cfg"
expect_same "a register address" "$(offered 'velmorctl read ')" ""

[ "$failures" -eq 0 ] && echo "completion: all checks passed"
exit "$failures"
