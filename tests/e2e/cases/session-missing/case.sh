# ORVTMP names a folder that is not there: nothing is found, no document is made.
setdir ORVTMP files/nowhere
trace_lines=('session folder: "<run>/files/nowhere/": no such folder'
             'spool file <run>/files/nowhere/orvprint.tmp: not read: ')
