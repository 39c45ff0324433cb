# No ORVTMP: "Sessio.ini" comes from the current folder, the rest from its terminal folder T1.
unset ORVTMP
