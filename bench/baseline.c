// SPDX-License-Identifier: GPL-2.0-or-later
/* The least a generator can do for the package lines of a unit list (line 1
   the top directory, lines 3.. the stems): per file one stat, one open, one
   write of SIZE bytes and one close. Usage: baseline LIST SIZE */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: baseline LIST SIZE\n");
    return 2;
  }
  FILE* list = fopen(argv[1], "r");
  const size_t size = (size_t)strtoul(argv[2], NULL, 10);
  char* contents = malloc(size);
  if (list == NULL || contents == NULL) return 1;
  memset(contents, '-', size);
  char* top = NULL;
  char* line = NULL;
  size_t top_room = 0;
  size_t room = 0;
  char path[4096];
  if (getline(&top, &top_room, list) <= 0 || getline(&line, &room, list) <= 0) return 1;
  top[strcspn(top, "\n")] = '\0';
  while (getline(&line, &room, list) > 0) {
    line[strcspn(line, "\n")] = '\0';
    snprintf(path, sizeof path, "%s/%s/src/lib/%s.ads", top, line, line);
    struct stat status;
    if (stat(path, &status) == 0 && S_ISREG(status.st_mode)) continue;
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0 || write(fd, contents, size) != (ssize_t)size || close(fd) != 0) {
      perror(path);
      return 1;
    }
  }
  return 0;
}
