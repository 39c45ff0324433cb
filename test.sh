#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The test command: installs what is missing (Debian), then checks the layout
# of the C++ sources, configures, builds and runs the native tests (with the
# browser tests), runs the static analysis, the sanitizer tests and the
# Windows tests under Wine, and builds the packages twice to compare them.
# Exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")"

sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
# install_missing WHAT PACKAGE...: installs the packages that are missing; false
# when apt-get fails.
install_missing() {
  local what=$1 need=() p
  shift
  for p in "$@"; do dpkg -s "$p" >/dev/null 2>&1 || need+=("$p"); done
  [ ${#need[@]} -gt 0 ] || return 0
  echo "== installing$what: ${need[*]}"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
}
install_missing "" cmake ninja-build g++ googletest g++-mingw-w64-x86-64-posix wine wine64 locales tmux bsdutils dpkg-dev \
  clang libclang-rt-14-dev lintian groff man-db clang-format clang-tidy
# The browser tests print documents to PDF in headless Chromium and look at
# the sheets and screenshots. Where these cannot be installed, those tests
# are skipped and say so.
install_missing " for the browser tests" chromium poppler-utils imagemagick fonts-dejavu-core fontconfig ||
  echo "== could not install them: the browser tests will be skipped"
# They print on A4 and measure the lines on the screen through puppeteer-core,
# which they install with npm.
command -v npm >/dev/null 2>&1 || install_missing " for printing on A4 and measuring the screen" nodejs npm ||
  echo "== could not install them: the browser tests will be skipped"
# The packaging makes the MSI with wixl and msitools (faketime stamps it),
# packs the archives in order with python3; the package test signs with
# osslsigncode and a certificate made by openssl.
install_missing " for the packages" wixl msitools faketime python3 osslsigncode openssl ||
  echo "== could not install them: the MSI and the signatures will not be checked"
# Shows what differs when two builds of the same sources do not give the same bytes.
install_missing " to show differences between builds" diffoscope-minimal ||
  echo "== could not install it: a difference between builds is shown by cmp"
# Wine takes its OEM code page (850) from this locale.
if ! locale -a 2>/dev/null | grep -qi '^ca_ES\.utf-\?8$'; then
  $sudo sed -i 's/^# *ca_ES.UTF-8 UTF-8/ca_ES.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ca_ES.UTF-8 UTF-8' /etc/locale.gen || echo 'ca_ES.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi

status=0
summaries=()
run() {  # run PRESET: configure, build and test one preset
  local preset=$1
  echo "== $preset: configure and build"
  if ! cmake --preset "$preset" >/dev/null || ! cmake --build --preset "$preset"; then
    summaries+=("$preset: BUILD FAILED"); status=1; return
  fi
  echo "== $preset: test"
  local log
  log=$(mktemp)
  ctest --preset "$preset" -j2 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  summaries+=("$preset: $(grep -E 'tests passed|tests failed' "$log" | tail -1)")
  rm -f "$log"
  [ "$rc" -eq 0 ] || status=1
}

check() {  # check NAME COMMAND...: one check of the sources, in the summary
  local name=$1
  shift
  echo "== $name"
  if "$@"; then
    summaries+=("$name: passed")
  else
    summaries+=("$name: FAILED"); status=1
  fi
}

# Each fuzz target runs for a minute from a copy of its committed corpus
# (the source tree stays as it is); any crash, leak, time-out or failed
# check is a failure, and its input is left in build/fuzz/findings.
fuzz() {
  echo "== fuzz: configure and build"
  if ! cmake --preset fuzz >/dev/null || ! cmake --build --preset fuzz; then
    summaries+=("fuzz: BUILD FAILED"); status=1; return
  fi
  local failed=() target
  mkdir -p build/fuzz/findings
  # The corpus the runs grow lives in memory where there is a tmpfs: a run
  # adds thousands of small files, and making them on a disk costs the
  # fuzzer a twentieth of its time.
  local corpora=build/fuzz/corpus-run
  if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    corpora=$(mktemp -d -p /dev/shm orvprint-fuzz.XXXXXX) || corpora=build/fuzz/corpus-run
  fi
  for target in program_fuzz line_fuzz ini_fuzz window_stack_fuzz number_fuzz; do
    local corpus=$corpora/$target
    rm -rf "$corpus" && mkdir -p "$corpus" && cp fuzz/corpus/$target/* "$corpus"/
    echo "== fuzz: $target"
    local dict=()
    [ -f fuzz/$target.dict ] && dict=(-dict=fuzz/$target.dict)
    if ! build/fuzz/fuzz/$target "${dict[@]}" -max_total_time=${ORVPRINT_FUZZ_SECONDS:-60} -max_len=140000 -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix=build/fuzz/findings/$target- "$corpus" \
        > build/fuzz/$target.log 2>&1; then
      tail -40 build/fuzz/$target.log
      failed+=("$target")
    fi
    grep -E 'stat::number_of_executed_units|stat::average_exec_per_sec' build/fuzz/$target.log | tr '\n' ' '
    echo
  done
  [ "$corpora" = build/fuzz/corpus-run ] || rm -rf "$corpora"
  if [ ${#failed[@]} -eq 0 ]; then
    summaries+=("fuzz: no findings")
  else
    summaries+=("fuzz: findings in ${failed[*]}"); status=1
  fi
}

check "format (tools/format --check)" tools/format --check
run linux
check "static analysis (tools/check-tidy)" tools/check-tidy
run sanitize
run windows
check "reproducible packages (tools/check-reproducible)" tools/check-reproducible
fuzz

echo "== summary"
printf '  %s\n' "${summaries[@]}"
exit $status
