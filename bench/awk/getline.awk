# odecet-cli's job in awk, all in BEGIN: the first file read with getline into arrays, the second
# compared and subtracted line by line. Usage: mawk -f getline.awk STEP1 STEP2 > REPORT
BEGIN {
  while ((getline < ARGV[1]) > 0) { f[++n] = $1; re[n] = $2; im[n] = $3 }
  printf "%-38s%-38s%-38s\r\n%s\r\n", "f (Hz)", "Re (Ohm)", "-Im (Ohm)",
         "--------------------------------------------------------------------------------------"
  k = 0
  while ((getline < ARGV[2]) > 0) {
    if (++k == 1) { if ($1 != f[1]) { print "counts differ" > "/dev/stderr"; exit 1 } continue }
    if ($1 != f[k]) { print "frequencies differ" > "/dev/stderr"; exit 1 }
    printf "%-38.15g%-38.15g%-38.15g\r\n", $1, $2 - re[k], im[k] - $3
  }
  exit
}
