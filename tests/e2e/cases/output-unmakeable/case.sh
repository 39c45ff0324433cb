# The output folder cannot be made (a file stands where its parent would be):
# no document is made.
printf '[Opcions]\r\nMostrar=N\r\nDirectori=%s\r\n' "$(progpath files/blocker/out)" >"$run/files/OrvPrint.ini"
trace_lines=('folder <run>/files/blocker/out: not made: ' ': not created: ')
