#!/bin/sh
# Writes a program's man page from its own --help and --version with
# help2man, so the page says what the program says. A program whose help
# lists commands (kararisu-cli) gets a COMMANDS section holding each
# command's --help as it prints it.
# usage: make_man.sh HELP2MAN PROGRAM "WHAT IT IS" SEE-ALSO OUT
set -eu
help2man=$1 program=$2 name=$3 see_also=$4 out=$5
include=$(mktemp)
trap 'rm -f "$include"' EXIT
# The palette folder the help names, as a reader of the page has it.
export XDG_DATA_HOME=/@DATA_HOME@
home='$HOME/.local/share'

commands=$("$program" --help | sed -n '/^commands:$/,/^$/s/^  \([a-z][a-z]*\) .*/\1/p')
if [ -n "$commands" ]; then
  echo '[COMMANDS]' >>"$include"
  for c in $commands; do
    printf '.SS %s\n.nf\n' "$c"
    # roff: a backslash is \e, and a line may not begin with a dot or a
    # quote; help2man takes a line beginning with "/" or "[" for its own.
    "$program" "$c" --help | sed -e 's/\\/\\e/g' -e "s/^\\([.'/[]\\)/\\\\\\&\\1/" \
      -e "s|/@DATA_HOME@|$home|g"
    printf '.fi\n'
  done >>"$include"
fi
printf '[SEE ALSO]\n%s\n' "$see_also" >>"$include"

"$help2man" --locale=C.UTF-8 --no-info --no-discard-stderr --name="$name" \
  --include="$include" --output="$out" "$program"
