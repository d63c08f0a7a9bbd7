# Completion of orvalin-extract's options and their values for bash.
# SPDX-FileCopyrightText: 2026 Orvalin developers
# SPDX-License-Identifier: GPL-3.0-or-later
_orvalin_extract()
{
    local cur prev words cword
    _init_completion || return

    case $prev in
        -o | --output)
            _filedir -d
            return
            ;;
        --manifest)
            _filedir
            return
            ;;
        --jobs)
            COMPREPLY=($(compgen -W "$(seq 1 "$(nproc 2>/dev/null || echo 4)")" -- "$cur"))
            return
            ;;
        --masks)
            COMPREPLY=($(compgen -W 'save leave-out apply' -- "$cur"))
            return
            ;;
        --timeout)
            COMPREPLY=($(compgen -W "60 300 600 3600" -- "$cur"))
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '-o --output -0 --keep-jpeg --masks --no-masks --no-tiny --no-repeats --no-confinement
            --jobs --manifest --timeout -q --quiet -h --help --version' -- "$cur"))
        return
    fi
    # PDF files and folders.
    _filedir '@(pdf|PDF)'
} &&
    complete -F _orvalin_extract orvalin-extract
