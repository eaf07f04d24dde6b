#!/usr/bin/env bash
# Builds the Debian package into a scratch folder and checks what a user gets:
# the file list, Depends covering every library the program links, no error,
# warning or hardening note from lintian, a menu entry and AppStream file valid
# without a warning, German in the menu entry, folders left to the file manager
# the menu entry is installed beside, icons of the
# right sizes, and the unpacked program starting offscreen far enough to show
# its window, with and without a folder (given with Qt's -platform and -style
# options), one line and status 1 without a display; --help and --version, and
# --help in German from the translations the package installs.
#
#   tests/check-package.sh BUILD_DIR CPACK_COMMAND VERSION hardened|unhardened
set -euo pipefail

build=$1
cpack=$2
version=$3
hardened=$4
id=org.corvane.Corvane

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# ---- Build the package ----
"$cpack" --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 \
  || { cat "$scratch/cpack.log" >&2; echo "FAIL: cpack" >&2; exit 1; }
arch=$(dpkg --print-architecture)
deb="$scratch/out/corvane_${version}_${arch}.deb"
[[ -f "$deb" ]] || { ls "$scratch/out" >&2; echo "FAIL: no $deb" >&2; exit 1; }

# ---- File list ----
dpkg-deb -x "$deb" "$scratch/root"
root="$scratch/root"
expected=$(printf '%s\n' \
  usr/bin/corvane \
  "usr/share/applications/$id.desktop" \
  usr/share/doc/corvane/changelog.gz \
  usr/share/doc/corvane/copyright \
  "usr/share/icons/hicolor/128x128/apps/$id.png" \
  "usr/share/icons/hicolor/16x16/apps/$id.png" \
  "usr/share/icons/hicolor/32x32/apps/$id.png" \
  "usr/share/icons/hicolor/48x48/apps/$id.png" \
  "usr/share/icons/hicolor/scalable/apps/$id.svg" \
  "usr/share/man/man1/corvane.1.gz" \
  usr/share/corvane/translations/corvane_de.qm \
  "usr/share/metainfo/$id.metainfo.xml" | sort)
actual=$(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | sort)
if [[ "$actual" != "$expected" ]]; then
  fail "file list differs:"
  diff <(echo "$expected") <(echo "$actual") >&2 || true
fi
[[ -x "$root/usr/bin/corvane" ]] || fail "usr/bin/corvane is not executable"

# ---- Control fields ----
[[ "$(dpkg-deb -f "$deb" Package)" == corvane ]] || fail "package name"
[[ "$(dpkg-deb -f "$deb" Version)" == "$version" ]] || fail "version"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
has_dep() { [[ ", $depends," == *", $1 ("* || ", $depends," == *", $1,"* ]]; }
for p in libqt6core6 libqt6gui6 libqt6widgets6 libc6 libstdc++6; do
  has_dep "$p" || fail "Depends lacks $p"
done
# A Wayland desktop gets Qt's Wayland platform with the package (apt installs
# what is recommended), and the fonts stay recommended.
recommends=$(dpkg-deb -f "$deb" Recommends)
echo "Recommends: $recommends"
for p in qt6-wayland fonts-liberation qt6-translations-l10n; do
  [[ ", $recommends," == *", $p,"* ]] || fail "Recommends lacks $p"
done
# Every library the program links directly must come from a package in Depends.
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || echo "$(uname -m)-linux-gnu")
while read -r soname; do
  owner=$(dpkg-query -S "*/$multiarch/$soname" 2>/dev/null | head -n1 | cut -d: -f1 || true)
  if [[ -z "$owner" ]]; then
    fail "no installed package holds $soname"
  elif ! has_dep "$owner"; then
    fail "Depends lacks $owner (for $soname)"
  fi
done < <(LC_ALL=C readelf -d "$root/usr/bin/corvane" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')

# ---- Debian's own checker: any error or warning fails, and so does any
# hardening note among its pedantic and informational ones ----
if ! lintian_out=$(lintian --pedantic --display-info --fail-on error,warning "$deb" 2>&1); then
  echo "$lintian_out" >&2
  fail "lintian"
fi
# (A sanitizer build's program is not hardened, and not what a user gets.)
if [[ $hardened == hardened ]] && grep -q 'hardening-' <<<"$lintian_out"; then
  grep 'hardening-' <<<"$lintian_out" >&2
  fail "lintian notes missing hardening"
fi
# The copyright file is machine-readable and states the About box's licence.
head -n1 "$root/usr/share/doc/corvane/copyright" \
  | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' || fail "copyright format"
grep -q 'All rights reserved' "$root/usr/share/doc/corvane/copyright" || fail "copyright licence"

# ---- Menu entry and AppStream data ----
desktop="$root/usr/share/applications/$id.desktop"
# Both validators pass without a warning.
said=$(desktop-file-validate "$desktop" 2>&1) && [[ -z "$said" ]] || fail "desktop-file-validate: $said"
said=$(appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" 2>&1) \
  && ! grep -qE '^[EW]:' <<<"$said" || fail "appstreamcli validate: $said"
field() { sed -n "s/^$1=//p" "$desktop"; }
[[ "$(field Name)" == "Corvane+" ]] || fail "desktop Name"
[[ "$(field Icon)" == "$id" ]] || fail "desktop Icon"
# A file manager's "Open With Other Application" passes the folder as %f.
[[ "$(field Exec)" == "corvane %f" ]] || fail "desktop Exec is not 'corvane %f'"
[[ -x "$root/usr/bin/$(field Exec | cut -d' ' -f1)" ]] || fail "desktop Exec does not name the installed program"
# The menu entry speaks German from the translations.
for key in Name GenericName Comment Keywords; do
  [[ -n "$(field "$key\\[de\\]")" ]] || fail "desktop $key[de] missing"
done
[[ "$(field 'Comment\[de\]')" == "Die Dateien eines Ordners"* ]] || fail "desktop Comment[de]: $(field 'Comment\[de\]')"
# Folders stay the file manager's: installed beside pcmanfm's menu entry
# (with the caches the package's triggers make), the default for folders is
# still pcmanfm for xdg-open and for GLib.
if grep -q '^MimeType=' "$desktop"; then fail "the menu entry names file types: $(field MimeType)"; fi
apps="$scratch/xdg/share/applications"
mkdir -p "$apps" "$scratch/xdg/config" "$scratch/xdg/home"
cp /usr/share/applications/pcmanfm.desktop "$desktop" "$apps/"
update-desktop-database "$apps"
in_xdg() {
  env -i PATH="$root/usr/bin:$PATH" HOME="$scratch/xdg/home" XDG_DATA_HOME="$scratch/xdg/home" \
    XDG_DATA_DIRS="$scratch/xdg/share" XDG_CONFIG_HOME="$scratch/xdg/config" XDG_CONFIG_DIRS="$scratch/xdg/config" "$@"
}
folders=$(in_xdg xdg-mime query default inode/directory)
[[ "$folders" == pcmanfm.desktop ]] || fail "xdg-mime: folders open with '$folders'"
folders=$(in_xdg gio mime inode/directory)
folders=${folders%%$'\n'*} # its first line names the default
[[ "$folders" == *": pcmanfm.desktop" ]] || fail "gio: $folders"
grep -q "<id>$id</id>" "$root/usr/share/metainfo/$id.metainfo.xml" || fail "metainfo id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$root/usr/share/metainfo/$id.metainfo.xml" \
  || fail "metainfo launchable"

# ---- Icon sizes: width and height from the PNG header ----
for size in 16 32 48 128; do
  png="$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
  dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
  [[ "$dims" == "${size}x${size}" ]] || fail "icon ${size}x${size} is $dims"
done
grep -q "<svg" "$root/usr/share/icons/hicolor/scalable/apps/$id.svg" || fail "scalable icon is no SVG"

# ---- The unpacked program starts, shows its window and ends ----
mkdir "$scratch/work" && touch "$scratch/work/a.txt"
if ! (cd "$scratch/work" && CORVANE_QUIT_AFTER_SHOW=1 QT_QPA_PLATFORM=offscreen \
      timeout 60 "$root/usr/bin/corvane" >/dev/null); then
  fail "the unpacked program did not show its window and end"
fi
# ... also when given a folder, as the file manager starts it, and with Qt's
# standard options instead of its environment: it lists that folder.
if ! shown=$(cd / && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM CORVANE_QUIT_AFTER_SHOW=1 \
      timeout 60 "$root/usr/bin/corvane" -platform offscreen -style Fusion "$scratch/work"); then
  fail "the unpacked program given a folder did not show its window and end"
fi
[[ "$shown" == "$scratch/work"$'\n'"a.txt" ]] || fail "the unpacked program given a folder shows: $shown"
# Without any display it says so in one line and ends with status 1.
status=0
err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE "$root/usr/bin/corvane" 2>&1 >/dev/null) \
  || status=$?
[[ $status -eq 1 && "$err" == "corvane: cannot open a window: "* && $(wc -l <<<"$err") -eq 1 ]] \
  || fail "without a display: status $status, said: $err"

# --help and --version print one text each and need no display.
help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/corvane" --help) || fail "--help status"
[[ "$help" == "Usage: corvane [FOLDER]"* ]] || fail "--help prints: $help"
[[ "$help" == *"Qt's standard options are accepted"* ]] || fail "--help does not mention Qt's options"
for word in "every folder below" "sizes and dates" CSV F5 Ctrl+Q; do
  [[ "$help" == *"$word"* ]] || fail "--help does not name $word"
done
[[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/corvane" --version)" == "Corvane+ $version" ]] \
  || fail "--version"
# The unpacked program finds its translations beside its folder, as installed.
german=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LC_ALL=de_DE.UTF-8 LANGUAGE=de \
  "$root/usr/bin/corvane" --help) || fail "German --help status"
[[ "$german" == "Aufruf: corvane [ORDNER]"* ]] || fail "German --help prints: $german"

if [[ $failures -ne 0 ]]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "package $(basename "$deb") passed"
