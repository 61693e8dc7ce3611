# shellcheck shell=bash
# Sourced by bench/install, bench/syscalls and bench/install-vs-nsis, from the top of the tree: the
# preset's loader and the benchmark program, and the scenario folders that the scripts prepare
# themselves (zr_install_bench --prepare) to run its child under strace or beside an NSIS installer.

. scripts/lib/machine.sh

# zr_bench_init PRESET: sets loader, prefix and bench_exe; unless bench/install has done it already
# (ZR_BENCH_READY), sets the machine up and builds the benchmark.
zr_bench_init() {
  preset=$1
  case "$preset" in
    i686) loader=wine ;;
    x86_64) loader=wine64 ;;
    *) return 2 ;;
  esac
  prefix=$PWD/build/$preset/wineprefix
  bench_exe=build/$preset/zr_install_bench.exe
  [ -n "${ZR_BENCH_READY:-}" ] && return 0
  scripts/setup-machine
  if [ "$preset" = i686 ] && ! zr_can_run_32bit; then
    echo "bench: 32-bit Wine cannot start here; try x86_64" >&2
    return 1
  fi
  zr_configure_and_build "$preset" -DZR_BUILD_TESTS=ON --target zr_install_bench >/dev/null
}

zr_bench_run() {
  scripts/wine-run "$prefix" "$loader" "$bench_exe" "$@"
}

# The Windows path of a Linux path, through Wine's Z: drive.
zr_win_path() {
  local path
  path=$(realpath -m "$1")
  echo "Z:${path//\//\\}"
}

# The scenarios to run: ZR_BENCH_SCENARIO=N alone, else all three.
zr_bench_scenarios() {
  echo "${ZR_BENCH_SCENARIO:-1 2 3}"
}

# zr_bench_prepare N DIR: writes scenario N into DIR (src/, work/vupcab, inst/ holding older copies)
# and keeps inst/ as inst.orig/ for the resets; sets files and name.
zr_bench_prepare() {
  local line
  rm -rf "$2"
  mkdir -p "$2"
  line=$(zr_bench_run --prepare "$1" "$(zr_win_path "$2")" | tr -d '\r') || return 1
  # shellcheck disable=SC2034 # read by the scripts that source this
  files=${line%% *} name=${line#* }
  cp -a "$2/inst" "$2/inst.orig"
}

# zr_bench_reset DIR TARGET: TARGET (a folder of DIR) made again from inst.orig/, and the disk settled.
zr_bench_reset() {
  rm -rf "${1:?}/$2"
  cp -a "$1/inst.orig" "$1/$2"
  sync
}

# zr_bench_installed DIR TARGET: true when TARGET/EXCEL/ holds every payload of src/, byte for byte.
zr_bench_installed() {
  local source
  for source in "$1"/src/*; do
    cmp -s "$source" "$1/$2/EXCEL/${source##*/}" || { echo "bench: $2/EXCEL/${source##*/} is not the payload" >&2; return 1; }
  done
}

# zr_median_range: the median, minimum and maximum of the numbers on standard input, one a line.
zr_median_range() {
  sort -g | awk '{ v[NR] = $1 } END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.3f %.3f %.3f\n", m, v[1], v[NR] }'
}
