# A spool file without a Device line begins no document.
trace_lines=('spool file: no Device line, so no document was begun'
             'viewer: not started: no document was begun (the spool file held no Device line)')
