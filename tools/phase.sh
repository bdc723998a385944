#!/usr/bin/env bash
# Runs one phase of `make test` or `make run` and records its wall time and
# the CPU time (user + system) of everything it ran:
#   phase.sh NAME COMMAND...     runs COMMAND, appends a line to the record
#   phase.sh --table             prints the record as a table
#   phase.sh --reset             starts a new record
# The record is build/phase-times.txt. CPU time divided by the cores used is
# what the phase would take on an idle machine, whatever else runs beside it.
# Phases may run side by side: the total wall time is from the first phase's
# start to the last one's end, not the sum.
top=$(cd "$(dirname "$0")/.." && pwd)
record="$top/build/phase-times.txt"
case "${1:-}" in
  --reset) mkdir -p "$top/build"; : > "$record"; exit 0 ;;
  --table)
    [ -f "$record" ] || exit 0
    awk -F'\t' '
      function clock(s) { return sprintf("%d:%04.1f", int(s / 60), s - 60 * int(s / 60)) }
      BEGIN { printf "%-30s %10s %10s  %s\n", "phase", "wall", "cpu", "status" }
      { printf "%-30s %10s %10s  %s\n", $1, clock($2), clock($3), $4; cpu += $3
        if (NR == 1 || $5 < first) first = $5
        if ($6 > last) last = $6 }
      END { printf "%-30s %10s %10s\n", "total", clock(last - first), clock(cpu) }' "$record"
    exit 0 ;;
esac
name=$1; shift
mkdir -p "$(dirname "$record")"
start=$(date +%s.%N)
"$@"
status=$?
end=$(date +%s.%N)
# The second line of `times`: user and system time of this script's children.
times > "$record.times.$$"
cpu=$(tail -1 "$record.times.$$" | awk '{
  n = split($0, f, " "); total = 0
  for (i = 1; i <= n; i++) { split(f[i], p, "m"); sub("s", "", p[2]); total += p[1] * 60 + p[2] }
  print total }')
rm -f "$record.times.$$"
printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$name" "$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')" "$cpu" \
  "$([ $status = 0 ] && echo ok || echo "failed ($status)")" "$start" "$end" >> "$record"
exit $status
