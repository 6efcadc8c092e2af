#!/usr/bin/env bash
# The bash completion of tessel-cli, through bash itself, with and without
# bash-completion's helpers:
#   CompletionTest.sh COMPLETION_FILE TESSEL_CLI_DIR [BASH_COMPLETION]
set -u
script=$1
PATH=$(cd "$2" && pwd):$PATH
failures=0

# complete WORDS...: what completing the last word of "tessel-cli WORDS..."
# offers, one line, sorted.
complete_line() {
    COMP_LINE="tessel-cli $*"
    COMP_POINT=${#COMP_LINE}
    read -ra COMP_WORDS <<<"$COMP_LINE"
    [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    # As bash splits them: "--type=ca" is "--type" "=" "ca".
    local split=() word
    for word in "${COMP_WORDS[@]}"; do
        if [[ $word == --*=* ]]; then
            split+=("${word%%=*}" = "${word#*=}")
        else
            split+=("$word")
        fi
    done
    COMP_WORDS=("${split[@]}")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _tessel_cli tessel-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    ((${#COMPREPLY[@]})) && printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
}

expect() {
    local got
    got=$(complete_line "$1")
    if [[ $got != "$2" ]]; then
        echo "${mode}: 'tessel-cli $1<TAB>' offers '$got', expected '$2'"
        failures=$((failures + 1))
    fi
}

run_cases() {
    # shellcheck source=/dev/null
    source "$script"
    if [[ $(complete -p tessel-cli) != "complete -F _tessel_cli tessel-cli" ]]; then
        echo "${mode}: not registered: $(complete -p tessel-cli 2>&1)"
        failures=$((failures + 1))
    fi
    cd "$(mktemp -d)" || exit 1
    touch game.bas game.txt
    expect "ren" "renumber "
    expect "s" "send sort "
    expect "l" "lsp "
    expect "help un" "unnumber "
    expect "renumber --s" "--settings --step "
    expect "sort --no-n" "--no-numbers "
    expect "receive --d" "--data --data-bits "
    expect "wire --type ca" "casl "
    expect "wire --type=t" "text "
    expect "send --parity " "even none odd "
    expect "send --port CO" "COM1 COM2 COM3 COM4 "
    expect "sort game." "game.bas game.txt "
    expect "receive -o game.t" "game.txt "
    # An option the command does not take is not offered.
    expect "sort --ta" ""
}

mode="bash-completion"
if [[ -n ${3:-} && -r ${3:-} ]]; then
    (
        # shellcheck source=/dev/null
        source "$3" >/dev/null 2>&1
        run_cases
        exit $failures
    ) || failures=$((failures + $?))
else
    echo "bash-completion is not installed: its helpers are not tried"
fi
mode="plain bash"
(
    run_cases
    exit $failures
) || failures=$((failures + $?))
exit $((failures > 0))
