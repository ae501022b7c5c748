// The benchmark helper of bench/bench_*.sh. Subcommands:
//   crc                      CRC-32 throughput of the reader against zlib's crc32, same data
//   make-directory N FILE    an archive of N tiny stored entries (fixture writer)
//   make-tree DIR FILES MB   FILES files of pseudo-random bytes, MB megabytes in all
//   open FILE                opens FILE with the component: seconds, heap bytes per entry
//   run N CMD...             runs CMD N times: best wall seconds and peak resident KiB
//   time N CMD...            the same, then the user and system seconds of the best run
#include "platform/os/FileSystem.h"
#include "platform/os/posix/PathMap.h"
#include "tests/common/TestPaths.h"
#include "tests/common/ZipWriter.h"
#include "unzip/UnZipper.h"
#include "unzip/decode/Crc32.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

AnsiString SystemPath(const std::string& host) {
    std::string absolute = host;
    if (absolute.empty() || absolute[0] != '/') {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd)) absolute = std::string(cwd) + "/" + host;
    }
    AnsiString path;
    if (!PathMap::FromHost(absolute, path)) {
        std::fprintf(stderr, "no system path for %s\n", host.c_str());
        std::exit(2);
    }
    return path;
}

int Crc() {
    std::vector<unsigned char> data(16000);
    uint32_t seed = 1;
    for (auto& b : data) b = static_cast<unsigned char>((seed = seed * 1103515245u + 12345u) >> 24);
    const int reps = 2000, rounds = 30;
    double ours = 1e9, theirs = 1e9;
    uint32_t a = CrcInitial;
    uLong z = crc32(0, nullptr, 0);
    for (int r = 0; r < rounds; ++r) {
        double t0 = Now();
        for (int i = 0; i < reps; ++i) a = UpdateCrc32(a, data.data(), data.size());
        double t1 = Now();
        for (int i = 0; i < reps; ++i) z = crc32(z, data.data(), static_cast<uInt>(data.size()));
        double t2 = Now();
        ours = std::min(ours, t1 - t0);
        theirs = std::min(theirs, t2 - t1);
    }
    const double mb = reps * 16000.0 / 1e6;
    std::printf("crc32 ours %.0f MB/s, zlib %.0f MB/s, ratio ours/zlib %.2f (same result: %s)\n", mb / ours,
                mb / theirs, theirs / ours, ~a == static_cast<uint32_t>(z) ? "yes" : "NO");
    return ~a == static_cast<uint32_t>(z) ? 0 : 1;
}

int MakeDirectory(int n, const std::string& file) {
    ZipFixture::TFixtureArchive zip;
    zip.Entries.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "folder%03d/entry%05d.txt", i / 1000, i);
        zip.Entries.push_back({.Name = name, .Data = std::to_string(i)});
    }
    std::ofstream out(file, std::ios::binary);
    const std::string bytes = ZipFixture::BuildZip(zip).Bytes;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return out ? 0 : 1;
}

int MakeTree(const std::string& dir, int files, int megabytes) {
    const AnsiString root = SystemPath(dir);
    const int64_t total = static_cast<int64_t>(megabytes) * 1000000;
    uint64_t seed = 88172645463325252ull;
    std::string buffer;
    for (int i = 0; i < files; ++i) {
        // Sizes from a quarter to nearly twice the mean, so that files differ.
        const int64_t mean = total / files;
        const int64_t size = mean / 4 + static_cast<int64_t>((i * 7919) % 1000) * (mean * 7 / 4) / 1000;
        buffer.resize(static_cast<size_t>(size));
        for (size_t k = 0; k + 8 <= buffer.size(); k += 8) {
            seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
            std::memcpy(&buffer[k], &seed, 8);
        }
        const AnsiString folder = root + "\\" + Format("part%02d", i % 20);
        ForceDirectories(folder);
        WriteFileBytes(folder + "\\" + Format("file%05d.bin", i), buffer);
    }
    return 0;
}

int Open(const std::string& file) {
    const AnsiString path = SystemPath(file);
    double best = 1e9;
    int count = 0;
    size_t perEntry = 0;
    for (int r = 0; r < 5; ++r) {
        const size_t before = mallinfo2().uordblks;
        TUnZipper zip;
        const double t0 = Now();
        zip.SetZipName(path);
        zip.OpenZip();
        zip.CloseZip();
        best = std::min(best, Now() - t0);
        count = zip.Count();
        perEntry = count ? (mallinfo2().uordblks - before) / static_cast<size_t>(count) : 0;
    }
    std::printf("open %d entries: %.4f s (best of 5), %zu heap bytes per entry\n", count, best, perEntry);
    return 0;
}

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; }

int Run(int times, char** argv, bool withCpu) {
    double best = 1e9, user = 0, system = 0;
    long peak = 0;
    for (int r = 0; r < times; ++r) {
        const double t0 = Now();
        const pid_t pid = fork();
        if (pid == 0) {
            const int null = ::open("/dev/null", 1);
            if (null >= 0) dup2(null, 1);
            execvp(argv[0], argv);
            _exit(127);
        }
        int status = 0;
        struct rusage usage {};
        wait4(pid, &status, 0, &usage);
        const double t = Now() - t0;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "%s exited with %d\n", argv[0], WIFEXITED(status) ? WEXITSTATUS(status) : -1);
            return 1;
        }
        if (t < best) {
            best = t;
            user = Seconds(usage.ru_utime);
            system = Seconds(usage.ru_stime);
        }
        peak = std::max(peak, usage.ru_maxrss);
    }
    if (withCpu)
        std::printf("%.4f %ld %.4f %.4f\n", best, peak, user, system);
    else
        std::printf("%.4f %ld\n", best, peak);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string cmd = argc > 1 ? argv[1] : "";
    if (cmd == "crc") return Crc();
    if (cmd == "make-directory" && argc == 4) return MakeDirectory(std::atoi(argv[2]), argv[3]);
    if (cmd == "make-tree" && argc == 5) return MakeTree(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (cmd == "open" && argc == 3) return Open(argv[2]);
    if (cmd == "run" && argc > 3) return Run(std::atoi(argv[2]), argv + 3, false);
    if (cmd == "time" && argc > 3) return Run(std::atoi(argv[2]), argv + 3, true);
    std::fprintf(stderr,
                 "usage: bench_zip crc | make-directory N FILE | make-tree DIR FILES MB | open FILE | run N CMD... | "
                 "time N CMD...\n");
    return 2;
}
