# The viewer command starts and fails with exit code 3.
env_vars+=(ORVTEST_EXIT=3)
trace_lines=(' /C USTART <run>/files/doc1.htm ended with exit code 3 after ')
