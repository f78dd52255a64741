# odecet-cli's job in awk, token by token as odecet-cli reads (count, then f re im per point,
# any white space between): both files kept whole, checked, then the report written.
# Usage: mawk -f tokens.awk STEP1 STEP2 > REPORT
function load(file, table,    line, words, m, j, k, tokens, n, i) {
  k = 0
  while ((getline line < file) > 0) {
    m = split(line, words)
    for (j = 1; j <= m; j++) tokens[k++] = words[j]
  }
  close(file)
  n = tokens[0] + 0
  for (i = 0; i < n; i++) {
    table[i, 0] = tokens[1 + 3 * i] + 0
    table[i, 1] = tokens[2 + 3 * i] + 0
    table[i, 2] = tokens[3 + 3 * i] + 0
  }
  return n
}
BEGIN {
  n1 = load(ARGV[1], s1)
  n2 = load(ARGV[2], s2)
  if (n1 != n2) { print "counts differ" > "/dev/stderr"; exit 1 }
  printf "%-38s%-38s%-38s\r\n", "f (Hz)", "Re (Ohm)", "-Im (Ohm)"
  rule = ""
  for (i = 0; i < 86; i++) rule = rule "-"
  printf "%s\r\n", rule
  for (i = 0; i < n1; i++) {
    if (s1[i, 0] != s2[i, 0]) { print "frequencies differ" > "/dev/stderr"; exit 1 }
    printf "%-38.15g%-38.15g%-38.15g\r\n", s1[i, 0], s2[i, 1] - s1[i, 1], s1[i, 2] - s2[i, 2]
  }
  exit 0
}
