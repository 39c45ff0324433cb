# COMSPEC names no program: the viewer does not start.
COMSPEC="$(progpath nowhere)$([ "$system" = win32 ] && printf '\\cmd.exe' || printf '/cmd')"
trace_lines=(' /C USTART <run>/files/doc1.htm did not start: ')
