# A spool file whose last line is a gigabyte long, with less memory than
# that: the reading stops, and the document still gets its tail.
truncate -s 1G "$run/files/orvprint.tmp"   # a sparse file: NUL bytes, no line end
# Under AddressSanitizer an allocation that fails aborts instead of throwing.
grep -q -a __asan_init "$program" && skip "the sanitizer build cannot run out of memory gracefully"
ulimit -v 600000
