/* refwalk [-t THREADS] [-u] DIR: the reference for timing folder totals. A
 * plain C walker on THREADS threads (default: one per core; openat,
 * getdents64, fstatat) that prints, for each immediate
 * subfolder of DIR in the order the kernel lists them, the sum of st_size of
 * the regular files beneath it, a tab and the path. Same rules as the
 * program's walker: symbolic links are not followed, folders on another
 * device are left out, an inode with several links counts once per
 * subfolder, kernel pseudo file systems count 0, unreadable parts add
 * nothing.
 *
 * -u asks for the attributes through io_uring instead: the statx of every
 * entry of one getdents64 buffer go to the kernel in one submission (built
 * only where liburing is found). It exists to time that idea against the
 * plain calls; see bench/README-sizes.md. */
#define _GNU_SOURCE
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <unistd.h>
#ifdef REFWALK_URING
#include <liburing.h>
#include <sys/sysmacros.h>
#endif

struct dirent64_raw {
    uint64_t d_ino;
    int64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[];
};

#define BUF_SIZE (64 * 1024)

/* Shared state of one measurement: a stack of open folder descriptors. */
static pthread_mutex_t mu = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t cv = PTHREAD_COND_INITIALIZER;
static int *stack;
static size_t depth, cap;
static int busy;
static dev_t walk_dev;
static uint64_t grand_total;

/* Inodes with several links: open addressing, guarded by seen_mu. */
static pthread_mutex_t seen_mu = PTHREAD_MUTEX_INITIALIZER;
static uint64_t *seen;
static size_t seen_cap, seen_used;

static void die(const char *what)
{
    perror(what);
    exit(1);
}

static int seen_insert(uint64_t ino)
{
    int fresh = 1;
    pthread_mutex_lock(&seen_mu);
    if ((seen_used + 1) * 2 > seen_cap) {
        size_t ncap = seen_cap ? seen_cap * 2 : 1024;
        uint64_t *n = calloc(ncap, sizeof *n);
        if (!n)
            die("calloc");
        for (size_t i = 0; i < seen_cap; i++) {
            if (!seen[i])
                continue;
            size_t h = (seen[i] * 0x9E3779B97F4A7C15ULL) & (ncap - 1);
            while (n[h])
                h = (h + 1) & (ncap - 1);
            n[h] = seen[i];
        }
        free(seen);
        seen = n;
        seen_cap = ncap;
    }
    uint64_t key = ino + 1; /* 0 marks an empty slot */
    size_t h = (key * 0x9E3779B97F4A7C15ULL) & (seen_cap - 1);
    while (seen[h] && seen[h] != key)
        h = (h + 1) & (seen_cap - 1);
    if (seen[h])
        fresh = 0;
    else {
        seen[h] = key;
        seen_used++;
    }
    pthread_mutex_unlock(&seen_mu);
    return fresh;
}

static void push(int fd)
{
    if (depth == cap) {
        cap = cap ? cap * 2 : 256;
        stack = realloc(stack, cap * sizeof *stack);
        if (!stack)
            die("realloc");
    }
    stack[depth++] = fd;
}

static int is_dots(const char *n)
{
    return n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0));
}

/* Counts a file that was looked at, or says whether it is a folder. */
static int counted_or_dir(int is_reg, int is_dir, uint64_t dev, uint64_t ino, uint32_t nlink, uint64_t size,
                          uint64_t *total)
{
    if (is_reg) {
        if (dev == walk_dev && (nlink < 2 || seen_insert(ino)))
            *total += size;
        return 0;
    }
    return is_dir;
}

static void push_child(int fd, const char *name)
{
    int cfd = openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (cfd < 0)
        return;
    struct stat cst;
    if (fstat(cfd, &cst) != 0 || cst.st_dev != walk_dev) {
        close(cfd);
        return;
    }
    pthread_mutex_lock(&mu);
    push(cfd);
    pthread_cond_signal(&cv);
    pthread_mutex_unlock(&mu);
}

static int looked_up(const struct dirent64_raw *d)
{
    return d->d_type == DT_REG || d->d_type == DT_UNKNOWN;
}

#ifdef REFWALK_URING
static int use_uring;

#define RING_SIZE 256
#define STATX_WANTED (STATX_TYPE | STATX_MODE | STATX_NLINK | STATX_INO | STATX_SIZE)

/* One ring per thread; the statx of one buffer's entries in batches of
 * RING_SIZE, one submission each. */
static __thread struct io_uring ring;
static __thread struct statx *answers;
static __thread int isdir[RING_SIZE];

static void uring_start(void)
{
    int rc = io_uring_queue_init(RING_SIZE, &ring, 0);
    if (rc < 0) {
        fprintf(stderr, "refwalk: io_uring_queue_init: %s\n", strerror(-rc));
        exit(1);
    }
    answers = malloc(RING_SIZE * sizeof *answers);
    if (!answers)
        die("malloc");
}

static void uring_end(void)
{
    io_uring_queue_exit(&ring);
    free(answers);
}

static void stat_batch(int fd, struct dirent64_raw **batch, int k, uint64_t *total)
{
    for (int j = 0; j < k; j++) {
        struct io_uring_sqe *sqe = io_uring_get_sqe(&ring);
        io_uring_prep_statx(sqe, fd, batch[j]->d_name, AT_SYMLINK_NOFOLLOW, STATX_WANTED, &answers[j]);
        io_uring_sqe_set_data64(sqe, (uint64_t)j);
    }
    if (io_uring_submit_and_wait(&ring, (unsigned)k) < 0)
        die("io_uring_submit_and_wait");
    memset(isdir, 0, (size_t)k * sizeof *isdir);
    for (int done = 0; done < k; done++) {
        struct io_uring_cqe *cqe;
        if (io_uring_wait_cqe(&ring, &cqe) != 0)
            die("io_uring_wait_cqe");
        int j = (int)io_uring_cqe_get_data64(cqe);
        int res = cqe->res;
        io_uring_cqe_seen(&ring, cqe);
        if (res == -EINVAL || res == -EOPNOTSUPP) {
            /* statx not offered here: ask the plain way. */
            struct stat st;
            if (fstatat(fd, batch[j]->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
                isdir[j] = counted_or_dir(S_ISREG(st.st_mode), S_ISDIR(st.st_mode), st.st_dev, st.st_ino,
                                          (uint32_t)st.st_nlink, (uint64_t)st.st_size, total);
            continue;
        }
        if (res != 0)
            continue;
        const struct statx *x = &answers[j];
        isdir[j] = counted_or_dir(S_ISREG(x->stx_mode), S_ISDIR(x->stx_mode),
                                  makedev(x->stx_dev_major, x->stx_dev_minor), x->stx_ino, x->stx_nlink,
                                  x->stx_size, total);
    }
    for (int j = 0; j < k; j++)
        if (isdir[j])
            push_child(fd, batch[j]->d_name);
}
#endif

/* Reads one folder: adds its files to *total, pushes its subfolders. */
static void read_folder(int fd, char *buf, uint64_t *total)
{
    for (;;) {
        long n = syscall(SYS_getdents64, fd, buf, BUF_SIZE);
        if (n <= 0)
            break;
#ifdef REFWALK_URING
        struct dirent64_raw *batch[RING_SIZE];
        int k = 0;
#endif
        for (long off = 0; off < n;) {
            struct dirent64_raw *d = (struct dirent64_raw *)(buf + off);
            off += d->d_reclen;
            if (is_dots(d->d_name))
                continue;
            int is_dir = d->d_type == DT_DIR;
#ifdef REFWALK_URING
            if (use_uring && looked_up(d)) {
                batch[k++] = d;
                if (k == RING_SIZE) {
                    stat_batch(fd, batch, k, total);
                    k = 0;
                }
                continue;
            }
#endif
            if (looked_up(d)) {
                struct stat st;
                if (fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                    continue;
                is_dir = counted_or_dir(S_ISREG(st.st_mode), S_ISDIR(st.st_mode), st.st_dev, st.st_ino,
                                        (uint32_t)st.st_nlink, (uint64_t)st.st_size, total);
            }
            if (is_dir)
                push_child(fd, d->d_name);
        }
#ifdef REFWALK_URING
        if (k > 0)
            stat_batch(fd, batch, k, total);
#endif
    }
    close(fd);
}

static void *worker(void *arg)
{
    (void)arg;
    char *buf = malloc(BUF_SIZE);
    uint64_t total = 0;
    if (!buf)
        die("malloc");
#ifdef REFWALK_URING
    if (use_uring)
        uring_start();
#endif
    pthread_mutex_lock(&mu);
    for (;;) {
        while (depth == 0 && busy > 0)
            pthread_cond_wait(&cv, &mu);
        if (depth == 0)
            break;
        int fd = stack[--depth];
        busy++;
        pthread_mutex_unlock(&mu);
        read_folder(fd, buf, &total);
        pthread_mutex_lock(&mu);
        busy--;
    }
    grand_total += total;
    pthread_cond_broadcast(&cv);
    pthread_mutex_unlock(&mu);
#ifdef REFWALK_URING
    if (use_uring)
        uring_end();
#endif
    free(buf);
    return NULL;
}

static int is_pseudo(unsigned long t)
{
    static const unsigned long pseudo[] = {
        0x9fa0,     0x62656572, 0x27e0eb,   0x63677270, 0x1cd1,     0x64626720, 0x74726163,
        0x73636673, 0x6165676c, 0xcafe4a11, 0x62656570, 0x65735543, 0x19800202, 0x958458f6,
        0x42494e4d, 0xde5e81e4, 0xf97cff8c, 0x43415d53, 0x6e736673, 0x67596969, 0x6e667364,
    };
    for (size_t i = 0; i < sizeof pseudo / sizeof pseudo[0]; i++)
        if ((t & 0xffffffffUL) == pseudo[i])
            return 1;
    return 0;
}

static uint64_t measure(int fd, int threads)
{
    struct stat st;
    struct statfs sf;
    if (fstat(fd, &st) != 0 || (fstatfs(fd, &sf) == 0 && is_pseudo((unsigned long)sf.f_type))) {
        close(fd);
        return 0;
    }
    walk_dev = st.st_dev;
    grand_total = 0;
    seen_used = 0;
    if (seen)
        memset(seen, 0, seen_cap * sizeof *seen);
    depth = 0;
    busy = 0;
    push(fd);
    pthread_t tid[256];
    for (int i = 0; i < threads; i++)
        if (pthread_create(&tid[i], NULL, worker, NULL) != 0)
            die("pthread_create");
    for (int i = 0; i < threads; i++)
        pthread_join(tid[i], NULL);
    return grand_total;
}

int main(int argc, char **argv)
{
    long cores = sysconf(_SC_NPROCESSORS_ONLN);
    int threads = cores < 1 ? 1 : cores > 256 ? 256 : (int)cores;
    int opt;
    while ((opt = getopt(argc, argv, "t:u")) != -1) {
        if (opt == 'u') {
#ifdef REFWALK_URING
            use_uring = 1;
            continue;
#else
            fprintf(stderr, "refwalk: built without liburing, -u is not available\n");
            return 2;
#endif
        }
        char *end = NULL;
        long t = opt == 't' ? strtol(optarg, &end, 10) : 0;
        if (opt != 't' || !end || *end || t < 1 || t > 256) {
            fprintf(stderr, "usage: refwalk [-t THREADS (1-256)] [-u] DIR\n");
            return 2;
        }
        threads = (int)t;
    }
    if (argc - optind != 1) {
        fprintf(stderr, "usage: refwalk [-t THREADS (1-256)] [-u] DIR\n");
        return 2;
    }
    /* The stack holds open descriptors; allow as many as the system lets. */
    struct rlimit rl;
    if (getrlimit(RLIMIT_NOFILE, &rl) == 0) {
        rl.rlim_cur = rl.rlim_max;
        setrlimit(RLIMIT_NOFILE, &rl);
    }
    const char *dir = argv[optind];
    size_t dlen = strlen(dir);
    const char *sep = dlen && dir[dlen - 1] == '/' ? "" : "/";

    int dfd = open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0)
        die(dir);
    /* The listing first, in delivery order, then one measurement each. */
    char *buf = malloc(BUF_SIZE);
    char *names = NULL;
    size_t nlen = 0, ncap = 0;
    if (!buf)
        die("malloc");
    for (;;) {
        long n = syscall(SYS_getdents64, dfd, buf, BUF_SIZE);
        if (n < 0)
            die("getdents64");
        if (n == 0)
            break;
        for (long off = 0; off < n;) {
            struct dirent64_raw *d = (struct dirent64_raw *)(buf + off);
            off += d->d_reclen;
            if (is_dots(d->d_name))
                continue;
            int is_dir = d->d_type == DT_DIR;
            if (d->d_type == DT_UNKNOWN) {
                struct stat st;
                is_dir = fstatat(dfd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
            }
            if (!is_dir)
                continue;
            size_t l = strlen(d->d_name) + 1;
            if (nlen + l > ncap) {
                ncap = (nlen + l) * 2;
                names = realloc(names, ncap);
                if (!names)
                    die("realloc");
            }
            memcpy(names + nlen, d->d_name, l);
            nlen += l;
        }
    }
    int status = 0;
    for (size_t off = 0; off < nlen; off += strlen(names + off) + 1) {
        const char *name = names + off;
        int fd = openat(dfd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        uint64_t total = 0;
        if (fd < 0)
            status = 1;
        else
            total = measure(fd, threads);
        printf("%llu\t%s%s%s\n", (unsigned long long)total, dir, sep, name);
    }
    free(names);
    free(buf);
    close(dfd);
    return status;
}
