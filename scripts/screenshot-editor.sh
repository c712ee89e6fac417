#!/usr/bin/env bash
# Takes screenshots of the definition editor under a virtual X server:
# out/screenshots/main.png (the main window with the sample definition's
# program start section), out/screenshots/preview.png (the linear feed
# section beside the preview of the shipped sample tool path) and
# out/screenshots/nc_format.png (the NC format settings sheet).  The editor saves its own windows when
# TOLVEK_SCREENSHOT_DIR is set, then ends.
#
# It runs with a settings file of its own (out/screenshots/registry.reg),
# so the user's settings are never read or changed.  TLV_BUILD_DIR builds
# elsewhere than build/; the first argument chooses another output folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TLV_BUILD_DIR:-$root/build}
out=${1:-$root/out/screenshots}

cmake -S "$root" -B "$build" -DTLV_WERROR=ON >/dev/null
cmake --build "$build" --target tolvek dictionary sample_tool_paths -j2 >/dev/null
sample=""
if cmake --build "$build" --target sample_post -j2 >/dev/null 2>&1 &&
   [ -f "$build/bin/samples/mc3axis.tlv" ]; then
  sample="$build/bin/samples/mc3axis.tlv"
fi

mkdir -p "$out"
rm -f "$out/main.png" "$out/preview.png" "$out/nc_format.png"
cat >"$out/registry.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]
"TLVIni"="$build/bin/TOLvek.ini"
"EditFntName"="IPAGothic"
"PrmDeleteNullLine"=dword:00000001
"EditShowPreview"=dword:00000001
REG

TLV_REGISTRY="$out/registry.reg" TOLVEK_SCREENSHOT_DIR="$out" \
  timeout 60 xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/bin/tolvek" ${sample:+"$sample"}

shots="main.png nc_format.png"
[ -n "$sample" ] && shots="$shots preview.png"
for shot in $shots; do
  if [ ! -s "$out/$shot" ]; then
    echo "screenshot-editor: $out/$shot was not written" >&2
    exit 1
  fi
done
echo "screenshot-editor: $(for shot in $shots; do printf '%s ' "$out/$shot"; done)"
