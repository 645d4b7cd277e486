// The output channel: buffered writes with the job copy fed first.
#include "filter/output_channel.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tf {

OutFile::~OutFile() { Close(); }

void OutFile::Attach(int fd) {
  Close();
  fd_ = fd;
  used_ = 0;
  error_ = 0;
  if (fd_ >= 0 && !buffer_) buffer_ = std::make_unique<char[]>(kBufferSize);
}

void OutFile::WriteThrough(const char* data, std::size_t size) {
  while (size > 0 && error_ == 0) {
    ssize_t n = ::write(fd_, data, size);
    if (n > 0) {
      data += n;
      size -= static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      struct pollfd pfd = {fd_, POLLOUT, 0};
      poll(&pfd, 1, -1);
    } else {
      error_ = (n < 0) ? errno : EIO;
    }
  }
}

void OutFile::Write(const void* data, std::size_t size) {
  if (fd_ < 0 || error_ != 0 || size == 0) return;
  const char* bytes = static_cast<const char*>(data);
  if (used_ + size <= kBufferSize) {
    std::memcpy(buffer_.get() + used_, bytes, size);
    used_ += size;
    return;
  }
  Flush();
  if (size >= kBufferSize / 2) {
    WriteThrough(bytes, size);  // large spans go out directly, without a copy
  } else {
    std::memcpy(buffer_.get(), bytes, size);
    used_ = size;
  }
}

void OutFile::Flush() {
  if (fd_ < 0 || used_ == 0) return;
  WriteThrough(buffer_.get(), used_);
  used_ = 0;
}

bool OutFile::Close() {
  if (fd_ < 0) return error_ == 0;
  Flush();
  bool ok = error_ == 0;
  if (fd_ > 2 && ::close(fd_) != 0 && ok) {
    error_ = errno;
    ok = false;
  }
  fd_ = -1;
  return ok;
}

void EnlargePipeBuffer(int fd) {
#if defined(F_SETPIPE_SZ)
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISFIFO(st.st_mode)) return;
  if (fcntl(fd, F_GETPIPE_SZ) >= kPipeBufferSize) return;
  fcntl(fd, F_SETPIPE_SZ, kPipeBufferSize);  // refused: the default size still works
#else
  (void)fd;
#endif
}

std::size_t QMfwrite(const void* data, std::size_t size, std::size_t count, PrinterStream& stream) {
  stream.Write(data, size * count);
  return count;
}

int QMfputs(const char* text, PrinterStream& stream) {
  stream.Write(text, std::strlen(text));
  return 1;
}

int QMfputc(int c, PrinterStream& stream) {
  const char byte = static_cast<char>(c);
  stream.Write(&byte, 1);
  return static_cast<unsigned char>(byte);
}

int QMfprintf(PrinterStream& stream, const char* text) {
  std::size_t start = 0, i = 0;
  int written = 0;
  for (; text[i] != '\0'; ++i) {
    if (text[i] == '%' && text[i + 1] == '%') {
      stream.Write(text + start, i + 1 - start);  // up to and including the first "%"
      written += static_cast<int>(i + 1 - start);
      start = i + 2;
      ++i;
    }
  }
  stream.Write(text + start, i - start);
  return written + static_cast<int>(i - start);
}

}  // namespace tf
