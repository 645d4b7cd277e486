// The output channel: buffered writes with the job copy fed first.
#include "engine/output_channel.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace tf {

OutFile::~OutFile() { Close(); }

void OutFile::Borrow(int fd) {
  Attach(fd);
  owned_ = false;
}

void OutFile::Attach(int fd) {
  Close();
  fd_ = fd;
  owned_ = true;
  used_ = 0;
  segmentCount_ = 0;
  lastIsCopied_ = false;
  error_ = 0;
  refersToSource_ = false;
  openLiteral_ = openReference_ = kNoPiece;
  if (fd_ >= 0 && !buffer_) {
    buffer_ = std::make_unique<char[]>(kBufferSize);
    segments_ = std::make_unique<iovec[]>(kMaxSegments);
    segmentOffsets_ = std::make_unique<std::int64_t[]>(kMaxSegments);
  }
  spliceSource_ = -1;
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

// One gathered write of the segments (more when the file takes only part of them).
void OutFile::WriteVector(iovec* segment, std::size_t left) {
  while (left > 0 && error_ == 0) {
    const int count = static_cast<int>(left < IOV_MAX ? left : IOV_MAX);
    ssize_t n = ::writev(fd_, segment, count);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      struct pollfd pfd = {fd_, POLLOUT, 0};
      poll(&pfd, 1, -1);
      continue;
    }
    if (n <= 0) {
      error_ = (n < 0) ? errno : EIO;
      break;
    }
    // Skip what was written; a segment written in part keeps its rest.
    std::size_t written = static_cast<std::size_t>(n);
    while (left > 0 && written >= segment->iov_len) {
      written -= segment->iov_len;
      ++segment;
      --left;
    }
    if (left > 0) {
      segment->iov_base = static_cast<char*>(segment->iov_base) + written;
      segment->iov_len -= written;
    }
  }
}

// Moves up to `size` bytes of the splice source, from `offset`, to the file; returns how many it
// moved.  A source that cannot give the rest (cut short, or no splice between these files) ends
// splicing for this file; a closed reader is a write error.
std::size_t OutFile::Splice(std::int64_t offset, std::size_t size) {
  std::size_t moved = 0;
#if defined(__linux__) && defined(SPLICE_F_MORE)
  loff_t from = static_cast<loff_t>(offset);
  while (moved < size && error_ == 0) {
    const ssize_t n = ::splice(spliceSource_, &from, fd_, nullptr, size - moved, SPLICE_F_MORE);
    if (n > 0) {
      moved += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && errno == EAGAIN) {
      struct pollfd pfd = {fd_, POLLOUT, 0};
      poll(&pfd, 1, -1);
    } else if (n < 0 && errno == EPIPE) {
      error_ = EPIPE;
    } else {
      spliceSource_ = -1;
      break;
    }
  }
#else
  (void)offset;
  (void)size;
  spliceSource_ = -1;
#endif
  return moved;
}

// Writes every queued segment in order: runs of bytes in memory in one gathered write, long
// spans of the splice source by splice.
void OutFile::WriteSegments() {
  std::size_t first = 0;  // first segment not yet written
  for (std::size_t i = 0; i < segmentCount_ && error_ == 0; ++i) {
    const std::int64_t offset = segmentOffsets_[i];
    const std::size_t size = segments_[i].iov_len;
    if (spliceSource_ < 0 || offset < 0 || size < kSpliceMinimum) continue;
    WriteVector(segments_.get() + first, i - first);
    first = i + 1;
    if (error_ != 0) break;
    const std::size_t moved = Splice(offset, size);
    // What the kernel did not move goes out from the borrowed bytes, which hold the same.
    if (moved < size) WriteThrough(static_cast<const char*>(segments_[i].iov_base) + moved,
                                   size - moved);
  }
  if (error_ == 0) WriteVector(segments_.get() + first, segmentCount_ - first);
  segmentCount_ = 0;
  used_ = 0;
  lastIsCopied_ = false;
}

void OutFile::Write(const void* data, std::size_t size) {
  if (fd_ < 0 || error_ != 0 || size == 0) return;
  const char* bytes = static_cast<const char*>(data);
  if (refersToSource_) {
    PutLiteral(bytes, size);
    return;
  }
  if (size >= kBufferSize / 2) {
    // Large spans are not copied: they go out now, after what is queued.
    Flush();
    WriteThrough(bytes, size);
    return;
  }
  if (used_ + size > kBufferSize || (!lastIsCopied_ && segmentCount_ == kMaxSegments)) Flush();
  std::memcpy(buffer_.get() + used_, bytes, size);
  if (lastIsCopied_) {
    segments_[segmentCount_ - 1].iov_len += size;
  } else {
    segmentOffsets_[segmentCount_] = -1;
    segments_[segmentCount_++] = iovec{buffer_.get() + used_, size};
    lastIsCopied_ = true;
  }
  used_ += size;
}

void OutFile::WriteBorrowed(const void* data, std::size_t size, std::int64_t sourceOffset) {
  if (fd_ < 0 || error_ != 0 || size == 0) return;
  if (refersToSource_) {
    if (sourceOffset >= 0) {
      PutReference(size, sourceOffset);
    } else {
      PutLiteral(static_cast<const char*>(data), size);
    }
    return;
  }
  if (segmentCount_ > 0 && !lastIsCopied_) {
    iovec& last = segments_[segmentCount_ - 1];
    const std::int64_t lastOffset = segmentOffsets_[segmentCount_ - 1];
    if (static_cast<const char*>(last.iov_base) + last.iov_len == data &&
        (lastOffset < 0 ? sourceOffset < 0
                        : sourceOffset == lastOffset + static_cast<std::int64_t>(last.iov_len))) {
      last.iov_len += size;  // the next bytes of the same span
      return;
    }
  }
  if (segmentCount_ == kMaxSegments) Flush();
  segmentOffsets_[segmentCount_] = sourceOffset;
  segments_[segmentCount_++] = iovec{const_cast<void*>(data), size};
  lastIsCopied_ = false;
}

void OutFile::SpliceFromSource(int sourceFd) {
  Flush();
  spliceSource_ = -1;
#if defined(__linux__) && defined(SPLICE_F_MORE)
  struct stat file, source;
  if (sourceFd >= 0 && fd_ >= 0 && fstat(fd_, &file) == 0 && S_ISFIFO(file.st_mode) &&
      fstat(sourceFd, &source) == 0 && S_ISREG(source.st_mode)) {
    spliceSource_ = sourceFd;
  }
#else
  (void)sourceFd;
#endif
}

void OutFile::ReferToSource() {
  Flush();
  refersToSource_ = true;
}

void OutFile::PutLiteral(const char* data, std::size_t size) {
  constexpr std::size_t kHeader = sizeof(std::uint64_t);
  openReference_ = kNoPiece;
  while (size > 0 && error_ == 0) {
    if (openLiteral_ == kNoPiece) {
      if (used_ + kHeader >= kBufferSize) Flush();
      openLiteral_ = used_;
      const std::uint64_t empty = 0;
      std::memcpy(buffer_.get() + used_, &empty, kHeader);
      used_ += kHeader;
    }
    const std::size_t n = size < kBufferSize - used_ ? size : kBufferSize - used_;
    std::memcpy(buffer_.get() + used_, data, n);
    used_ += n;
    std::uint64_t header;
    std::memcpy(&header, buffer_.get() + openLiteral_, kHeader);
    header += static_cast<std::uint64_t>(n) << 1;
    std::memcpy(buffer_.get() + openLiteral_, &header, kHeader);
    data += n;
    size -= n;
    if (size > 0) Flush();
  }
}

void OutFile::PutReference(std::size_t size, std::int64_t sourceOffset) {
  constexpr std::size_t kHeader = sizeof(std::uint64_t);
  openLiteral_ = kNoPiece;
  if (openReference_ != kNoPiece && referenceEnd_ == sourceOffset) {
    // The input bytes that follow the last reference: it grows.
    std::uint64_t header;
    std::memcpy(&header, buffer_.get() + openReference_, kHeader);
    header += static_cast<std::uint64_t>(size) << 1;
    std::memcpy(buffer_.get() + openReference_, &header, kHeader);
    referenceEnd_ += static_cast<std::int64_t>(size);
    return;
  }
  if (used_ + 2 * kHeader > kBufferSize) Flush();
  const std::uint64_t words[2] = {(static_cast<std::uint64_t>(size) << 1) | kSourcePieceFlag,
                                  static_cast<std::uint64_t>(sourceOffset)};
  openReference_ = used_;
  std::memcpy(buffer_.get() + used_, words, sizeof(words));
  used_ += sizeof(words);
  referenceEnd_ = sourceOffset + static_cast<std::int64_t>(size);
}

void OutFile::Flush() {
  if (fd_ < 0) return;
  if (refersToSource_) {
    openLiteral_ = openReference_ = kNoPiece;
    if (used_ > 0) WriteThrough(buffer_.get(), used_);
    used_ = 0;
    return;
  }
  if (segmentCount_ == 0) return;
  WriteSegments();
}

bool OutFile::Close() {
  if (fd_ < 0) return error_ == 0;
  Flush();
  bool ok = error_ == 0;
  if (owned_ && ::close(fd_) != 0 && ok) {
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

}  // namespace tf
