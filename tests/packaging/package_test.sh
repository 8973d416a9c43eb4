#!/usr/bin/env bash
# Builds the Debian package from a build folder, checks what it holds and that Debian's
# tools accept it, unpacks it into a temporary root and runs the programs from there as
# an installed system would: help, version, the demo from the installed examples, the
# desktop program's screenshot, and the bash completions.
# Usage: package_test.sh BUILD_DIR PACKAGE_FILE_NAME VERSION
set -euo pipefail
build=$1 deb_name=$2 version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# --- the package
(cd "$build" && cpack -B "$work/out" >"$work/cpack.log" 2>&1) || {
  cat "$work/cpack.log" >&2
  exit 1
}
deb=$work/out/$deb_name
[ -f "$deb" ] || { ls "$work/out" >&2; echo "FAIL: no $deb_name" >&2; exit 1; }

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/contents"
for path in /usr/bin/TarselUtilities /usr/bin/Tarsel_Batch /usr/bin/tarsel-local \
  /usr/share/doc/tarsel-utilities/help/index.html \
  /usr/share/doc/tarsel-utilities/copyright /usr/share/doc/tarsel-utilities/changelog.gz \
  /usr/share/tarsel-utilities/examples/demo/Demo.app \
  /usr/share/tarsel-utilities/examples/demo/Demo.lst \
  /usr/share/tarsel-utilities/examples/demo/nightly.txt \
  /usr/share/applications/tarsel-utilities.desktop \
  /usr/share/icons/hicolor/48x48/apps/tarsel-utilities.png \
  /usr/share/icons/hicolor/128x128/apps/tarsel-utilities.png \
  /usr/share/icons/hicolor/scalable/apps/tarsel-utilities.svg \
  /usr/share/metainfo/org.example.tarsel_utilities.metainfo.xml \
  /usr/share/man/man1/TarselUtilities.1.gz /usr/share/man/man1/Tarsel_Batch.1.gz \
  /usr/share/man/man1/tarsel-local.1.gz \
  /usr/share/bash-completion/completions/Tarsel_Batch \
  /usr/share/bash-completion/completions/tarsel-local; do
  grep -qxF "$path" "$work/contents" || fail "the package lacks $path"
done
# Nothing of the build machine or the test peers goes along.
if grep -E 'karst-stub|generate-app|_tests$' "$work/contents"; then
  fail "the package holds files that are not the product's"
fi
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' ||
  fail "Depends was not computed from the shared libraries: $(dpkg-deb -f "$deb" Depends)"

root=$work/root
dpkg -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/tarsel-utilities.desktop" ||
  fail "desktop-file-validate refuses the desktop entry"
appstreamcli validate --no-net --pedantic \
  "$root/usr/share/metainfo/org.example.tarsel_utilities.metainfo.xml" >"$work/appstream.log" ||
  { cat "$work/appstream.log" >&2; fail "appstreamcli refuses the metainfo"; }
file "$root/usr/share/icons/hicolor/48x48/apps/tarsel-utilities.png" | grep -q '48 x 48' ||
  fail "the 48 pixel icon is not 48 x 48"
man -l "$root/usr/share/man/man1/Tarsel_Batch.1.gz" 2>/dev/null | grep -q -- '--check' ||
  fail "the manual page of Tarsel_Batch lacks its options"
if ! lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1; then
  cat "$work/lintian.log" >&2
  fail "lintian finds errors"
fi
grep -E '^[EW]:' "$work/lintian.log" || true

# --- the programs, run from the unpacked root
bin=$root/usr/bin
export TARSEL_HOME=$work/home XDG_STATE_HOME=$work/state
for program in TarselUtilities Tarsel_Batch tarsel-local; do
  QT_QPA_PLATFORM=offscreen "$bin/$program" --help >"$work/help.txt" 2>/dev/null ||
    fail "$program --help failed"
  grep -q -i 'usage' "$work/help.txt" || fail "$program --help prints no usage"
  QT_QPA_PLATFORM=offscreen "$bin/$program" --version 2>/dev/null | grep -qF "$version" ||
    fail "$program --version does not print $version"
done

# The demo comes from the installed examples, found relative to the program.
"$bin/tarsel-local" demo >"$work/demo.txt" 2>&1 || { cat "$work/demo.txt" >&2; fail "demo failed"; }
grep -qF "from $root/usr/share/tarsel-utilities/examples/demo/Demo.app" "$work/demo.txt" ||
  fail "the demo did not come from the installed examples: $(head -3 "$work/demo.txt")"

# The desktop program's whole start-up and its main window, on a real X server when there
# is one to start, else offscreen.
shot=$work/main-window.png
run_gui=(env QT_QPA_PLATFORM=offscreen)
if command -v xvfb-run >/dev/null; then
  run_gui=(env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1280x800x24")
fi
TARSEL_CLUSTER=Demo TARSEL_APPLICATION=Demo TARSEL_USER=demo TARSEL_PASSWORD=demo \
  timeout 120 "${run_gui[@]}" "$bin/TarselUtilities" --screenshot "$shot" >"$work/gui.log" 2>&1 ||
  { cat "$work/gui.log" >&2; fail "TarselUtilities --screenshot failed (${run_gui[*]})"; }
file "$shot" 2>/dev/null | grep -q 'PNG image' || fail "no screenshot was saved"
# Run as root, the programs still leave the package's folders alone.
stray=$(ls -A "$bin" | grep -v -x -E 'TarselUtilities|Tarsel_Batch|tarsel-local' || true)
[ -z "$stray" ] || fail "the programs wrote into /usr/bin: $stray"

# --- bash completion, with the installed programs and the demo's Tarsel home
completions=$root/usr/share/bash-completion/completions
complete_words() { # FUNCTION WORD... (the last word is the one being completed)
  bash -c '
    source /usr/share/bash-completion/bash_completion
    source "$1"; fn=$2; shift 2
    COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="${COMP_WORDS[*]}"; COMP_POINT=${#COMP_LINE}
    "$fn"; ((${#COMPREPLY[@]} == 0)) || printf "%s\n" "${COMPREPLY[@]}"' \
    bash "$completions/$([ "$1" = _Tarsel_Batch ] && echo Tarsel_Batch || echo tarsel-local)" "$@" |
    sort | tr '\n' ' '
}
expect() { # WANTED GOT WHAT
  [ "$2" = "$1" ] || fail "completion of $3: wanted '$1', got '$2'"
}
local_bin=$bin/tarsel-local
expect "create-app create-cluster " "$(complete_words _tarsel_local "$local_bin" cr)" "commands"
expect "Demo " "$(complete_words _tarsel_local "$local_bin" list-apps "")" "clusters"
expect "demo " "$(complete_words _tarsel_local "$local_bin" provision Demo d)" "users"
expect "Demo " "$(complete_words _tarsel_local "$local_bin" provision Demo demo "")" "applications"
expect "" "$(complete_words _tarsel_local "$local_bin" --home "$work/none" list-apps "")" \
  "clusters of another home"
expect "--admin --help " "$(complete_words _tarsel_local "$local_bin" provision Demo demo Demo --)" \
  "options of a command"
mkdir -p "$work/jobs"
touch "$work/jobs/nightly.txt" "$work/jobs/weekly.txt" "$work/jobs/plan.app"
cd "$work/jobs"
expect "plan.app " "$(complete_words _tarsel_local "$local_bin" create-app Demo New "")" \
  "the metadata file after the names (options in brackets skipped)"
expect "--check " "$(complete_words _Tarsel_Batch Tarsel_Batch --ch)" "batch options"
expect "nightly.txt " "$(complete_words _Tarsel_Batch Tarsel_Batch --check n)" "--check's file"
expect "nightly.txt,weekly.txt " "$(complete_words _Tarsel_Batch Tarsel_Batch nightly.txt,w)" \
  "the log file after a comma"
expect "" "$(complete_words _Tarsel_Batch Tarsel_Batch "nightly.txt," "weekly.txt," n)" \
  "the user ID"

if [ "$failures" -gt 0 ]; then
  echo "$failures failed" >&2
  exit 1
fi
echo "package $deb_name: contents, validators, lintian, installed programs and completions passed"
