# No INI file at all: the defaults.
trace_lines=('INI file <run>/files/Sessio.ini: not found' 'INI file <run>/files/OrvPrint.ini: not found')
