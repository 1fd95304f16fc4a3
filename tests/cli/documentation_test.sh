#!/bin/bash
# The manual page and the bash completion that ship with quenbrix-tone: the
# page formats without a warning, and both know every option of --help.
# Usage: documentation_test.sh QUENBRIX_TONE MANUAL_PAGE COMPLETION
set -u
tone=$1 page=$2 completion=$3
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

warnings=$(groff -k -ww -man -z "$page" 2>&1) || fail "groff failed"
[[ -z $warnings ]] || fail "groff warnings: $warnings"

options=$("$tone" --help | sed -n 's/^  \(-., \)\?\(--[a-z0-9-]*\).*/\2/p')
[[ -n $options ]] || fail "no option in --help"

# shellcheck source=/dev/null
source "$completion"
complete -p quenbrix-tone >/dev/null || fail "no completion registered for quenbrix-tone"
complete_line() {
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    _quenbrix_tone
}

for option in $options; do
    grep -qF -- "${option//-/\\-}" "$page" || fail "the manual page lacks $option"
    complete_line quenbrix-tone "${option:0:4}"
    [[ " ${COMPREPLY[*]} " == *" $option "* ]] || fail "completing ${option:0:4} misses $option"
done

complete_line quenbrix-tone --se
[[ ${COMPREPLY[*]} == "--seconds" ]] || fail "--se completes to '${COMPREPLY[*]}'"
complete_line quenbrix-tone --dtmf ""
[[ ${#COMPREPLY[@]} == 16 && " ${COMPREPLY[*]} " == *' 0 '*' \* \# '*' D '* ]] ||
    fail "--dtmf offers '${COMPREPLY[*]}'"
complete_line quenbrix-tone --dtmf = 12
[[ ${COMPREPLY[0]} == 120 && ${COMPREPLY[15]} == 12D ]] || fail "--dtmf=12 offers '${COMPREPLY[*]}'"
complete_line quenbrix-tone --dial 1 --format ""
[[ ${COMPREPLY[*]} == "pcm16 ulaw alaw" ]] || fail "--format offers '${COMPREPLY[*]}'"
complete_line quenbrix-tone --rate 8
[[ ${COMPREPLY[*]} == "8000" ]] || fail "--rate 8 offers '${COMPREPLY[*]}'"
complete_line quenbrix-tone --f1 1 -o ""
[[ " ${COMPREPLY[*]} " == *" - "* ]] || fail "-o does not offer standard output"

exit $((failures > 0))
