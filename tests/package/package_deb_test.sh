#!/usr/bin/env bash
# Makes the .deb from the build folder this runs in, unpacks it into a
# scratch root and checks that what a line PC gets is there and runs.
# Usage: package_deb_test.sh CPACK CPackConfig.cmake USB_IDS
set -uo pipefail
cpack=$1 config=$2 usb_ids=$3

scratch=$(mktemp -d "${TMPDIR:-/tmp}/korvel-package-test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

if ! "$cpack" -G DEB --config "$config" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log" >&2
  echo "FAIL: cpack -G DEB failed" >&2
  exit 1
fi
debs=("$scratch"/out/*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "FAIL: expected one .deb, found: ${debs[*]}" >&2
  exit 1
fi
deb=${debs[0]}
root=$scratch/root
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x $deb" >&2; exit 1; }

for f in usr/bin/korvelst usr/bin/korvelsim usr/bin/korvelimg; do
  [ -x "$root/$f" ] || fail "$f missing or not executable"
done
for f in usr/share/applications/korvelst.desktop \
         usr/share/icons/hicolor/scalable/apps/korvelst.svg \
         usr/lib/udev/rules.d/60-korvel-units.rules \
         usr/share/doc/korvel/README.md; do
  [ -s "$root/$f" ] || fail "$f missing or empty"
done

# The installed programs run from the scratch root, not from the build.
chips=$("$root/usr/bin/korvelimg" chips 2>&1) || fail "korvelimg chips exited $?: $chips"
grep -q 'STM32F103xB' <<<"$chips" || fail "korvelimg chips does not list STM32F103xB"
"$root/usr/bin/korvelsim" --help >/dev/null 2>&1 || fail "korvelsim --help exited $?"
QT_QPA_PLATFORM=offscreen "$root/usr/bin/korvelst" --help >/dev/null 2>&1 || fail "korvelst --help exited $?"

# Every configured ID opens its ports to dialout and keeps ModemManager off.
rules=$root/usr/lib/udev/rules.d/60-korvel-units.rules
for id in ${usb_ids//[,;]/ }; do
  vendor=${id%%:*} product=${id##*:}
  vendor=${vendor,,} product=${product,,}
  grep -F "SUBSYSTEM==\"tty\", ATTRS{idVendor}==\"$vendor\", ATTRS{idProduct}==\"$product\"" "$rules" \
    | grep -F 'GROUP="dialout"' | grep -F 'MODE="0660"' | grep -qF 'ENV{ID_MM_DEVICE_IGNORE}="1"' \
    || fail "no dialout/ModemManager rule for $id in $rules"
done

desktop=$root/usr/share/applications/korvelst.desktop
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
icon_name=$(sed -n 's/^Icon=//p' "$desktop")
[ -x "$root/usr/bin/$exec_name" ] || fail "desktop entry starts '$exec_name', not a packaged program"
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon_name.svg" ] || fail "desktop entry icon '$icon_name' not packaged"
if command -v desktop-file-validate >/dev/null 2>&1; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
fi

depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6widgets6 qt6-qpa-plugins; do
  grep -q "$p" <<<"$depends" || fail "Depends lacks $p: $depends"
done
dpkg-deb -e "$deb" "$scratch/control"
for s in postinst postrm; do
  [ -x "$scratch/control/$s" ] || fail "control script $s missing or not executable"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed on $(basename "$deb")" >&2
  exit 1
fi
echo "$(basename "$deb"): installs and runs"
