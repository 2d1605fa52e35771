#!/usr/bin/env bash
# Builds the Debian package from a preset's build folder (default: "default"),
# checks it with lintian, installs it with apt-get, runs both tools' smoke checks
# from the installed files, validates the AppStream metainfo, and removes it again. Needs root (or sudo) for the
# install; run scripts/test.sh first, or it builds what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
build="build/$preset"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

[ -f "$build/CMakeCache.txt" ] || cmake --preset "$preset"
cmake --build --preset "$preset"
rm -f "$build"/velmortool_*.deb
(cd "$build" && cpack -G DEB)
deb="$(ls "$PWD/$build"/velmortool_*.deb)"
echo "package: $deb"

dpkg-deb --info "$deb"
contents="$(dpkg-deb --contents "$deb")"
echo "$contents"
for f in ./usr/bin/velmorctl ./usr/bin/velmortool ./usr/lib/udev/rules.d/60-velmortool.rules \
         ./usr/share/applications/velmortool.desktop ./usr/share/man/man1/velmorctl.1.gz \
         ./usr/share/metainfo/org.example.velmortool.metainfo.xml \
         ./usr/share/velmortool/device-ids ./usr/share/velmortool/translations/velmortool_en.qm \
         ./usr/share/doc/velmortool/copyright ./usr/share/bash-completion/completions/velmorctl; do
  grep -q " $f\$" <<<"$contents" || { echo "package: $f is missing" >&2; exit 1; }
done
[ "$(dpkg-deb --field "$deb" Section)" = electronics ] || { echo "package: wrong section" >&2; exit 1; }

lintian --fail-on error "$deb"

export DEBIAN_FRONTEND=noninteractive
$sudo apt-get install -y -q "$deb"
state="$(mktemp -d)"
trap 'rm -rf "$state"' EXIT
/usr/bin/velmorctl --version
/usr/bin/velmorctl --simulate --state "$state/sim.state" list
grep -q 'TAG+="uaccess"' /usr/lib/udev/rules.d/60-velmortool.rules
appstreamcli validate --no-net /usr/share/metainfo/org.example.velmortool.metainfo.xml
bash tests/completion/complete_velmorctl.sh /usr/share/bash-completion/completions/velmorctl /usr/bin/velmorctl
$sudo apt-get remove -y -q velmortool
if [ -e /usr/bin/velmorctl ]; then echo "package: velmorctl left behind" >&2; exit 1; fi
echo "package: built, linted, installed, ran and removed $deb"
