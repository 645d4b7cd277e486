// A reference copy: standard input to standard output in 256 KiB reads and writes, with the same
// 1 MiB output pipe buffer that the filter asks for.  It shows how much of the filter's speed
// comes from the pipe size alone.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

int main() {
#if defined(F_SETPIPE_SZ)
  fcntl(STDOUT_FILENO, F_SETPIPE_SZ, 1 << 20);
#endif
  std::vector<char> buffer(256 * 1024);
  for (;;) {
    ssize_t n = read(STDIN_FILENO, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return 1;
    if (n == 0) return 0;
    for (const char* p = buffer.data(); n > 0;) {
      const ssize_t w = write(STDOUT_FILENO, p, static_cast<std::size_t>(n));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return 1;
      p += w;
      n -= w;
    }
  }
}
