#!/bin/sh
# Reads an IGES file with OpenCASCADE's DRAW and prints what it found: the transfer's check messages
# (lines with "W:" warnings and "F:" failures), the shapes transferred ("nbshapes") and their extent
# ("BOUNDS xmin ymin zmin xmax ymax zmax"). DRAW exits 0 even on errors: read its output.
# The Debian package loads its plugins by unversioned library names that only the -dev packages
# provide, so a private folder of links to the versioned libraries stands in for them for this run.
# Usage: igescheck.sh FILE.igs [more DRAW commands, e.g. "puts [entity 3 5]" to dump entity 3]
set -eu
file=$1
more=${2:-}
libdir=$(mktemp -d "${TMPDIR:-/tmp}/igescheck-libs.XXXXXX")
trap 'rm -rf "$libdir"' EXIT
for lib in /usr/lib/x86_64-linux-gnu/libTK*.so.7; do
  ln -s "$lib" "$libdir/$(basename "$lib" .7)"
done
export LD_LIBRARY_PATH="$libdir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
export CSF_OCCTResourcePath="${CSF_OCCTResourcePath:-/usr/share/opencascade/resources}"
occt-draw -b -c "pload DATAEXCHANGE MODELING; igesbrep {$file} r *; puts [data c]; puts [tpstat c]; puts [nbshapes r]; puts \"BOUNDS [bounding r]\"; $more"
