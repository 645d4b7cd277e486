// The output channel: every byte for the printer goes through here.
//
// A PrinterStream writes to its destination (standard output, or the temporary file of the
// decomposition mode) and, first, the same bytes to the job copy when one is open, so the job copy
// records the data stream without any caller knowing of it.  Writes are buffered per file; a write
// error is remembered (the first errno) and later writes to that file are dropped, so a job whose
// printer went away runs to its end without blocking and reports the failure at exit.
//
// The stream's bulk, the PostScript passed through, is not copied into the buffer: the scanner
// hands over spans of its read chunk as borrowed bytes, which are queued by reference and go out
// with the buffered bytes in one gathered write before the chunk is read again.
#pragma once

#include <sys/uio.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace tf {

// A file of source pieces (OutFile::ReferToSource) is a sequence of pieces, each headed by one
// 64-bit word in the machine's byte order: (length << 1) | 1 for bytes of the source, followed by
// a 64-bit word with their source offset; (length << 1) for bytes that follow the header.
inline constexpr std::uint64_t kSourcePieceFlag = 1;

// A buffered writer on one file descriptor (-1: closed, writes are dropped).
class OutFile {
 public:
  static constexpr std::size_t kBufferSize = 64 * 1024;
  // Most pieces (copied runs and borrowed spans) queued before they are written.
  static constexpr std::size_t kMaxSegments = 256;

  OutFile() = default;
  explicit OutFile(int fd) { Attach(fd); }
  OutFile(const OutFile&) = delete;
  OutFile& operator=(const OutFile&) = delete;
  ~OutFile();

  // Writes to `fd` from now on, and closes it when done.
  void Attach(int fd);
  // Writes to `fd`, which belongs to someone else: it stays open.
  void Borrow(int fd);
  bool IsOpen() const { return fd_ >= 0; }
  int fd() const { return fd_; }

  // Copies the bytes into the buffer.
  void Write(const void* data, std::size_t size);
  // Queues the bytes by reference: they must stay unchanged until the next Flush (or Close).
  // `sourceOffset` is their offset in the input when they are input bytes, else -1.
  void WriteBorrowed(const void* data, std::size_t size, std::int64_t sourceOffset = -1);
  void Flush();

  // Borrowed bytes with a source offset (at least kSpliceMinimum of them in a row) are moved
  // from the file `sourceFd` by the kernel (splice) instead of being copied through this process,
  // when this file is a pipe and the source a regular file; -1 turns it off.  A source that does
  // not give the bytes (cut short, or no splice) leaves them to the ordinary write.
  static constexpr std::size_t kSpliceMinimum = 64 * 1024;
  void SpliceFromSource(int sourceFd);

  // From now on the file records where the data came from instead of input bytes: borrowed bytes
  // with a source offset become a reference to the input, every other byte is kept as it is (see
  // kSourcePieceFlag).  The input must then stay unchanged until the file has been read back.
  void ReferToSource();
  bool refersToSource() const { return refersToSource_; }
  // Flushes and closes (an owned descriptor); returns false when any write failed.
  bool Close();

  // First errno a write met on this file, 0 when none.
  int error() const { return error_; }

 private:
  void WriteThrough(const char* data, std::size_t size);
  void WriteSegments();
  void WriteVector(iovec* segment, std::size_t count);
  std::size_t Splice(std::int64_t offset, std::size_t size);
  void PutLiteral(const char* data, std::size_t size);
  void PutReference(std::size_t size, std::int64_t sourceOffset);

  int fd_ = -1;
  bool owned_ = false;  // Close closes fd_
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  // The queued pieces in order; a copied run points into buffer_.
  std::unique_ptr<iovec[]> segments_;
  std::unique_ptr<std::int64_t[]> segmentOffsets_;  // source offset of a borrowed segment, or -1
  std::size_t segmentCount_ = 0;
  int spliceSource_ = -1;
  bool lastIsCopied_ = false;  // the last segment ends at buffer_ + used_
  int error_ = 0;
  // Source pieces: the buffer holds the pieces; the header of the last one while it can grow.
  static constexpr std::size_t kNoPiece = static_cast<std::size_t>(-1);
  bool refersToSource_ = false;
  std::size_t openLiteral_ = kNoPiece;    // buffer offset of the last piece's header (literal)
  std::size_t openReference_ = kNoPiece;  // the same for a reference
  std::int64_t referenceEnd_ = 0;         // source offset just after the open reference
};

// A destination that also feeds the job copy.
class PrinterStream {
 public:
  PrinterStream(OutFile* destination, OutFile* jobCopy)
      : destination_(destination), jobCopy_(jobCopy) {}

  void Write(const void* data, std::size_t size) {
    if (jobCopy_ != nullptr && jobCopy_->IsOpen()) jobCopy_->Write(data, size);
    destination_->Write(data, size);
  }
  void Write(std::string_view text) { Write(text.data(), text.size()); }
  // Borrowed bytes (see OutFile::WriteBorrowed): unchanged until ReleaseBorrowed returns.
  void WriteBorrowed(const void* data, std::size_t size, std::int64_t sourceOffset = -1) {
    if (jobCopy_ != nullptr && jobCopy_->IsOpen()) jobCopy_->WriteBorrowed(data, size);
    destination_->WriteBorrowed(data, size, sourceOffset);
  }
  // Writes out everything queued, so that borrowed bytes may change afterwards.
  void ReleaseBorrowed() {
    if (jobCopy_ != nullptr) jobCopy_->Flush();
    destination_->Flush();
  }

  OutFile& destination() { return *destination_; }

 private:
  OutFile* destination_;
  OutFile* jobCopy_;
};

// When `fd` is a pipe, asks for a pipe buffer of kPipeBufferSize bytes, so that the two ends of
// the pipe wake each other far less often.  Anything else, or a refusal (the user's pipe quota),
// leaves the descriptor as it is.
inline constexpr int kPipeBufferSize = 1 << 20;
void EnlargePipeBuffer(int fd);

}  // namespace tf
