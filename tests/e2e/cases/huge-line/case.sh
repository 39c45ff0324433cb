# A spool file with a line a gigabyte long, with less memory than that:
# the line is left out, and the lines after it are read as usual.
truncate -s 1G "$run/files/orvprint.tmp"   # a sparse file: NUL bytes, no line end
printf '\r\n1,After the long line,1\r\n' >>"$run/files/orvprint.tmp"
# Under AddressSanitizer an allocation that fails aborts instead of throwing.
grep -q -a __asan_init "$program" && skip "the sanitizer build cannot run out of memory gracefully"
ulimit -v 600000
