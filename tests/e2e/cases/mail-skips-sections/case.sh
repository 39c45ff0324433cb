# PerCorreu=1 and PrtTambe=0: sections addressed for mail are left out.
trace_lines=('left out (mail is on, PerCorreu, and PrtTambe is 0)' '/ORVEML ended with exit code 0 after ')
