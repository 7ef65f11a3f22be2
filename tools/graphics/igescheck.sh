#!/bin/sh
# Reads an IGES file with OpenCASCADE's DRAW and prints what it found: the transfer's check messages
# (lines with "W:" warnings and "F:" failures), the shapes transferred ("nbshapes") and their extent
# ("BOUNDS xmin ymin zmin xmax ymax zmax"). DRAW exits 0 even on errors: read its output.
# The Debian package loads its plugins by unversioned library names that only the -dev packages
# provide, so a folder of links to the versioned libraries stands in for them.
# Usage: igescheck.sh FILE.igs [more DRAW commands, e.g. "puts [entity 3 5]" to dump entity 3]
set -eu
file=$1
more=${2:-}
libdir=${IGESCHECK_LIBDIR:-${TMPDIR:-/tmp}/igescheck-libs-$(id -u)}
mkdir -p "$libdir"
for lib in /usr/lib/x86_64-linux-gnu/libTK*.so.7; do
  base=$(basename "$lib" .7)
  [ -e "$libdir/$base" ] || ln -sf "$lib" "$libdir/$base"
done
export LD_LIBRARY_PATH="$libdir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
export CSF_OCCTResourcePath="${CSF_OCCTResourcePath:-/usr/share/opencascade/resources}"
exec occt-draw -b -c "pload DATAEXCHANGE MODELING; igesbrep {$file} r *; puts [data c]; puts [tpstat c]; puts [nbshapes r]; puts \"BOUNDS [bounding r]\"; $more"
