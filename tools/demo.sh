#!/usr/bin/env bash
# Installs what is missing, builds an x64 tree of its own (build/demo, apart from the test
# trees) and runs the main job: a three-page graphics-only document printed through the
# rendering library with two driver-made copies (print_demo), whose job stream is written to
# build/demo/out/print/job.prn and read back, each printed sheet written as a picture beside
# it (sheet-1.png, ...), then the job passed through the port language monitor to a file port
# and compared byte for byte; then the same printer in its vector language (vector_demo): paths,
# device-font and TrueType text, bitmaps, a frame and a stamp, the job in
# build/demo/out/vector/job.prn with a picture of each sheet as the printer draws it; then the
# settings of a print job for the sample printer (settings_demo): the settings block field by
# field and the model's summary in build/demo/out/settings.txt, the stand-in root it ran in
# (model cache, debug log) in build/demo/out/settings; then the user interface
# (sheets_demo): the printer's and the document's sheets opened through the common property
# sheet stand-in, a setting changed on each page, OK, and the sample document printed with the
# result; every page pictured in English and Japanese, the job and its sheets in
# build/demo/out/sheets; then the whole system (system_demo): the sample document rendered,
# spooled and sent through the language monitor to a TCP/IP port whose printer (the SNMP agent
# on loopback) runs out of paper halfway and then finishes the job, while the status window,
# loaded in the status-monitor host, follows it; the job as the port received it in
# build/demo/out/system/job.prn, the status window at each step (status-*.png) and the extended
# window's sheets (extended-sheet-*.png) beside it. The demo's files stay in build/demo/out for
# a look afterwards.
# KV_JOBS sets how many jobs the build uses (default: every core).
# Exit status is non-zero when anything fails.
set -uo pipefail
cd "$(dirname "$0")/.."

. tools/lib/packages.sh
. tools/lib/jobs.sh
jobs=$(kv_jobs) || exit 1
kv_install_packages "${KV_BASE_PACKAGES[@]}" || exit 1

mkdir -p build
echo "=== demo tree: configure and build"
if ! cmake -S . -B build/demo -G Ninja -DKV_WERROR=ON >build/demo.configure.log 2>&1; then
  cat build/demo.configure.log; echo "demo: configure failed"; exit 1
fi
cmake --build build/demo -j"$jobs" --target print_demo vector_demo settings_demo sheets_demo system_demo || { echo "demo: build failed"; exit 1; }

rm -rf build/demo/out
echo "=== print_demo"
build/demo/bin/print_demo build/demo/out/print || { echo "demo: print_demo failed"; exit 1; }
echo "=== vector_demo"
build/demo/bin/vector_demo build/demo/out/vector || { echo "demo: vector_demo failed"; exit 1; }
echo "=== settings_demo"
build/demo/bin/settings_demo build/demo/out/settings | tee build/demo/out/settings.txt || { echo "demo: settings_demo failed"; exit 1; }
echo "=== sheets_demo"
build/demo/bin/sheets_demo build/demo/out/sheets || { echo "demo: sheets_demo failed"; exit 1; }
echo "=== system_demo"
build/demo/bin/system_demo build/demo/out/system || { echo "demo: system_demo failed"; exit 1; }
echo "demo: done; everything is in build/demo/out: print/ and vector/ (jobs and sheets), settings.txt and settings/, sheets/ (pages and sheets), system/ (job, status and extended windows)"
