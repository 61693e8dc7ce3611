# shellcheck shell=bash
# Sourced by scripts/setup-machine, scripts/test, scripts/demo and bench/install. The functions that
# change the machine (packages, locales, qemu-user) are called from scripts/setup-machine only, and
# print each change before they make it; the others only look.

# The system places the set-up looks at and changes; the test of the set-up points them elsewhere.
ZR_LOCALE_GEN=${ZR_LOCALE_GEN:-/etc/locale.gen}
ZR_APT_DIR=${ZR_APT_DIR:-/etc/apt}
ZR_BINFMT_DIR=${ZR_BINFMT_DIR:-/proc/sys/fs/binfmt_misc}
ZR_WINE32=${ZR_WINE32:-/usr/lib/wine/wine}

# True when commands can run as root here: as root, or through sudo.
zr_can_be_root() {
  [ "$(id -u)" = 0 ] || command -v sudo >/dev/null
}

zr_root() {
  if [ "$(id -u)" = 0 ]; then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    echo "== machine: this needs root: run it as root, or install sudo" >&2
    return 1
  fi
}

# zr_quote WORD...: the words as one command line a shell reads back into the same words.
zr_quote() {
  local word line=
  for word in "$@"; do
    if [[ $word =~ ^[A-Za-z0-9_@%+=:,./-]+$ ]]; then
      line+=" $word"
    else
      line+=" '${word//\'/\'\\\'\'}'"
    fi
  done
  echo "${line# }"
}

# zr_change WHAT COMMAND...: says what is about to change on this machine, then changes it as root.
# Sets ZR_CHANGED=1.
zr_change() {
  local what=$1
  shift
  echo "== machine: $what"
  echo "   \$ $(zr_quote "$@")"
  # shellcheck disable=SC2034 # read by scripts/setup-machine
  ZR_CHANGED=1
  zr_root "$@"
}

ZR_PACKAGES=(
  cmake ninja-build g++ file
  clang libclang-rt-14-dev clang-format
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  googletest
  git shellcheck
  wine wine64 wine32:i386 fonts-wine
  xvfb xauth x11-utils imagemagick
  locales fonts-ipafont-gothic
  libssl-dev openssl osslsigncode
  python3 strace
)

zr_missing_packages() {
  local pkg
  for pkg in "${ZR_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}\n' "$pkg" 2>/dev/null | grep -q '^install ok installed' || echo "$pkg"
  done
}

# The packages that need the i386 architecture: without them only the 32-bit suites and demo are lost.
ZR_32BIT_PACKAGES=(wine32:i386)

# The release whose own versions a second installation prefers, when lists lag behind the archive.
ZR_RELEASE=bookworm

# zr_apt_install WHAT [APT OPTION...] -- PACKAGE...: installs the packages, saying what and why.
zr_apt_install() {
  local what=$1 options=()
  shift
  while [ "$1" != -- ]; do options+=("$1"); shift; done
  shift
  zr_change "$what: $*" \
    env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${options[@]}" "$@"
}

zr_install_packages() {
  local missing
  missing=$(zr_missing_packages)
  if [ -z "$missing" ]; then
    echo "== machine: every package is installed"
    return 0
  fi
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    zr_change "add the i386 architecture to dpkg (for wine32)" dpkg --add-architecture i386 || return 1
  fi
  # A mirror in the middle of a sync fails one list now and then (apt-get's 100); the lists that did
  # arrive serve, and the check after the installation names whatever could still not be had.
  local refreshed=0
  zr_change "refresh the package lists" apt-get update -q || refreshed=$?
  case $refreshed in
    0) ;;
    100) echo "== machine: some package lists could not be refreshed; installing from the lists at hand" >&2 ;;
    *) return 1 ;;
  esac
  local packages
  mapfile -t packages <<<"$missing"
  if ! zr_apt_install "install the missing packages" -- "${packages[@]}"; then
    [ "$refreshed" = 100 ] || return 1
    # A list left out of date makes the two architectures' candidates differ (the updates for amd64,
    # the release's own for i386), and multi-arch packages must be of one version in both.
    echo "== machine: the installation failed while some package lists are out of date;" \
      "installing once more, preferring the release's own versions (-t $ZR_RELEASE)" >&2
    if ! zr_apt_install "install the missing packages" -t "$ZR_RELEASE" -- "${packages[@]}"; then
      local rest=() package
      for package in "${packages[@]}"; do
        [[ " ${ZR_32BIT_PACKAGES[*]} " == *" $package "* ]] || rest+=("$package")
      done
      [ ${#rest[@]} -lt ${#packages[@]} ] || return 1
      [ ${#rest[@]} = 0 ] || zr_apt_install "install the missing packages but the 32-bit ones" -- "${rest[@]}" ||
        return 1
    fi
  fi
  missing=$(zr_missing_packages)
  local others
  others=$(grep -vxF -f <(printf '%s\n' "${ZR_32BIT_PACKAGES[@]}") <<<"$missing")
  if [ -n "$others" ]; then
    echo "== machine: still missing after the installation: ${others//$'\n'/ }" >&2
    return 1
  fi
  [ -z "$missing" ] || echo "== machine: $(zr_missing_32bit_wine)" >&2
}

# Says why the 32-bit suites and demo cannot run when a 32-bit package is not installed (only the
# archive's lists disagreeing between the architectures keeps it out); says nothing otherwise.
zr_missing_32bit_wine() {
  local package
  for package in "${ZR_32BIT_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q '^install ok installed'; then
      echo "32-bit Wine ($package) cannot be installed until the archive's package lists agree:" \
        "the i686 suites and the 32-bit demo cannot run on this machine"
      return 0
    fi
  done
}

zr_missing_locales() {
  local have
  have=$(locale -a 2>/dev/null)
  grep -qi '^ja_JP.utf8$' <<<"$have" || echo ja_JP.UTF-8
  grep -qi '^en_US.utf8$' <<<"$have" || echo en_US.UTF-8
}

zr_locales() {
  if [ -z "$(zr_missing_locales)" ]; then
    echo "== machine: the ja_JP.UTF-8 and en_US.UTF-8 locales are there"
    return 0
  fi
  zr_change "enable ja_JP.UTF-8 and en_US.UTF-8 in $ZR_LOCALE_GEN" \
    sed -i -E 's/^# *(ja_JP.UTF-8 UTF-8)/\1/; s/^# *(en_US.UTF-8 UTF-8)/\1/' "$ZR_LOCALE_GEN" || return 1
  local locale
  for locale in ja_JP en_US; do
    if ! grep -q "^$locale.UTF-8 UTF-8" "$ZR_LOCALE_GEN"; then
      # shellcheck disable=SC2016 # expanded by that shell
      zr_change "add $locale.UTF-8 to $ZR_LOCALE_GEN" \
        sh -c 'echo "$1" >>"$2"' sh "$locale.UTF-8 UTF-8" "$ZR_LOCALE_GEN" || return 1
    fi
  done
  zr_change "generate the locales" locale-gen || return 1
  local missing
  missing=$(zr_missing_locales)
  if [ -n "$missing" ]; then
    echo "== machine: still missing after locale-gen: ${missing//$'\n'/ }" >&2
    return 1
  fi
}

# The archive the machine's own apt sources take the release from: the first URI of a deb822 stanza,
# or of a one-line entry, whose suites include the release itself. The set-up names no archive itself.
zr_release_archive() {
  local file line key value uri='' suites='' types=''
  for file in "$ZR_APT_DIR/sources.list.d"/*.sources; do
    [ -f "$file" ] || continue
    while IFS= read -r line || [ -n "$line" ]; do
      if [[ $line =~ ^[[:space:]]*$ ]]; then
        uri='' suites='' types=''
        continue
      fi
      [[ $line =~ ^([A-Za-z-]+):[[:space:]]*(.*)$ ]] || continue
      key=${BASH_REMATCH[1],,} value=${BASH_REMATCH[2]}
      case $key in
        types) types=" $value " ;;
        uris) uri=${value%% *} ;;
        suites) suites=" $value " ;;
      esac
      if [ -n "$uri" ] && [[ $types == *" deb "* && $suites == *" $ZR_RELEASE "* ]]; then
        echo "$uri"
        return 0
      fi
    done <"$file"
    uri='' suites='' types=''
  done
  for file in "$ZR_APT_DIR/sources.list" "$ZR_APT_DIR/sources.list.d"/*.list; do
    [ -f "$file" ] || continue
    while read -r line; do
      # deb [OPTIONS] URI SUITE COMPONENT...
      if [[ $line =~ ^deb[[:space:]]+(\[[^]]*\][[:space:]]+)?([^[:space:]]+)[[:space:]]+${ZR_RELEASE}[[:space:]] ]]; then
        echo "${BASH_REMATCH[2]}"
        return 0
      fi
    done <"$file"
  done
}

# True when the 32-bit Wine loader starts (natively, or through qemu-user registered for i386).
zr_can_run_32bit() {
  [ -x "$ZR_WINE32" ] && timeout 60 "$ZR_WINE32" --version >/dev/null 2>&1
}

zr_how_32bit_runs() {
  if grep -qs 'interpreter .*qemu-i386' "$ZR_BINFMT_DIR"/*; then echo "via qemu-user"; else echo "natively"; fi
}

# Where the machine cannot execute 32-bit code, qemu-user 10 from bookworm-backports runs it fast
# enough (bookworm's own 7.2 is far too slow). Needs root; says why when it cannot be done.
zr_enable_32bit() {
  if zr_can_run_32bit; then
    echo "== machine: 32-bit Windows programs start here ($(zr_how_32bit_runs))"
    return 0
  fi
  if ! zr_can_be_root; then
    echo "== machine: 32-bit programs cannot start here, and setting up qemu-user needs root (or sudo)" >&2
    return 1
  fi
  echo "== machine: 32-bit programs cannot start natively: qemu-user 10 from bookworm-backports will run them"
  if ! grep -rqs "$ZR_RELEASE-backports" "$ZR_APT_DIR/sources.list" "$ZR_APT_DIR/sources.list.d/"; then
    local sources=$ZR_APT_DIR/sources.list.d/zr-backports.sources archive
    archive=$(zr_release_archive)
    if [ -z "$archive" ]; then
      echo "== machine: no apt source of the release ($ZR_RELEASE) names its archive, so backports cannot be added" >&2
      return 1
    fi
    # shellcheck disable=SC2016 # expanded by that shell
    zr_change "add $ZR_RELEASE-backports to the apt sources ($sources)" \
      sh -c 'printf "%s\n" "Types: deb" "URIs: $2" "Suites: $3-backports" \
        "Components: main" "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" >"$1"' \
      sh "$sources" "$archive" "$ZR_RELEASE" ||
      return 1
    zr_change "refresh the package lists" apt-get update -q || return 1
  fi
  if ! dpkg-query -W -f='${Version}' qemu-user 2>/dev/null | grep -q '^1:1[0-9]'; then
    zr_change "install qemu-user from bookworm-backports" \
      env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends -t bookworm-backports qemu-user ||
      return 1
  fi
  zr_can_run_32bit && return 0
  if [ ! -e "$ZR_BINFMT_DIR/register" ]; then
    zr_change "mount binfmt_misc" mount binfmt_misc -t binfmt_misc "$ZR_BINFMT_DIR"
  fi
  if [ ! -e "$ZR_BINFMT_DIR/zr-qemu-i386" ]; then
    # ELF, 32-bit, little-endian, executable or shared object, machine i386; the interpreter is
    # opened now (F), so it works inside other mount namespaces too. The kernel reads the \x escapes.
    local entry=':zr-qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    entry+=':\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F'
    # shellcheck disable=SC2016 # expanded by that shell
    zr_change "register qemu-i386 for 32-bit i386 ELF programs (binfmt_misc entry zr-qemu-i386)" \
      sh -c 'printf %s "$1" >"$2"' sh "$entry" "$ZR_BINFMT_DIR/register" ||
      true
  fi
  zr_can_run_32bit
}

# Starts a private X server for the dialogs; sets DISPLAY. Stopped by zr_stop_display. Fails, with
# the reason, when the server does not come up: every dialog test would fail for want of a display.
zr_start_display() {
  local size=${1:-1024x768}
  local fd_file log_file
  fd_file=$(mktemp)
  log_file=$(mktemp)
  Xvfb -displayfd 1 -screen 0 "${size}x24" -nolisten tcp >"$fd_file" 2>"$log_file" &
  ZR_XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$fd_file" ] && break
    kill -0 "$ZR_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  local number
  number=$(head -n1 "$fd_file")
  rm -f "$fd_file"
  if [ -z "$number" ] || ! kill -0 "$ZR_XVFB_PID" 2>/dev/null; then
    echo "== Xvfb ($size) did not start:" >&2
    sed 's/^/   /' "$log_file" >&2
    rm -f "$log_file"
    zr_stop_display
    return 1
  fi
  rm -f "$log_file"
  export DISPLAY=":$number"
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
