#!/usr/bin/env bash
# Builds the Debian package and the Windows zip and checks what a user gets
# from them: the man page lints clean; the .deb holds exactly its four files,
# passes lintian, and the program unpacked from it prints its version and
# converts the sample into the expected files byte for byte; the zip holds
# vulconv.exe, the README and the licence. Builds into build/program and
# build/windows, reusing what is there. Without the MinGW-w64 cross compiler
# the zip is skipped, unless VULCONV_REQUIRE_WINDOWS_TESTS is set.
set -euo pipefail
cd "$(dirname "$0")/.."
pwd=$PWD

for tool in cmake cpack dpkg-deb dpkg-parsechangelog lintian mandoc groff; do
  command -v "$tool" >/dev/null ||
    { echo "$tool is missing: sh scripts/install-deps.sh tests installs it"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package check: $*"; exit 1; }

# mandoc prints nothing for a clean page.
mandoc -T lint -W all doc/vulconv.1 >"$work/lint.txt" 2>&1 || true
groff -ww -z -man doc/vulconv.1 >>"$work/lint.txt" 2>&1 || true
if [[ -s $work/lint.txt ]]; then
  cat "$work/lint.txt"
  fail "doc/vulconv.1 has the warnings above"
fi

# The changelog's latest entry names the version the package is built as.
version=$(dpkg-parsechangelog -l packaging/changelog -S Version)
cmake --workflow --preset deb
deb=build/program/vulconv_${version}_$(dpkg --print-architecture).deb
[[ -f $deb ]] || fail "no $deb: is packaging/changelog's version the project's?"

dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort >"$work/files.txt"
diff -u - "$work/files.txt" <<'EOF' || fail "$deb holds other files than these"
./usr/bin/vulconv
./usr/share/doc/vulconv/changelog.gz
./usr/share/doc/vulconv/copyright
./usr/share/man/man1/vulconv.1.gz
EOF

root=$work/root
dpkg -x "$deb" "$root"
# The copyright file's licence paragraph, unindented, is LICENSE's text:
# each line indented by one space, each empty line written as " .".
awk 'in_text { print ($0 == " .") ? "" : ($0 ~ /^ [^ ]/) ? substr($0, 2) : "bad line: " $0 }
     /^License: Expat$/ { in_text = 1 }' \
  "$root/usr/share/doc/vulconv/copyright" >"$work/license.txt"
sed -n '/^Permission is hereby granted/,$p' LICENSE | cmp - "$work/license.txt" ||
  fail "the copyright file does not carry LICENSE's text"

"$root/usr/bin/vulconv" --version | grep -qF "$version" ||
  fail "the installed vulconv --version does not name $version"
# The sample's files, without what a conversion of it left there.
mkdir "$work/sample" && find examples/sample -maxdepth 1 -type f -exec cp {} "$work/sample" \;
status=0
(cd "$work/sample" && "$root/usr/bin/vulconv" SCAN_20240612_0930.bin >console.txt) || status=$?
[[ $status == 1 ]] || fail "the installed vulconv ended the sample with status $status, not 1"
cmp "$work/sample/console.txt" examples/expected/console.txt
diff <(ls examples/expected | grep -v '^console.txt$') <(ls "$work/sample/20240612_0930") ||
  fail "the sample's output folder holds other files than examples/expected/"
for expected in examples/expected/*.std; do
  cmp "$expected" "$work/sample/20240612_0930/${expected##*/}"
done

lintian --fail-on error,warning --display-info "$deb" ||
  fail "lintian reports errors or warnings on $deb"
echo "package check: $deb converts the sample and passes lintian"

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
  [[ -z ${VULCONV_REQUIRE_WINDOWS_TESTS-} ]] || fail "the MinGW-w64 cross compiler is missing"
  echo "package check: skipped the Windows zip (no MinGW-w64 cross compiler)"
  exit 0
fi
cmake --workflow --preset windows-zip
zip=build/windows/vulconv-$version-win64.zip
[[ -f $zip ]] || fail "no $zip"
top=vulconv-$version-win64
cmake -E tar tf "$zip" | sort >"$work/zip.txt"
diff -u - "$work/zip.txt" <<EOF || fail "$zip holds other files than these"
$top/LICENSE.txt
$top/README.txt
$top/vulconv.exe
EOF
(cd "$work" && cmake -E tar xf "$pwd/$zip")
cmp LICENSE "$work/$top/LICENSE.txt"
cmp README.md "$work/$top/README.txt"
[[ $(head -c 2 "$work/$top/vulconv.exe") == MZ ]] || fail "$top/vulconv.exe is no Windows program"
echo "package check: $zip holds vulconv.exe, the README and the licence"
