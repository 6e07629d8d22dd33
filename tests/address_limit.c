// SPDX-License-Identifier: GPL-2.0-or-later
/* Preloaded into a 32-bit program under qemu-user. qemu reserves the
   program's whole 4 GiB of address space as it starts, so `ulimit -v` cannot
   reach the program's own mappings, and qemu-arm takes no smaller
   reservation. With ADASKEL_ADDRESS_SPACE=KIB set, this takes all the address
   space left before main but KIB, which the program then has to itself, as
   under `ulimit -v`. */
#include <stddef.h>
#include <stdlib.h>
#include <sys/mman.h>

static void* take(size_t size) {
  return mmap(NULL, size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
}

__attribute__((constructor)) static void leave_only_the_limit(void) {
  const char* kib = getenv("ADASKEL_ADDRESS_SPACE");
  if (kib == NULL) return;
  const size_t kept = (size_t)strtoul(kib, NULL, 10) << 10;
  void* room = take(kept);
  if (room == MAP_FAILED) abort();
  for (size_t size = (size_t)1 << 31; size >= 4096; size /= 2) {
    while (take(size) != MAP_FAILED) {
    }
  }
  munmap(room, kept);
}
