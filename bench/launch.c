// SPDX-License-Identifier: GPL-2.0-or-later
/* Runs a command, its standard output sent to /dev/null, and prints its exit
   status, peak resident set size (KiB) and wall time (microseconds) as one
   line: "status maxrss_kib elapsed_us". */
#define _GNU_SOURCE
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

extern char** environ;

static long long now_us(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (long long)t.tv_sec * 1000000 + t.tv_nsec / 1000;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: launch COMMAND [ARG...]\n");
    return 2;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const long long start = now_us();
  pid_t pid;
  const int error = posix_spawn(&pid, argv[1], &actions, NULL, argv + 1, environ);
  if (error != 0) {
    fprintf(stderr, "launch: %s: %s\n", argv[1], strerror(error));
    return 2;
  }
  int status = 0;
  struct rusage usage;
  if (wait4(pid, &status, 0, &usage) != pid) {
    perror("launch: wait4");
    return 2;
  }
  const long long elapsed = now_us() - start;
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  printf("%d %ld %lld\n", code, usage.ru_maxrss, elapsed);
  return 0;
}
