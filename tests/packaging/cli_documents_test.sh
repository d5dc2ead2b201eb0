#!/usr/bin/env bash
# The manual page and the bash completion are written by hand; this holds them to what chimewell-cli itself
# says it takes: every command its --help lists, with every option of the command's usage line. It also
# completes a few command lines the way bash would.
# Usage: cli_documents_test.sh CHIMEWELL_CLI PACKAGING_FOLDER
set -u
cli=$1
manual=$2/chimewell-cli.1
completion=$2/chimewell-cli.bash-completion
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# shellcheck source=/dev/null
source "$completion"
# Completes the words given, the last one being the word under the cursor; the offers, one a line.
complete_line() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _chimewell_cli 2>/dev/null
    printf '%s\n' "${COMPREPLY[@]}"
}
offers() {
    local offered=$1 wanted=$2
    grep -qxF -- "$wanted" <<<"$offered"
}

commands=$("$cli" --help | sed -n 's/^ *chimewell-cli \([a-z][a-z]*\).*/\1/p' | sort -u)
[ "$(echo "$commands" | grep -c .)" -ge 10 ] || fail "chimewell-cli --help lists too few commands: $commands"
first_words=$(complete_line chimewell-cli "")
for command in $commands; do
    offers "$first_words" "$command" || fail "the completion does not offer the command $command"
    # The manual describes each command in an entry that begins with its name in bold.
    entries=$(grep -F "\\fB$command\\fR" "$manual")
    [ -n "$entries" ] || fail "the manual has no entry for $command"
    options=$(complete_line chimewell-cli "$command" --)
    offers "$options" --help || fail "the completion does not offer $command --help"
    usage=$("$cli" "$command" --help | head -n 1)
    for option in $(grep -o -- '--[a-z][a-z-]*' <<<"$usage" | sort -u); do
        offers "$options" "$option" || fail "the completion does not offer $command $option"
        grep -qF -- "${option//-/\\-}" <<<"$entries" || fail "the manual's entry for $command lacks $option"
    done
done
offers "$first_words" --help || fail "the completion does not offer --help"

# A folder is completed after --dir, and a file as the exchange file of export; names with blanks stay whole.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/提醒 数据"
touch "$work/生日提醒.txt"
cd "$work" || exit 1
folders=$(complete_line chimewell-cli list --dir "")
offers "$folders" "提醒 数据" || fail "--dir does not complete the folder: $folders"
offers "$folders" "生日提醒.txt" && fail "--dir offers a file"
files=$(complete_line chimewell-cli export --items 1,2 "生")
offers "$files" "生日提醒.txt" || fail "export does not complete the file: $files"
[ -z "$(complete_line chimewell-cli due --at "")" ] || fail "--at offers something"

if [ "$failures" -gt 0 ]; then
    echo "0 passed, 1 failed"
    exit 1
fi
echo "1 passed, 0 failed"
