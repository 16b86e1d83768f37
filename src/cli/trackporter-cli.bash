# bash completion for trackporter-cli                     -*- shell-script -*-
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Completes the commands, each command's options, and the values of --take,
# --to and --master from the takes that the song named on the line holds
# (asked of trackporter-cli itself, so they are always the song's own).

# The options of each command, as its --help lists them.
declare -A _trackporter_cli_options=(
  [info]="-h --help --json"
  [export]="-h --help -t --take -m --master --volume --pan --mute --solo --saved-mix --normalize --true-peak --json --aiff --flac -f --force -q --quiet -v --verbose"
  [loudness]="-h --help -t --take -m --master --volume --pan --mute --solo --saved-mix --json -q --quiet"
  [probe]="-h --help --json"
  [import]="-h --help --to --from -m --master --resample --keep-samples -f --force --no-wait -q --quiet -v --verbose"
  [rename]="-h --help --project -t --take -m --master --no-wait"
  [delete]="-h --help -t --take -m --master --no-wait"
  [play]="-h --help -t --take -m --master --volume --pan --mute --solo --saved-mix --from --device -q --quiet"
  [session]="-h --help -t --take -m --master --volume --pan --mute --solo --saved-mix --flac --ardour -f --force -q --quiet -v --verbose"
  [stems]="-h --help -t --take -m --master -r --recursive --aiff --flac --verify --continue --dawproject -f --force -q --quiet -v --verbose"
  [restore]="-h --help -r --recursive -f --force --allow-changed -q --quiet -v --verbose"
  [devices]="-h --help"
)
_trackporter_cli_commands="info export loudness probe import rename delete play session stems restore devices"
# Options that take a value: the word after them is that value.
_trackporter_cli_valued=" -t --take -m --master --to --volume --pan --mute --solo --from --device --project --true-peak "

# A word as the shell will pass it: quotes removed, a leading ~ expanded.
_trackporter_cli_dequote() {
  local word=$1
  word=${word//\\ / }
  word=${word//\"/}
  word=${word//\'/}
  [[ $word == "~" || $word == "~/"* ]] && word=$HOME${word:1}
  printf '%s' "$word"
}

# Prints "T-K" for every take of song $2 (or "N" for every master take when
# $3 is "masters"), asking the program $1.
_trackporter_cli_takes() {
  local json
  json=$("$1" info "$2" --json 2>/dev/null) || return 0
  if [[ $3 == masters ]]; then
    json=${json#*\"masters\"}
    grep -o '"take": [0-9]*' <<<"$json" | sed 's/"take": //'
  else
    json=${json%%\"masters\"*}
    grep -o '"track": [0-9]*, "take": [0-9]*' <<<"$json" |
      sed 's/"track": \([0-9]*\), "take": \([0-9]*\)/\1-\2/'
  fi
}

_trackporter_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  local program
  program=$(_trackporter_cli_dequote "${COMP_WORDS[0]}")
  COMPREPLY=()

  if ((COMP_CWORD == 1)); then
    mapfile -t COMPREPLY < <(compgen -W "$_trackporter_cli_commands -h --help --version" -- "$cur")
    return 0
  fi
  local command=${COMP_WORDS[1]}
  [[ -n ${_trackporter_cli_options[$command]+set} ]] || return 0

  # The song: the first argument after the command that is no option and
  # no option's value; everything after "--" is an argument.
  local i word song="" after_dashes=0
  for ((i = 2; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    if ((!after_dashes)); then
      if [[ $word == -- ]]; then after_dashes=1; continue; fi
      if [[ $_trackporter_cli_valued == *" $word "* ]]; then
        ((i++))
        # rename's --take and --master take the new name as well.
        [[ $command == rename && $word != --project ]] && ((i++))
        continue
      fi
      [[ $word == -* ]] && continue
    fi
    song=$(_trackporter_cli_dequote "$word")
    break
  done

  case $prev in
    -t | --take | --to)
      [[ -n $song ]] &&
        mapfile -t COMPREPLY < <(compgen -W "$(_trackporter_cli_takes "$program" "$song" takes)" -- "$cur")
      return 0
      ;;
    -m | --master)
      [[ -n $song ]] &&
        mapfile -t COMPREPLY < <(compgen -W "$(_trackporter_cli_takes "$program" "$song" masters)" -- "$cur")
      return 0
      ;;
    --mute | --solo)
      mapfile -t COMPREPLY < <(compgen -W "$(seq 1 16)" -- "$cur")
      return 0
      ;;
    --volume | --pan | --from | --device | --project)
      return 0
      ;;
  esac

  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "${_trackporter_cli_options[$command]}" -- "$cur")
    return 0
  fi
  compopt -o filenames 2>/dev/null
  mapfile -t COMPREPLY < <(compgen -f -- "$cur")
  return 0
}

complete -F _trackporter_cli trackporter-cli
