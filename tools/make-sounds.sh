#!/usr/bin/env bash
# Makes the clock's sound data: the spoken-time fragments (Sounds/) with espeak-ng's
# Russian voice, the chimes and alarm melodies (Ring/) with sox, and the about box's
# greeting (Wazzap.wav, which goes into the about box's form, not beside the program).
# Every file is PCM 16-bit mono 22050 Hz with exact header lengths (sox writes them;
# espeak-ng's own stdout header does not).
# Usage: make-sounds.sh <output folder>
set -euo pipefail
out=$1
mkdir -p "$out/Sounds" "$out/Ring"
fmt=(-r 22050 -c 1 -b 16 -e signed-integer)

say() { # path words: the words, without the silence around them
  local tmp
  tmp=$(mktemp --suffix=.wav)
  espeak-ng -v ru -s 150 -w "$tmp" "$2"
  sox -R -t wav "$tmp" "${fmt[@]}" "$1" silence 1 0.01 0.5% reverse silence 1 0.01 0.5% reverse
  rm -f "$tmp"
}
speak() { say "$out/Sounds/$1.wav" "$2"; } # fragment words

words=(ноль один два три четыре пять шесть семь восемь девять десять одиннадцать двенадцать
       тринадцать четырнадцать пятнадцать шестнадцать семнадцать восемнадцать девятнадцать
       двадцать "двадцать один" "двадцать два" "двадцать три")
for i in "${!words[@]}"; do speak "$i" "${words[$i]}"; done
speak 1a одна;      speak 2e две
speak 30 тридцать;  speak 40 сорок;   speak 50 пятьдесят
speak chas час;     speak chasa часа; speak chasov часов
speak minuta минута; speak minuti минуты; speak minut минут
speak rovno ровно
say "$out/Wazzap.wav" "Привет, друг!"

# Chimes (one or two seconds) and melodies (longer), with Russian names.
ring() { # name sox-effects...
  local name=$1; shift
  sox -R -n "${fmt[@]}" "$out/Ring/$name.wav" "$@"
}
tone() { # seconds frequency -> a soft plucked note as a temporary file
  local f
  f=$(mktemp --suffix=.wav)
  sox -R -n "${fmt[@]}" "$f" synth "$1" pluck "$2" fade q 0.005 "$1" 0.3 vol 0.6
  echo "$f"
}
melody() { # name seconds notes...
  local name=$1 len=$2; shift 2
  local parts=()
  for n in "$@"; do parts+=("$(tone "$len" "$n")"); done
  sox -R "${parts[@]}" "${fmt[@]}" "$out/Ring/$name.wav"
  rm -f "${parts[@]}"
}
ring "Колокольчик" synth 1.6 sine 1318.5 synth 1.6 sine mix 1975.5 fade q 0.005 1.6 1.5 vol 0.5
melody "Кукушка" 0.45 C6 A5 C6 A5
melody "Утро" 0.3 C5 E5 G5 C6 G5 E5 C5 E5 G5 C6 E6 C6 G5 E5 C5 C5 E5 G5 C6 G5 E5 C5
melody "Трель" 0.12 E6 G6 E6 G6 E6 G6 E6 G6 C6 E6 C6 E6 C6 E6 C6 E6 E6 G6 E6 G6 E6 G6 E6 G6 C6 E6 C6 E6 C6 E6 C6 E6 C6 C6 C6 C6
