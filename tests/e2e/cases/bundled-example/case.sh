# The bundled example session, as the main command converts it.
cp "$root/examples/session/"* "$run/files/"
