# No INI file and no spool file at all.
