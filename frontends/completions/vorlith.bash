# bash completion for vorlith-cli and vorlith, installed under both names.

_vorlith_value_options='--drive --report-dir --url-cache --export'

# Completes the value of an option given as "OPTION VALUE" or "OPTION=VALUE"; fails for any other
# option.
_vorlith_option_value() {
    local option=$1 cur=$2
    case $option in
    --drive | --report-dir)
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -d -- "$cur")
        ;;
    --url-cache)
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -W 'auto none' -- "$cur"; compgen -f -- "$cur")
        ;;
    --export)
        # Folders, and files that can be an export (.json or .csv).
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -d -- "$cur"
            compgen -f -X '!*.json' -- "$cur"
            compgen -f -X '!*.csv' -- "$cur")
        ;;
    *) return 1 ;;
    esac
}

# Sets `option` when the word under the cursor is an option's value.
_vorlith_value_of() {
    option=
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    if [[ $prev == = && $COMP_CWORD -ge 2 ]]; then
        option=${COMP_WORDS[COMP_CWORD - 2]}
    elif [[ $COMP_CWORD -ge 1 && " $_vorlith_value_options " == *" $prev "* ]]; then
        option=$prev
    fi
}

# Moves `i` past the value of the option at `i` ("OPTION VALUE" or "OPTION = VALUE").
_vorlith_skip_value() {
    [[ ${COMP_WORDS[i + 1]-} == = ]] && ((i++))
    ((i++))
}

_vorlith_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} option
    COMPREPLY=()
    [[ $cur == = ]] && cur=
    _vorlith_value_of
    if [[ -n $option ]] && _vorlith_option_value "$option" "$cur"; then
        return
    fi

    # Where "config" stands, values of options skipped.
    local i config=0
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        config)
            config=$i
            break
            ;;
        --drive | --report-dir | --url-cache | --export) _vorlith_skip_value ;;
        esac
    done

    if ((config > 0)); then
        local action=${COMP_WORDS[config + 1]-} key=${COMP_WORDS[config + 2]-}
        local keys='MinDays HARunOnStart DefaultResults ScanNetworkDrives NoThumbs NoFirefox WinStart LastAudit CumlativeTotal'
        local values=
        case $((COMP_CWORD - config)) in
        1) values='list get set' ;;
        2) [[ $action == get || $action == set ]] && values=$keys ;;
        3)
            if [[ $action == set ]]; then
                case ${key,,} in
                harunonstart | scannetworkdrives | nothumbs | nofirefox | winstart) values='0 1' ;;
                defaultresults) values='0 1 2 3' ;;
                esac
            fi
            ;;
        esac
        mapfile -t COMPREPLY < <(compgen -W "$values" -- "$cur")
        return
    fi

    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W '--drive --report-dir --url-cache --export --no-browser --yes
            --uninstall --quiet --help --version' -- "$cur")
    else
        mapfile -t COMPREPLY < <(compgen -W 'config' -- "$cur")
    fi
}

_vorlith() {
    local cur=${COMP_WORDS[COMP_CWORD]} option
    COMPREPLY=()
    [[ $cur == = ]] && cur=
    _vorlith_value_of
    if [[ -n $option ]] && _vorlith_option_value "$option" "$cur"; then
        return
    fi
    # Options come first; after the first word everything is a start-up word.
    local i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        --drive | --report-dir | --url-cache | --export) _vorlith_skip_value ;;
        -*) ;;
        *) return ;;
        esac
    done
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W '--drive --report-dir --url-cache --export --no-browser --help
            --version' -- "$cur")
    else
        mapfile -t COMPREPLY < <(compgen -W '/STARTUP /UNINSTALL' -- "$cur")
    fi
}

complete -F _vorlith_cli vorlith-cli
complete -F _vorlith vorlith
