# PerCorreu=1 but ORVEXE names a folder without the mail program.
setdir ORVEXE nowhere
trace_lines=('mail program: <run>/nowhere/ORVEML did not start: ')
