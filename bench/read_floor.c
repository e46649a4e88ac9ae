// The read floor of bench/run.sh: reads every byte of the files in a list once and throws
// the bytes away. No exact duplicate finder can read less than the list holds (the files
// whose size occurs at least twice, one name per inode; see read_floor_list.py), so the
// time of this program is the floor the finders are measured against.
//
// Usage: read-floor [-j JOBS] LIST
//   LIST holds NUL-terminated records "SIZE PATH". JOBS threads (default: one per online
//   CPU) take the next file from a shared counter, so that a few big files still keep every
//   thread busy, and read it in 128 KiB reads into a page-aligned buffer (the size GNU cat
//   uses, small enough to stay in the caches). A file is read up to its listed size, so a
//   small file costs open, one read and close. Exit status 1 if a file could not be read.
#define _GNU_SOURCE
#include <fcntl.h>
#include <pthread.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

enum { CHUNK = 128 * 1024 };

struct entry {
    const char* path;
    unsigned long long size;
};

static struct entry* entries;
static size_t count;
static atomic_size_t next_entry;
static atomic_int failed;

static void read_one(const struct entry* e, char* buffer)
{
    int fd = open(e->path, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        perror(e->path);
        failed = 1;
        return;
    }
    if (e->size > CHUNK)
        posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    unsigned long long done = 0;
    while (done < e->size) {
        ssize_t n = read(fd, buffer, CHUNK);
        if (n < 0) {
            perror(e->path);
            failed = 1;
            break;
        }
        if (n == 0)
            break;
        done += (unsigned long long)n;
    }
    close(fd);
}

static void* worker(void* unused)
{
    (void)unused;
    char* buffer = aligned_alloc(4096, CHUNK);
    if (!buffer) {
        perror("read-floor");
        failed = 1;
        return NULL;
    }
    for (;;) {
        size_t i = atomic_fetch_add(&next_entry, 1);
        if (i >= count)
            break;
        read_one(&entries[i], buffer);
    }
    free(buffer);
    return NULL;
}

static char* read_list(const char* path, size_t* length)
{
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0)
        return NULL;
    char* data = malloc((size_t)st.st_size + 1);
    size_t done = 0;
    while (data && done < (size_t)st.st_size) {
        ssize_t n = read(fd, data + done, (size_t)st.st_size - done);
        if (n <= 0)
            break;
        done += (size_t)n;
    }
    close(fd);
    if (!data)
        return NULL;
    data[done] = '\0';
    *length = done;
    return data;
}

int main(int argc, char** argv)
{
    long jobs = sysconf(_SC_NPROCESSORS_ONLN);
    int opt;
    while ((opt = getopt(argc, argv, "j:")) != -1) {
        if (opt != 'j')
            goto usage;
        jobs = strtol(optarg, NULL, 10);
    }
    if (optind != argc - 1 || jobs < 1)
        goto usage;

    size_t length = 0;
    char* data = read_list(argv[optind], &length);
    if (!data) {
        perror(argv[optind]);
        return 1;
    }
    for (size_t i = 0; i < length; ++i)
        count += data[i] == '\0';
    entries = calloc(count ? count : 1, sizeof *entries);
    size_t n = 0;
    for (char* record = data; record < data + length; record += strlen(record) + 1) {
        char* space = strchr(record, ' ');
        if (!space) {
            fprintf(stderr, "read-floor: %s: a record without a size\n", argv[optind]);
            return 1;
        }
        entries[n].size = strtoull(record, NULL, 10);
        entries[n].path = space + 1;
        ++n;
    }
    count = n;

    pthread_t threads[64];
    if (jobs > 64)
        jobs = 64;
    for (long t = 1; t < jobs; ++t)
        if (pthread_create(&threads[t], NULL, worker, NULL) != 0) {
            perror("read-floor");
            return 1;
        }
    worker(NULL);
    for (long t = 1; t < jobs; ++t)
        pthread_join(threads[t], NULL);
    return failed ? 1 : 0;

usage:
    fprintf(stderr, "Usage: read-floor [-j JOBS] LIST\n");
    return 2;
}
