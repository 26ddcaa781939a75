# An array of 1.2 GB fits the 3 GB of address space the run gets here, but
# passes the arrays' limit of 1 GiB: DIM refuses it before laying it out.
ulimit -v 3000000 && exec "$OVRUN" "$PROGRAM"
