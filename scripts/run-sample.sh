#!/usr/bin/env bash
# Sets everything up, builds, then posts the sample tool path
# (data/samples/plate.tlvstx) with the shipped 3-axis machining-centre post
# (data/mc3axis.tlv.txt, built into build/bin/samples/mc3axis.tlv) and shows
# the NC program and the process sheet.
#
# The run happens in out/sample/ (emptied first) with a settings file of its
# own (out/sample/registry.reg, passed as TLV_REGISTRY), so the settings of
# the user are never read or changed.  TLVP's messages are in
# out/sample/stdout.txt, its run log in out/sample/TOLvek.log, the NC
# program in out/sample/plate.nc and the process sheet (CSV) in
# out/sample/plate.nc.csv.  TLV_BUILD_DIR builds elsewhere than build/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TLV_BUILD_DIR:-$root/build}
work=$root/out/sample

"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$build"

if ! cmake -DTLVP="$build/bin/TLVP" \
     -DDICTIONARY="$build/bin/TOLvek.ini" \
     -DDEFINITION="$build/bin/samples/mc3axis.tlv" \
     -DTOOLPATH="$root/data/samples/plate.tlvstx" \
     -DWORK="$work" \
     -P "$root/data/post_sample.cmake"; then
  echo "run-sample: posting the sample failed; see $work/TOLvek.log" >&2
  exit 1
fi

cat "$work/stdout.txt"
echo
echo "== NC program $work/plate.nc"
# NC text is code page 932; show it as UTF-8.
iconv -f CP932 -t UTF-8 "$work/plate.nc"
for sheet in "$work"/*.csv; do
  [ -e "$sheet" ] || continue
  echo
  echo "== process sheet $sheet"
  iconv -f CP932 -t UTF-8 "$sheet"
done
