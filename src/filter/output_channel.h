// The output channel: every byte for the printer goes through here.
//
// A PrinterStream writes to its destination (standard output, or the temporary file of the
// decomposition mode) and, first, the same bytes to the job copy when one is open, so the job copy
// records the data stream without any caller knowing of it.  Writes are buffered per file; a write
// error is remembered (the first errno) and later writes to that file are dropped, so a job whose
// printer went away runs to its end without blocking and reports the failure at exit.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

namespace tf {

// A buffered writer on one file descriptor (-1: closed, writes are dropped).
class OutFile {
 public:
  static constexpr std::size_t kBufferSize = 64 * 1024;

  OutFile() = default;
  explicit OutFile(int fd) { Attach(fd); }
  OutFile(const OutFile&) = delete;
  OutFile& operator=(const OutFile&) = delete;
  ~OutFile();

  void Attach(int fd);
  bool IsOpen() const { return fd_ >= 0; }
  int fd() const { return fd_; }

  void Write(const void* data, std::size_t size);
  void Flush();
  // Flushes and closes; returns false when any write failed.
  bool Close();

  // First errno a write met on this file, 0 when none.
  int error() const { return error_; }

 private:
  void WriteThrough(const char* data, std::size_t size);

  int fd_ = -1;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  int error_ = 0;
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

// The four write operations of the filter.
std::size_t QMfwrite(const void* data, std::size_t size, std::size_t count, PrinterStream& stream);
// Writes `text` without adding a line end.
int QMfputs(const char* text, PrinterStream& stream);
int QMfputc(int c, PrinterStream& stream);
// Writes `text` as a format without arguments: "%%" comes out as one "%", every other byte as it
// stands.  Text that carries job data goes through QMfputs instead.
int QMfprintf(PrinterStream& stream, const char* text);

}  // namespace tf
