#!/usr/bin/env bash
# The bash completion of vorlith-cli and vorlith: each case is a command line typed up to the
# cursor (the last word is the one being completed) and the words offered, separated by "|" (in
# any order: bash sorts what it shows).
#
#   completion_test.sh COMPLETION_FILE
set -uo pipefail
completion=${1:?usage: completion_test.sh COMPLETION_FILE}
# shellcheck source=/dev/null
source "$completion"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/reports" "$work/red folder"
touch "$work/report.jsonl" "$work/report.json" "$work/report.csv"
cd "$work" || exit 1

passed=0 failed=0
# check "COMMAND LINE" "EXPECTED WORDS": the line is split at blanks (and "=" as bash does); a
# line ending in a blank completes an empty word.
check() {
    local line=$1 expected=$2
    local -a words
    read -ra words <<<"${line//=/ = }"
    [[ $line == *' ' || $line == *= ]] && words+=("")
    COMP_WORDS=("${words[@]}")
    COMP_CWORD=$((${#words[@]} - 1))
    COMPREPLY=()
    complete -p "${words[0]}" >/dev/null || { echo "FAIL: no completion for ${words[0]}"; ((failed++)); return; }
    local function
    function=$(complete -p "${words[0]}" | sed -n 's/.*-F \([^ ]*\).*/\1/p')
    "$function" 2>/dev/null
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd'|')
    expected=$(tr '|' '\n' <<<"$expected" | LC_ALL=C sort | paste -sd'|')
    if [[ $got == "$expected" ]]; then
        ((passed++))
    else
        echo "FAIL: '$line': expected '$expected', got '$got'"
        ((failed++))
    fi
}

check 'vorlith-cli --q' '--quiet'
check 'vorlith-cli --u' '--url-cache|--uninstall'
check 'vorlith-cli --ver' '--version'
check 'vorlith-cli ' 'config'
check 'vorlith-cli config ' 'list|get|set'
check 'vorlith-cli --quiet config s' 'set'
check 'vorlith-cli config get No' 'NoThumbs|NoFirefox'
check 'vorlith-cli config set ' 'MinDays|HARunOnStart|DefaultResults|ScanNetworkDrives|NoThumbs|NoFirefox|WinStart|LastAudit|CumlativeTotal'
check 'vorlith-cli config set DefaultResults ' '0|1|2|3'
check 'vorlith-cli config set nothumbs ' '0|1'
check 'vorlith-cli config set MinDays ' ''
check 'vorlith-cli config list ' ''
check 'vorlith-cli --url-cache ' 'auto|none|red folder|report.csv|report.json|report.jsonl|reports'
check 'vorlith-cli --url-cache=rep' 'report.csv|report.json|report.jsonl|reports'
check 'vorlith-cli --export rep' 'report.csv|report.json|reports'
check 'vorlith-cli --export config ' 'config'
check 'vorlith-cli --drive r' 'red folder|reports'
check 'vorlith-cli --report-dir=rep' 'reports'
check 'vorlith-cli --drive config ' 'config'
check 'vorlith --no' '--no-browser'
check 'vorlith ' '/STARTUP|/UNINSTALL'
check 'vorlith --drive /tmp /U' '/UNINSTALL'
check 'vorlith --drive=reports /S' '/STARTUP'
check 'vorlith /STARTUP ' ''
check 'vorlith --report-dir re' 'red folder|reports'

echo "completion: $passed passed, $failed failed"
((failed == 0))
