#!/bin/sh
# Installs with apt-get the Debian packages that one purpose needs:
#   sh scripts/install-deps.sh program   build and install vulconv
#   sh scripts/install-deps.sh tests     everything bash tests/run_all.sh runs
# Only packages that are not installed yet are installed. The package lists
# are refreshed first when they are missing (a fresh machine or a container
# image has none) or more than a day old. Root runs apt-get itself, anyone
# else through sudo.
set -eu

program="cmake g++ make"
# GoogleTest; clang and its runtimes for the sanitizer and fuzz builds;
# valgrind for the memcheck test; MinGW-w64 and Wine for the Windows build
# and its tests; python3 for test scripts and python3-ephem for the solar
# angles check; gdal-bin (ogrinfo) and librsvg2-bin (rsvg-convert), which
# read the overview's track and picture as QGIS and browsers would;
# chromium, which renders the campaign page headless as a scientist's
# browser would, to show that it loads nothing from outside and logs no
# error; parallel (GNU parallel), with which the README's recipe spreads an
# archive over many machines, tried here on this one; and for the package
# check:
# dpkg-dev (dpkg-shlibdeps, which CPack uses for the Depends field), file
# (CPack reads binaries' types with it), lintian and mandoc (checks of the
# package and the man page).
tests="$program libgtest-dev clang-14 libclang-rt-14-dev valgrind
  g++-mingw-w64-x86-64 wine64 python3 python3-ephem gdal-bin librsvg2-bin
  chromium parallel dpkg-dev file lintian mandoc"

case "${1-}" in
  program) wanted=$program ;;
  tests) wanted=$tests ;;
  *)
    echo "usage: sh scripts/install-deps.sh program|tests" >&2
    exit 2
    ;;
esac

missing=
for pkg in $wanted; do
  # "ii" is installed and configured; anything else is installed again.
  case "$(dpkg-query -W -f='${db:Status-Abbrev}' "$pkg" 2>/dev/null)" in
    ii*) ;;
    *) missing="$missing $pkg" ;;
  esac
done
if [ -z "$missing" ]; then
  echo "install-deps: everything for '$1' is installed"
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  as_root=
elif command -v sudo >/dev/null 2>&1; then
  as_root=sudo
else
  echo "install-deps: missing:$missing; run this as root, or install sudo" >&2
  exit 1
fi

apt_get() {
  $as_root env DEBIAN_FRONTEND=noninteractive apt-get -y "$@"
}

# The newest list file tells when the lists were last fetched.
lists=/var/lib/apt/lists
if [ -z "$(find "$lists" -maxdepth 1 -type f -name '*_Packages*' -mtime -1 2>/dev/null)" ]
then
  echo "install-deps: refreshing the package lists"
  apt_get update
  updated=yes
else
  updated=no
fi
echo "install-deps: installing$missing"
# Fresh lists can still be stale for a package the mirror has since replaced:
# then apt-get install fails to fetch it, and one refresh fixes that.
# shellcheck disable=SC2086  # one word per package
if ! apt_get install --no-install-recommends $missing; then
  [ "$updated" = no ] || exit 1
  apt_get update
  apt_get install --no-install-recommends $missing
fi
