#!/bin/sh
# Builds a synthetic tree for timing folder totals:
#   bench/make-tree.sh DIR [FILES]
# FILES (default 1000000) regular files spread over FILES/10 folders, ten
# children per folder (depth about six), sizes 0..65535 bytes as sparse files
# so the tree costs inodes, not disk space. One file in 500 has a hard-link
# twin and one folder in 1000 holds a symbolic link back to its parent, so
# the walkers' link rules are exercised too.
set -eu
if [ $# -lt 1 ]; then
    echo "usage: $0 DIR [FILES]" >&2
    exit 2
fi
dir=$1
files=${2:-1000000}
if [ -e "$dir" ]; then
    echo "$dir already exists; remove it first" >&2
    exit 1
fi
cc=${CC:-cc}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/gen.c" <<'CEOF'
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

static long nfolders, nfiles, made;
static unsigned long long rng = 88172645463325252ULL;

static unsigned long long next_rand(void)
{
    rng ^= rng << 13;
    rng ^= rng >> 7;
    rng ^= rng << 17;
    return rng;
}

static void die(const char *what)
{
    perror(what);
    exit(1);
}

/* Folder idx gets its share of the files, then children 10*idx+1..10*idx+10. */
static void fill(int dfd, long idx)
{
    char name[64];
    long share = nfiles / nfolders + (idx < nfiles % nfolders ? 1 : 0);
    for (long f = 0; f < share; f++) {
        snprintf(name, sizeof name, "f%ld.dat", f);
        int fd = openat(dfd, name, O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0)
            die("openat");
        if (ftruncate(fd, (off_t)(next_rand() & 0xffff)) != 0)
            die("ftruncate");
        close(fd);
        if (++made % 500 == 0) {
            char twin[64];
            snprintf(twin, sizeof twin, "h%ld.dat", f);
            if (linkat(dfd, name, dfd, twin, 0) != 0)
                die("linkat");
        }
    }
    if (idx % 1000 == 999 && symlinkat("..", dfd, "up") != 0)
        die("symlinkat");
    for (long c = 10 * idx + 1; c <= 10 * idx + 10 && c < nfolders; c++) {
        snprintf(name, sizeof name, "d%ld", c);
        if (mkdirat(dfd, name, 0755) != 0)
            die("mkdirat");
        int cfd = openat(dfd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (cfd < 0)
            die("openat dir");
        fill(cfd, c);
        close(cfd);
    }
}

int main(int argc, char **argv)
{
    nfiles = atol(argv[2]);
    nfolders = nfiles / 10 > 1 ? nfiles / 10 : 2;
    if (mkdir(argv[1], 0755) != 0)
        die("mkdir");
    int root = open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0)
        die("open");
    fill(root, 0);
    printf("%s: %ld files, %ld folders\n", argv[1], nfiles, nfolders);
    return 0;
}
CEOF
"$cc" -O2 -o "$work/gen" "$work/gen.c"
"$work/gen" "$dir" "$files"
