#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR under /usr, then checks what a
# packager and an operator get: exactly the files that ship, the programs
# answering --help and --version without a display, and the installed korvel
# starting headless (korvel --check) on a fresh user's sample tournament,
# finding its shipped files in share/korvel and writing nothing beside itself.
#   installtree.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
scratch=$(mktemp -d "${TMPDIR:-/tmp}/korvel-install-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
tree=$scratch/root/usr

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

DESTDIR=$scratch/root cmake --install "$build" --prefix /usr >"$scratch/install.log" ||
  { cat "$scratch/install.log"; fail "cmake --install"; }

# The tree, file by file: nothing missing, nothing from the build's own
# helpers (tests, screenshot makers, the art and icon drawers).
expected() {
  printf '%s\n' bin/korvel bin/korvel-tool bin/lensor \
    share/korvel/KV05Manual.rtf share/korvel/SmallSmiley.jpg share/korvel/SmallCaution.jpg \
    share/korvel/face02.ico share/korvel/msgbox03.ico share/lensor/lensor-help.html \
    share/applications/korvel.desktop share/applications/lensor.desktop \
    share/metainfo/invalid.korvel.korvel.metainfo.xml \
    share/man/man1/korvel.1.gz share/man/man1/korvel-tool.1.gz share/man/man1/lensor.1.gz \
    share/doc/korvel/copyright share/doc/korvel/changelog.gz
  for size in 16 24 32 48 64 128 256; do
    printf 'share/icons/hicolor/%sx%s/apps/%s.png\n' "$size" "$size" korvel "$size" "$size" lensor
  done
}
listing() { (cd "$tree" && find . -type f -o -type l) | sed 's|^\./||' | sort; }
listing >"$scratch/installed.txt"
expected | sort >"$scratch/expected.txt"
diff -u "$scratch/expected.txt" "$scratch/installed.txt" ||
  fail "the installed tree differs from what ships (- expected, + installed)"
executables=$( (cd "$tree" && find . -type f -perm /111) | sed 's|^\./||' | sort | tr '\n' ' ')
[ "$executables" = "bin/korvel bin/korvel-tool bin/lensor " ] ||
  fail "only the programs may be executable, found: $executables"
for gz in "$tree"/share/man/man1/*.gz "$tree"/share/doc/korvel/changelog.gz; do
  gzip -t "$gz" || fail "$gz is not whole"
done

# Without any display: the usage and version need no window system.
nodisplay=(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb)
out=$("${nodisplay[@]}" "$tree/bin/korvel-tool" --help) || fail "korvel-tool --help failed"
grep -q '^Commands:' <<<"$out" || fail "korvel-tool --help lists no commands: $out"
out=$("${nodisplay[@]}" "$tree/bin/korvel-tool" --version)
[ "$out" = "korvel-tool $version" ] || fail "korvel-tool --version said: $out"
out=$("${nodisplay[@]}" "$tree/bin/korvel" --version) || fail "korvel --version failed"
[ "$out" = "korvel $version" ] || fail "korvel --version said: $out"
out=$("${nodisplay[@]}" "$tree/bin/korvel" --help) || fail "korvel --help failed"
grep -q '^Usage: korvel' <<<"$out" || fail "korvel --help said: $out"

# The newest release the software centres show, the package's change log
# and the manual pages all name this version.
grep -q "<release version=\"$version\"" "$tree/share/metainfo/invalid.korvel.korvel.metainfo.xml" ||
  fail "the metainfo has no release $version"
zcat "$tree/share/doc/korvel/changelog.gz" | head -1 | grep -qF "korvel ($version)" ||
  fail "the change log's newest entry is not $version"
for page in "$tree"/share/man/man1/*.gz; do
  zcat "$page" | grep -q "^\.TH .*\"korvel $version\"" || fail "$page does not name version $version"
done

# A fresh user, headless: the first run prepares the sample tournament and
# korvel --check runs the start-up on it.
home=$scratch/home
mkdir -p "$home" "$scratch/runtime"
chmod 700 "$scratch/runtime"
korvel() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u KORVEL_HOME HOME="$home" \
    XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
    XDG_RUNTIME_DIR="$scratch/runtime" "$@" timeout 120 "$tree/bin/korvel" --check \
    >"$scratch/check.txt" 2>"$scratch/check-errors.txt"
}
expect_line() {
  grep -qxF -- "$1" "$scratch/check.txt" ||
    { cat "$scratch/check.txt" "$scratch/check-errors.txt"; fail "korvel --check did not say: $1"; }
}
data=$home/.local/share/korvel

# A mistyped switch is refused before anything starts: no question waits on
# the screen, no first run is prepared.
status=0
env -u DISPLAY QT_QPA_PLATFORM=offscreen HOME="$home" XDG_CONFIG_HOME="$home/.config" \
  XDG_DATA_HOME="$home/.local/share" XDG_RUNTIME_DIR="$scratch/runtime" \
  timeout 60 "$tree/bin/korvel" --chek 2>"$scratch/refused.txt" || status=$?
[ $status -eq 2 ] || fail "korvel --chek: exit $status, not 2"
grep -qF 'korvel: unknown option "--chek" (see korvel --help)' "$scratch/refused.txt" ||
  fail "korvel --chek said: $(cat "$scratch/refused.txt")"
[ ! -e "$data" ] || fail "a refused command line prepared the first run"
# Over ssh, with no display at all, the refusal is the same, not the
# toolkit's abort for want of a screen.
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$home" \
  XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$scratch/runtime" \
  timeout 60 "$tree/bin/korvel" --chek 2>"$scratch/refused.txt" || status=$?
[ $status -eq 2 ] || fail "korvel --chek without a display: exit $status, not 2"
grep -qF 'korvel: unknown option "--chek"' "$scratch/refused.txt" ||
  fail "korvel --chek without a display said: $(cat "$scratch/refused.txt")"

status=0
korvel || status=$?
[ $status -eq 0 ] || { cat "$scratch/check.txt" "$scratch/check-errors.txt"; fail "korvel --check: exit $status"; }
expect_line "Settings: $home/.config/KV05/korvel.ini"
expect_line "Program folder (currentcapture.bmp, SkierNames.txt): $data"
expect_line "Manual: $tree/share/korvel/KV05Manual.rtf"
expect_line "Grid state picture: $tree/share/korvel/SmallSmiley.jpg"
expect_line "Magnifier: $tree/bin/lensor"
expect_line "Video folder: $data/videos"
expect_line "Grid 1: ready ($data/sample/sample-lake.ipt)"
expect_line "korvel is ready to measure."
[ -s "$data/videos/Sample Skierjump1.avi" ] || fail "the first run recorded no sample jump"
grep -q "Korvel Measurement Session started" "$data"/videos/JumpMeasurementLog*.txt ||
  fail "the start-up wrote no start line to the day's log"
listing | diff -u "$scratch/installed.txt" - || fail "korvel wrote into its installed tree"

# KORVEL_HOME still moves the program folder; the shipped files stay found.
korvel KORVEL_HOME="$scratch/program" || fail "korvel --check with KORVEL_HOME"
expect_line "Program folder (currentcapture.bmp, SkierNames.txt): $scratch/program"
expect_line "Manual: $tree/share/korvel/KV05Manual.rtf"

# A damaged installation is reported, not passed.
rm "$tree/share/korvel/KV05Manual.rtf"
if korvel; then fail "korvel --check passed without its manual"; fi
expect_line "Manual: not found ($tree/share/korvel/KV05Manual.rtf)"
expect_line "korvel is not ready: not found: KV05Manual.rtf."

# The desktop's own validators, where they are installed.
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$tree"/share/applications/*.desktop || fail "desktop-file-validate"
else
  echo "desktop-file-validate not installed: the menu entries are not validated"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$tree"/share/metainfo/*.metainfo.xml || fail "appstreamcli validate"
else
  echo "appstreamcli not installed: the metainfo is not validated"
fi
if command -v man >/dev/null; then
  for page in "$tree"/share/man/man1/*.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page: $warnings"
  done
fi
echo "installed tree and programs as expected"
