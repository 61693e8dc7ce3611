# Sourced by scripts/test and scripts/demo: installs what is missing on a Debian 12 machine and
# finds out whether 32-bit Windows programs can run here.

zr_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

ZR_PACKAGES=(
  cmake ninja-build g++ file
  clang libclang-rt-14-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  googletest
  wine wine64 wine32:i386 fonts-wine
  xvfb xauth x11-utils imagemagick
  locales fonts-ipafont-gothic
)

zr_missing_packages() {
  local pkg
  for pkg in "${ZR_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}\n' "$pkg" 2>/dev/null | grep -q '^install ok installed' || echo "$pkg"
  done
}

zr_install_packages() {
  local missing
  missing=$(zr_missing_packages)
  if [ -n "$missing" ]; then
    echo "== installing:" $missing
    dpkg --print-foreign-architectures | grep -qx i386 || zr_root dpkg --add-architecture i386
    zr_root apt-get update -q
    # shellcheck disable=SC2086
    zr_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
  fi
  zr_locales
}

zr_locales() {
  local have
  have=$(locale -a 2>/dev/null)
  if ! grep -qi '^ja_JP.utf8$' <<<"$have" || ! grep -qi '^en_US.utf8$' <<<"$have"; then
    echo "== generating ja_JP.UTF-8 and en_US.UTF-8"
    zr_root sed -i -E 's/^# *(ja_JP.UTF-8 UTF-8)/\1/; s/^# *(en_US.UTF-8 UTF-8)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | zr_root tee -a /etc/locale.gen >/dev/null
    grep -q '^en_US.UTF-8 UTF-8' /etc/locale.gen || echo 'en_US.UTF-8 UTF-8' | zr_root tee -a /etc/locale.gen >/dev/null
    zr_root locale-gen >/dev/null
  fi
}

# True when the 32-bit Wine loader starts (natively, or through qemu-user registered for i386).
zr_can_run_32bit() {
  [ -x /usr/lib/wine/wine ] && timeout 60 /usr/lib/wine/wine --version >/dev/null 2>&1
}

zr_how_32bit_runs() {
  if grep -qs 'interpreter .*qemu-i386' /proc/sys/fs/binfmt_misc/*; then echo "via qemu-user"; else echo "natively"; fi
}

# Where the machine cannot execute 32-bit code, qemu-user 10 from bookworm-backports runs it fast
# enough (bookworm's own 7.2 is far too slow). Needs root; says why when it cannot be done.
zr_enable_32bit() {
  zr_can_run_32bit && return 0
  if [ "$(id -u)" != 0 ]; then
    echo "== 32-bit programs cannot start here, and setting up qemu-user needs root" >&2
    return 1
  fi
  echo "== 32-bit programs cannot start natively: setting up qemu-user from bookworm-backports"
  if ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    cat > /etc/apt/sources.list.d/zr-backports.sources <<'SRC'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    apt-get update -q
  fi
  if ! dpkg-query -W -f='${Version}' qemu-user 2>/dev/null | grep -q '^1:1[0-9]'; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends -t bookworm-backports qemu-user
  fi
  zr_can_run_32bit && return 0
  [ -e /proc/sys/fs/binfmt_misc/register ] || mount binfmt_misc -t binfmt_misc /proc/sys/fs/binfmt_misc
  if [ ! -e /proc/sys/fs/binfmt_misc/zr-qemu-i386 ]; then
    # ELF, 32-bit, little-endian, executable or shared object, machine i386; the interpreter is
    # opened now (F), so it works inside other mount namespaces too.
    printf '%s' ':zr-qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F' \
      > /proc/sys/fs/binfmt_misc/register 2>/dev/null || true
  fi
  zr_can_run_32bit
}

# Starts a private X server for the dialogs; sets DISPLAY. Stopped by zr_stop_display.
zr_start_display() {
  local size=${1:-1024x768}
  local fd_file
  fd_file=$(mktemp)
  Xvfb -displayfd 1 -screen 0 "${size}x24" -nolisten tcp >"$fd_file" 2>/dev/null &
  ZR_XVFB_PID=$!
  local i
  for i in $(seq 100); do
    [ -s "$fd_file" ] && break
    sleep 0.1
  done
  export DISPLAY=":$(head -n1 "$fd_file")"
  rm -f "$fd_file"
}

zr_stop_display() {
  [ -n "${ZR_XVFB_PID:-}" ] && kill "$ZR_XVFB_PID" 2>/dev/null
  ZR_XVFB_PID=
}

# zr_configure_and_build PRESET [CMAKE CACHE OPTIONS...] [--target TARGET...]
zr_configure_and_build() {
  local preset=$1 configure=() build=()
  shift
  while [ $# -gt 0 ]; do
    if [ "$1" = --target ]; then build+=("$1" "$2"); shift 2; else configure+=("$1"); shift; fi
  done
  cmake --preset "$preset" "${configure[@]}" >/dev/null
  cmake --build --preset "$preset" "${build[@]}"
}
