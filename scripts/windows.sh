#!/usr/bin/env bash
# The Windows build: cross-compiles the core, velmorctl.exe, the simulated controller
# and the Qt-free suites with mingw-w64, runs the suites under Wine, checks
# velmorctl.exe's commands on the simulated controller and packs the download
# build/windows/velmorctl-<version>-windows-x86_64.zip.
set -euo pipefail
cd "$(dirname "$0")/.."
wine_run=scripts/wine-run.sh
cmake --preset windows
cmake --build --preset windows
# One Wine prefix for every test: made once here, not by two tests at once.
"$wine_run" cmd /c exit 0
# And one Wine server for the whole run. Left alone, it ends 3 s after its last
# program; a test that starts while it is ending fails ("wine client error: recvmsg:
# Connection reset by peer").
"$wine_run" --keep-server
trap '"$wine_run" --stop-server' EXIT
ctest --preset windows -j2

# velmorctl.exe on its own, as a line engineer runs it: a fresh state file, the
# document of a recorded download, JSON out.
check=build/windows/velmorctl-check
rm -rf "$check" && mkdir -p "$check"
ctl() { "$wine_run" build/windows/src/cli/velmorctl.exe "$@"; }
doc=tests/replays/download/printer.cfg
sim=(--simulate --state "$check/sim.state" --board-type 0)
fail() { echo "windows: $*" >&2; exit 1; }

read_json="$(ctl "${sim[@]}" --json read 4000 4)"
[[ "$read_json" =~ ^\{\"address\":16384,\"count\":4,\"values\":\[[0-9]+,[0-9]+,[0-9]+,[0-9]+\]\}$ ]] ||
  fail "read --json printed: $read_json"
list_json="$(ctl "${sim[@]}" --json list)"
[[ "$list_json" == *'"devices":['* ]] || fail "list --json printed: $list_json"
ctl "${sim[@]}" --json download "$doc" > "$check/download.json" || fail "download failed"
ctl "${sim[@]}" --json readback -o "$check/back.img" > "$check/readback.json" || fail "readback failed"
ctl "${sim[@]}" image build "$doc" -o "$check/built.img" > /dev/null || fail "image build failed"
cmp "$check/back.img" "$check/built.img" || fail "the image read back differs from the one built"
set +e
ctl list > "$check/list.out" 2> "$check/list.err"
code=$?
set -e
[ "$code" -eq 69 ] || fail "list without a controller exited $code, not 69: $(cat "$check/list.err")"
echo "windows: velmorctl.exe read, list, download, readback and list without a device behave"

cmake --build --preset windows --target velmor_windows_zip
ls -l build/windows/velmorctl-*-windows-x86_64.zip
