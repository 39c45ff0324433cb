# A misspelt key of OrvPrint.ini is not read: the document is shown.
trace_lines=('INI <run>/files/OrvPrint.ini [Opcions] Mostrar: no such key'
             'options: documents shown')
