# shellcheck shell=bash
# Fields of a PE file's headers, read with od alone (the test scripts run where python may not).

# pe_field FILE OFFSET: the 32-bit field at OFFSET from the PE signature, in hexadecimal (8 for the
# link time, 88 for the checksum).
pe_field() {
  local pe=$((0x$(od -An -tx4 -j60 -N4 "$1" | tr -d ' ')))
  od -An -tx4 -j$((pe + $2)) -N4 "$1" | tr -d ' '
}

# pe_checksum FILE: the checksum as Windows' image loader and signing tools compute it: the 16-bit
# words of the file (the checksum field taken as zero) added with carries folded back, plus the file's
# length.
pe_checksum() {
  local field=$((0x$(od -An -tx4 -j60 -N4 "$1" | tr -d ' ') + 88))
  od -An -tu2 -v "$1" | awk -v field=$((field / 2)) -v size="$(stat -c %s "$1")" '
    { for (i = 1; i <= NF; i++) { if (n != field && n != field + 1) { s += $i; s = s % 65536 + int(s / 65536) } n++ } }
    END { s = s % 65536 + int(s / 65536); printf "%08x\n", s + size }'
}
