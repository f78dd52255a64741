# odecet-cli's job in awk, one point per line: the first file's points kept by line number, the
# second's compared (count on line 1, then each frequency) and subtracted as they come.
# Usage: mawk -f lines.awk STEP1 STEP2 > REPORT
NR == FNR { f[FNR] = $1; re[FNR] = $2; im[FNR] = $3; next }
FNR == 1 {
  if ($1 != f[1]) { print "counts differ" > "/dev/stderr"; exit 1 }
  printf "%-38s%-38s%-38s\r\n%s\r\n", "f (Hz)", "Re (Ohm)", "-Im (Ohm)",
         "--------------------------------------------------------------------------------------"
  next
}
$1 != f[FNR] { print "frequencies differ" > "/dev/stderr"; exit 1 }
{ printf "%-38.15g%-38.15g%-38.15g\r\n", $1, $2 - re[FNR], im[FNR] - $3 }
