// The spool of the decomposition mode, and its replay.
#include "filter/print_data_spool.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/sendfile.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/job.h"
#include "filter/ps_scanner.h"
#include "platform/files.h"
#include "platform/logger.h"

namespace tf {
namespace {

constexpr char kTemporaryFilePrefix[] = "qmPPDPJL";
constexpr std::string_view kPageEndLines[] = {"ep", "endp", "showpage"};

// What the replay says when it cannot read back what it kept.
constexpr char kSpoolUnreadable[] = "Unable to read back the temporary file of the print data";
constexpr char kInputUnreadable[] = "Unable to read back the print data";

void ReportFailure(Job& job, const char* what, int error) {
  job.log.Error("%s: %s", what, SystemErrorText(error).c_str());
}

// The replay: the temporary file goes to standard output as it stands; after a page-end line the
// copy stops when the job was cancelled.
class ReplayHandler {
 public:
  static constexpr std::size_t kMaxPiece = 8;  // "showpage"
  static constexpr bool kLastLineUnmatched = false;

  explicit ReplayHandler(Job& job) : job_(job) {}
  static constexpr bool MayStartWith(char first) { return first == 'e' || first == 's'; }

  bool Wants(const char* piece, std::size_t length) {
    const std::string_view line(piece, length);
    for (std::string_view pageEnd : kPageEndLines) {
      if (line == pageEnd) return true;
    }
    return false;
  }

  bool Handle(const PsLine& line, PrinterStream& out) {
    WritePsLine(line, out);
    return !job_.CancelJob();
  }

 private:
  Job& job_;
};

static_assert(
    [] {
      for (std::string_view line : kPageEndLines) {
        if (!ReplayHandler::MayStartWith(line[0])) return false;
      }
      return true;
    }(),
    "every page-end line begins with a byte MayStartWith takes");

// Copies the bytes from `reader` up to and including the next line end to `out`, and gives the
// bytes read past it back to the reader.  False, with `*error` set, when reading fails.
template <class Reader>
bool CopyRestOfLine(Reader& reader, PrinterStream& out, int* error) {
  char buffer[16 * 1024];
  for (;;) {
    const ssize_t n = reader.Read(buffer, sizeof(buffer));
    if (n < 0) {
      *error = errno;
      return false;
    }
    if (n == 0) return true;
    const char* end = FindLineEnd(buffer, buffer + n);
    if (end == nullptr) {
      out.Write(buffer, static_cast<std::size_t>(n));
      continue;
    }
    const std::size_t used = static_cast<std::size_t>(end - buffer) + 1;
    out.Write(buffer, used);
    reader.Unread(buffer + used, static_cast<std::size_t>(n) - used);
    return true;
  }
}

// Reads back the kept PostScript: a file of source pieces (OutFile::ReferToSource), made of input
// bytes read again from the input file and of the bytes the filter added, or a plain file, one
// reference to itself.  Read serves
// the bytes in order across pieces, so that the scanner can take the rest of the stream from
// here; the current piece can also be taken over by the caller (Take, for the direct copy).
class SpoolReader {
 public:
  // The file of source pieces `piecesFd`, whose references point into `inputFd`.
  SpoolReader(int piecesFd, int inputFd) : pieces_(piecesFd), input_(inputFd), buffer_(kBuffer) {}
  // The bytes of `fd` from `offset` to `end`, as one reference: a spool without references.
  SpoolReader(int fd, std::int64_t offset, std::int64_t end)
      : pieces_(-1), input_(fd), buffer_(0) {
    reference_ = true;
    offset_ = offset;
    remaining_ = end > offset ? static_cast<std::uint64_t>(end - offset) : 0;
  }

  // Moves to the next piece when the current one is used up.  False at the end of the file, or
  // on a read error (error() is then set).
  bool Ready() {
    while (remaining_ == 0) {
      if (pieces_ < 0) return false;  // the one reference is used up
      std::uint64_t header = 0;
      const int got = ReadRaw(reinterpret_cast<char*>(&header), sizeof(header));
      if (got <= 0) return false;
      reference_ = (header & kSourcePieceFlag) != 0;
      remaining_ = header >> 1;
      if (reference_) {
        std::uint64_t offset = 0;
        if (ReadRaw(reinterpret_cast<char*>(&offset), sizeof(offset)) <= 0) {
          if (error_ == 0) error_ = EIO;
          return false;
        }
        offset_ = static_cast<std::int64_t>(offset);
      }
    }
    return true;
  }

  bool reference() const { return reference_; }
  std::uint64_t remaining() const { return remaining_; }
  std::int64_t offset() const { return offset_; }
  int error() const { return error_; }

  // `n` bytes of the current reference went out directly.
  void Take(std::uint64_t n) {
    offset_ += static_cast<std::int64_t>(n);
    remaining_ -= n;
  }

  // Gives back bytes that Read delivered, to be delivered again first.
  void Unread(const char* data, std::size_t size) { pushback_.insert(0, data, size); }

  // The next bytes of the kept PostScript: at most `size`; 0 at its end, -1 with errno set on an
  // error (EIO when the input file has become shorter than the bytes it gave).
  ssize_t Read(char* out, std::size_t size) {
    if (!pushback_.empty()) {
      const std::size_t n = std::min(size, pushback_.size());
      std::memcpy(out, pushback_.data(), n);
      pushback_.erase(0, n);
      return static_cast<ssize_t>(n);
    }
    if (!Ready()) {
      errno = error_;
      return error_ != 0 ? -1 : 0;
    }
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, remaining_));
    ssize_t got;
    if (reference_) {
      do {
        got = ::pread(input_, out, n, static_cast<off_t>(offset_));
      } while (got < 0 && errno == EINTR);
      if (got == 0) errno = EIO;  // the input lost bytes it had when it was read
      if (got <= 0) {
        error_ = errno;
        return -1;
      }
      offset_ += got;
    } else {
      got = ReadRaw(out, n);
      if (got <= 0) {
        if (error_ == 0) error_ = EIO;
        errno = error_;
        return -1;
      }
    }
    remaining_ -= static_cast<std::uint64_t>(got);
    return got;
  }

 private:
  static constexpr std::size_t kBuffer = 64 * 1024;

  // Up to `size` bytes of the pieces file (all of them unless it ends); 0 at its end, -1 on error.
  int ReadRaw(char* out, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
      if (position_ == filled_) {
        ssize_t n;
        do {
          n = ::read(pieces_, buffer_.data(), buffer_.size());
        } while (n < 0 && errno == EINTR);
        if (n < 0) {
          error_ = errno;
          return -1;
        }
        if (n == 0) break;
        position_ = 0;
        filled_ = static_cast<std::size_t>(n);
      }
      const std::size_t n = std::min(size - done, filled_ - position_);
      std::memcpy(out + done, buffer_.data() + position_, n);
      position_ += n;
      done += n;
    }
    return static_cast<int>(done);
  }

  const int pieces_;  // -1: no pieces, one reference
  const int input_;
  std::vector<char> buffer_;
  std::size_t position_ = 0;
  std::size_t filled_ = 0;
  bool reference_ = false;
  std::uint64_t remaining_ = 0;
  std::int64_t offset_ = 0;
  int error_ = 0;
  std::string pushback_;
};

// The kept PostScript from where `spool` stands, line by line; stops after the next page-end line
// once the job is cancelled.  `midLine`: the rest of the current line goes out first, so that only
// whole lines are looked at for the page end.
StreamStatus ReplayByLine(Job& job, SpoolReader& spool, bool midLine,
                          const char* unreadableMessage) {
  PrinterStream toPrinter(&job.stdoutFile, nullptr);
  if (midLine) {
    int error = 0;
    if (!CopyRestOfLine(spool, toPrinter, &error)) {
      ReportFailure(job, unreadableMessage, error);
      return StreamStatus::InputError;
    }
  }
  ReplayHandler replay(job);
  const ScanOutcome replayed = ScanPostScriptFrom(spool, -1, toPrinter, replay);
  switch (replayed.result) {
    case ScanResult::Stopped:
      return StreamStatus::Cancelled;
    case ScanResult::ReadError:
      ReportFailure(job, unreadableMessage, replayed.error);
      return StreamStatus::InputError;
    case ScanResult::Completed:
      break;
  }
  return StreamStatus::Completed;
}

// The one copy loop: the kept PostScript of `spool` to the printer stream, long references
// straight from their file (sendfile), everything else through the output's buffer; once the job
// is cancelled, line by line to the end of the next page.  `unreadableMessage` is the ERROR line
// of a spool that cannot be read back.
StreamStatus Replay(Job& job, SpoolReader& spool, int referencedFd, const char* unreadableMessage) {
  // References at least this long go from their file to the output directly.
  constexpr std::uint64_t kDirectMinimum = 64 * 1024;
  constexpr std::uint64_t kSlice = 1 << 20;
  OutFile& out = job.stdoutFile;
  std::vector<char> buffer(64 * 1024);
  bool direct = true;   // the system copies from the file to the output
  char last = '\n';     // the last byte that went out
  std::int64_t sentEnd = -1;  // file offset after the last direct copy, when that was last
  auto unreadable = [&job, unreadableMessage](int error) {
    ReportFailure(job, unreadableMessage, error);
    return StreamStatus::InputError;
  };
  while (!job.CancelJob()) {
    // The printer is gone (a write error is kept and reported at the end): nothing more to send.
    if (out.error() != 0) return StreamStatus::Completed;
    if (!spool.Ready()) {
      if (spool.error() != 0) return unreadable(spool.error());
      return StreamStatus::Completed;
    }
#if defined(__linux__)
    if (direct && spool.reference() && spool.remaining() >= kDirectMinimum) {
      out.Flush();
      if (out.fd() < 0 || out.error() != 0) {
        direct = false;
        continue;
      }
      off_t offset = static_cast<off_t>(spool.offset());
      const ssize_t n = ::sendfile(out.fd(), referencedFd, &offset,
                                   static_cast<std::size_t>(std::min(spool.remaining(), kSlice)));
      if (n > 0) {
        spool.Take(static_cast<std::uint64_t>(n));
        sentEnd = spool.offset();
      } else if (n == 0) {
        return unreadable(EIO);  // the file has become shorter
      } else if (errno == EAGAIN) {
        struct pollfd pfd = {out.fd(), POLLOUT, 0};
        ::poll(&pfd, 1, -1);
      } else if (errno != EINTR) {
        direct = false;  // the rest goes through the buffer, which records a write error
      }
      continue;
    }
#endif
    const ssize_t n = spool.Read(
        buffer.data(), static_cast<std::size_t>(std::min<std::uint64_t>(
                           buffer.size(), spool.remaining())));
    if (n <= 0) return unreadable(n < 0 ? errno : EIO);
    out.Write(buffer.data(), static_cast<std::size_t>(n));
    last = buffer[static_cast<std::size_t>(n) - 1];
    sentEnd = -1;
  }

  // Cancelled: on from here line by line, to the end of the next page.
  if (sentEnd >= 0 && ::pread(referencedFd, &last, 1, static_cast<off_t>(sentEnd - 1)) != 1) {
    last = 0;
  }
  return ReplayByLine(job, spool, last != '\n' && last != '\r', unreadableMessage);
}

// The end of the file `fd`; -1 (errno set) when it cannot be told.
std::int64_t FileEnd(int fd) {
  struct stat status;
  if (::fstat(fd, &status) != 0) return -1;
  return static_cast<std::int64_t>(status.st_size);
}

std::int64_t ModifiedNanoseconds(const struct stat& status) {
  return static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
}

}  // namespace

bool PrintDataSpool::Create(const std::string& directory, int inputFd) {
  std::string path;
  const int fd = CreateTemporaryFile(kTemporaryFilePrefix, directory, &path);
  if (fd < 0) return false;
  ::unlink(path.c_str());
  file_.Attach(fd);
  // A regular input file is read again for the replay: the temporary file then keeps the bytes
  // the filter adds and references to the input, not a second copy of the whole job.
  input_ = inputFd;
  struct stat input;
  byReference_ = ::fstat(inputFd, &input) == 0 && S_ISREG(input.st_mode);
  if (byReference_) {
    inputSize_ = static_cast<std::int64_t>(input.st_size);
    inputModified_ = ModifiedNanoseconds(input);
    file_.ReferToSource();
  }
  return true;
}

StreamStatus PrintDataSpool::Replay(Job& job) {
  file_.Flush();
  if (::lseek(file_.fd(), 0, SEEK_SET) != 0) {
    ReportFailure(job, kSpoolUnreadable, errno);
    return StreamStatus::InputError;
  }
  if (!byReference_) return ReplayPrintData(job, file_.fd());
  struct stat input;
  if (::fstat(input_, &input) != 0 || static_cast<std::int64_t>(input.st_size) != inputSize_ ||
      ModifiedNanoseconds(input) != inputModified_) {
    job.log.Error("The print file changed while it was read");
    return StreamStatus::InputError;
  }
  return ReplayPrintDataFromPieces(job, file_.fd(), input_);
}

namespace {

// The rest of a plain spool file, from its current offset to its end; std::nullopt (reported)
// when the file cannot say where it stands.
std::optional<SpoolReader> RestOfSpool(Job& job, int fd) {
  const off_t offset = ::lseek(fd, 0, SEEK_CUR);
  const std::int64_t end = FileEnd(fd);
  if (offset < 0 || end < 0) {
    ReportFailure(job, kSpoolUnreadable, errno);
    return std::nullopt;
  }
  return std::optional<SpoolReader>(std::in_place, fd, offset, end);
}

}  // namespace

StreamStatus ReplayPrintData(Job& job, int fd) {
  std::optional<SpoolReader> spool = RestOfSpool(job, fd);
  if (!spool) return StreamStatus::InputError;
  return Replay(job, *spool, fd, kSpoolUnreadable);
}

StreamStatus ReplayPrintDataByLine(Job& job, int fd, bool midLine) {
  std::optional<SpoolReader> spool = RestOfSpool(job, fd);
  if (!spool) return StreamStatus::InputError;
  return ReplayByLine(job, *spool, midLine, kSpoolUnreadable);
}

StreamStatus ReplayPrintDataFromPieces(Job& job, int piecesFd, int inputFd) {
  SpoolReader spool(piecesFd, inputFd);
  return Replay(job, spool, inputFd, kInputUnreadable);
}

}  // namespace tf
