# Sourced by the bench scripts: `best CMD...` prints the fastest of $runs runs of CMD, its output
# dropped, as "12.3 ms".
best() {
  local fastest=999999
  for _ in $(seq "$runs"); do
    local start end ms
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    ms=$(( (end - start) / 100000 ))
    (( ms < fastest )) && fastest=$ms
  done
  printf '%d.%d ms' $((fastest / 10)) $((fastest % 10))
}
