# bash completion for kararisu-cli: the commands, each command's options as
# its own --help lists them (so they never go stale), the values of the
# options that take a few, folders for -o and files otherwise.

_kararisu_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local tool=${COMP_WORDS[0]}
    if ((COMP_CWORD == 1)); then
        local commands
        commands=$("$tool" --help 2>/dev/null | sed -n '/^commands:$/,/^$/s/^  \([a-z][a-z]*\) .*/\1/p')
        mapfile -t COMPREPLY < <(compgen -W "$commands help --help --version" -- "$cur")
        return
    fi
    case $prev in
        --mode) mapfile -t COMPREPLY < <(compgen -W "$(seq 0 26)" -- "$cur"); return ;;
        --dither) mapfile -t COMPREPLY < <(compgen -W "auto fs ordered" -- "$cur"); return ;;
        --format) mapfile -t COMPREPLY < <(compgen -W "kararisu gimp jasc riff act hex" -- "$cur"); return ;;
        --depth) COMPREPLY=(32); return ;;
        -o | --output) compopt -o filenames; mapfile -t COMPREPLY < <(compgen -d -- "$cur"); return ;;
        --colors | --label | --answers) return ;;
    esac
    if [[ $cur == -* ]]; then
        local options
        options=$("$tool" "${COMP_WORDS[1]}" --help 2>/dev/null | grep -o -e '--[a-z][a-z-]*' | sort -u)
        mapfile -t COMPREPLY < <(compgen -W "$options -h --help -q --quiet -v --verbose" -- "$cur")
        return
    fi
    compopt -o filenames
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
}
complete -F _kararisu_cli kararisu-cli
