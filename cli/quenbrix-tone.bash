# bash completion for quenbrix-tone: its options, files for -o and for the
# recordings of --check, folders for -d, the telephone keys for --dtmf, --dial
# and --expect, the formats and the common rates.

_quenbrix_tone() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    # bash splits "--option=value" at "=": complete the value of --option.
    if [[ $cur == "=" ]]; then
        cur=""
    elif [[ $prev == "=" && $COMP_CWORD -ge 2 ]]; then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi
    COMPREPLY=()
    case $prev in
        -o | --output | --outpu | --outp | --out | --ou | --o)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            [[ -z $cur ]] && COMPREPLY+=("-")
            return
            ;;
        -d | --directory | --director | --directo | --direct | --direc | --dire | --dir)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -d -- "$cur")
            return
            ;;
        --dtmf | --dtm | --dt | --dial | --dia | --expect | --expec | --expe | --exp | --ex | --e)
            # One more key after those typed; * and # escaped for the shell.
            local key
            for key in 0 1 2 3 4 5 6 7 8 9 '\*' '\#' A B C D; do
                COMPREPLY+=("$cur$key")
            done
            compopt -o nospace 2>/dev/null
            return
            ;;
        --format | --forma | --form | --for | --fo)
            mapfile -t COMPREPLY < <(compgen -W "pcm16 ulaw alaw" -- "$cur")
            return
            ;;
        --rate | --rat | --ra | --r)
            # Telephone, wideband, CD, studio rates.
            mapfile -t COMPREPLY < <(compgen -W "8000 16000 22050 44100 48000 96000 192000" \
                -- "$cur")
            return
            ;;
        --tone-ms | --tone-m | --tone- | --tone | --ton | --to | --t | --gap-ms | --gap-m | \
            --gap- | --gap | --ga | --g | --pause-ms | --pause-m | --pause- | --pause | --paus | \
            --pau | --pa | --p | --level | --leve | --lev | --le | --l | \
            --f1 | --f2 | --seconds | --second | --secon | --seco | --sec | --se | --s | \
            --amplitude | --amplitud | --amplitu | --amplit | --ampli | --ampl | --amp | --am | --a | \
            --channel | --channe | --chann | --chan | --cha | --min-level | --min-leve | --min-lev | \
            --min-le | --min-l | --min- | --min | --mi | --m | --max-twist-normal | --max-twist-reverse)
            return
            ;;
    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "--f1 --f2 --seconds --amplitude --output --dtmf
            --directory --dial --tone-ms --gap-ms --pause-ms --rate --format
            --level --check --channel --min-level --max-twist-normal --max-twist-reverse
            --expect --json --help --version -o -d -h" -- "$cur")
    elif [[ " ${COMP_WORDS[*]} " == *" --check "* ]]; then
        # The recordings to check.
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
}

complete -F _quenbrix_tone quenbrix-tone
