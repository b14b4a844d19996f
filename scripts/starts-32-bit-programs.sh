#!/usr/bin/env bash
# Exits 0 when this machine's kernel starts 32-bit x86 programs; otherwise
# prints one line saying why not and exits 1.
#
# Some x86-64 kernels run 64-bit user code only (their log says "IA-32
# emulation off"), and a 32-bit program then fails with "Exec format error",
# Wine's 32-bit loader included. Nothing but trying tells it for sure, so this
# tries one: a 96-byte static i386 program that exits with 42 through the
# kernel's 32-bit system call gate, needing no 32-bit library or compiler.
set -uo pipefail

dir=$(mktemp -d "${TMPDIR:-/tmp}/kestrun-i386.XXXXXX") || exit 1
trap 'rm -rf "$dir"' EXIT
probe=$dir/exit42

# ELF header: 32-bit, little-endian, executable, i386, entry 0x08048054, one
# program header and the usual section header size (emulators check it).
# One loadable segment: the whole file at 0x08048000, readable and executable.
# Code: mov eax, 1 (exit); mov ebx, 42; int 0x80.
printf '%b' \
  '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
  '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' \
  '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x28\x00' \
  '\x00\x00\x00\x00' \
  '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' \
  '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' \
  '\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
chmod +x "$probe"

# exec from a child shell, so that the kernel's refusal is reported as it is
# and never taken for a script to run instead.
error=$(exec "$probe" 2>&1)
status=$?
if ((status == 42)); then
  exit 0
fi
# The shell's first line ends with the system's word for the refusal.
reason=${error%%$'\n'*}
reason=${reason##*: }
echo "this machine's kernel does not start 32-bit programs (${reason:-exit status $status})"
exit 1
