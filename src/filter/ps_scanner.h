// The line scanner of the PostScript stream.
//
// The stream is copied through in large chunks, unchanged; only the lines a handler asks for are
// handed to it, so that it can insert PostScript before or after them.  A line ends at a line feed
// or a carriage return (a CR LF pair is a line ended by CR followed by an empty line ended by LF).
//
// A long line is passed on in pieces of kPieceSize bytes: only its last piece, the bytes after its
// last multiple of kPieceSize, is looked at.  So a line is matched by the bytes of that piece, and
// everything before it has been written when the handler sees it.
//
// Memory stays constant whatever the job size: one read chunk and one piece buffer.  The bytes
// passed through are handed to the output as borrowed spans of the chunk (not copied), and the
// output is released before the chunk is read again or freed.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/output_channel.h"

namespace tf {

inline constexpr std::size_t kPieceSize = 8065;

// A line handed to a handler: its last piece (without the terminator) and its terminator.
struct PsLine {
  const char* piece;
  std::size_t length;
  char terminator;  // '\n' or '\r'
  // When the piece and its terminator are length + 1 bytes of the read chunk: the input offset of
  // the piece, so that a handler can pass them on by reference (WritePsLine).  -1 otherwise.
  std::int64_t sourceOffset = -1;
};

// Writes the line's piece and terminator to `out`: by reference when they lie in the read chunk.
inline void WritePsLine(const PsLine& line, PrinterStream& out) {
  if (line.sourceOffset >= 0) {
    out.WriteBorrowed(line.piece, line.length + 1, line.sourceOffset);
  } else {
    out.Write(line.piece, line.length);
    out.Write(&line.terminator, 1);
  }
}

// Where the scanner reads from: a file descriptor, or anything with the same Read.
struct FdSource {
  int fd;
  ssize_t Read(char* buffer, std::size_t size) { return ::read(fd, buffer, size); }
};

enum class ScanResult {
  Completed,  // the input was read to its end
  Stopped,    // the handler stopped the stream (a cancelled job)
  ReadError,  // reading failed; errno is in ScanOutcome::error
};

struct ScanOutcome {
  ScanResult result = ScanResult::Completed;
  int error = 0;               // errno of a read error
  bool empty = true;           // the input held no byte
  unsigned char lastByte = 0;  // the input's final byte
};

// First line feed or carriage return in [p, end), or nullptr.
inline const char* FindLineEnd(const char* p, const char* end) {
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  while (end - p >= 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int mask = _mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi8(block, lf), _mm_cmpeq_epi8(block, cr)));
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
    p += 16;
  }
#endif
  for (; p < end; ++p) {
    if (*p == '\n' || *p == '\r') return p;
  }
  return nullptr;
}

// The length of the last piece of a line of `length` bytes (lines are cut every kPieceSize bytes);
// almost every line is shorter than a piece, which needs no division.
inline std::size_t PieceLength(std::uint64_t length) {
  return static_cast<std::size_t>(length < kPieceSize ? length : length % kPieceSize);
}

// Sets bit i % 64 of masks[i / 64] when p[i] is a line feed or a carriage return, for every
// i < n, and clears the other bits; `masks` holds (n + 63) / 64 words.  Uses AVX2 where the
// processor has it (the whole chunk at once, so the choice is made once per chunk).
void LineEndMasks(const char* p, std::size_t n, std::uint64_t* masks);
// The same with SSE2 only (what LineEndMasks does on older processors).
void LineEndMasksPortable(const char* p, std::size_t n, std::uint64_t* masks);

// The line ends of a chunk, in order.  Their masks are made a segment at a time (LineEndMasks
// on kSegment bytes), so that the lines are then looked at while the segment is still in the
// nearest cache; each call takes the next bit, so that the many short lines of a job cost a few
// instructions each.
class LineEnds {
 public:
  static constexpr std::size_t kSegment = 16 * 1024;
  static constexpr std::size_t kSegmentWords = kSegment / 64;

  // `masks` holds kSegmentWords words.
  LineEnds(const char* begin, std::size_t n, std::uint64_t* masks)
      : begin_(begin), n_(n), masks_(masks) {
    MakeSegment();
  }

  // The next line end after `*lineStart` whose line `passOver(lineStart, lineEnd)` does not pass
  // over; `*lineStart` moves past the lines passed over.  nullptr when there is none.  Keeps its
  // state in registers while it skips, which is where the time of a long job goes.
  template <class PassOver>
  const char* NextNotPassedOver(const char** lineStart, PassOver passOver) {
    const char* start = *lineStart;
    std::uint64_t mask = mask_;
    std::size_t index = index_;
    const char* base = begin_ + segment_;
    for (;;) {
      while (mask == 0) {
        if (++index >= words_) {
          if (segment_ + kSegment >= n_) {
            mask_ = 0;
            index_ = words_;
            *lineStart = start;
            return nullptr;
          }
          segment_ += kSegment;
          MakeSegment();
          mask = mask_;
          index = 0;
          base = begin_ + segment_;
          continue;
        }
        mask = masks_[index];
      }
      const char* at = base + index * 64 + static_cast<std::size_t>(__builtin_ctzll(mask));
      mask &= mask - 1;
      if (!passOver(start, at)) {
        mask_ = mask;
        index_ = index;
        *lineStart = start;
        return at;
      }
      start = at + 1;
    }
  }

  // The next line end, or nullptr when there is none.
  const char* Next() {
    while (mask_ == 0) {
      if (index_ + 1 >= words_) {
        if (segment_ + kSegment >= n_) return nullptr;
        segment_ += kSegment;
        MakeSegment();
      } else {
        mask_ = masks_[++index_];
      }
    }
    const char* at = begin_ + segment_ + index_ * 64 +
                     static_cast<std::size_t>(__builtin_ctzll(mask_));
    mask_ &= mask_ - 1;
    return at;
  }

 private:
  void MakeSegment() {
    const std::size_t size = n_ - segment_ < kSegment ? n_ - segment_ : kSegment;
    LineEndMasks(begin_ + segment_, size, masks_);
    words_ = (size + 63) / 64;
    index_ = 0;
    mask_ = words_ > 0 ? masks_[0] : 0;
  }

  const char* const begin_;
  const std::size_t n_;
  std::uint64_t* const masks_;
  std::size_t segment_ = 0;  // offset of the current segment
  std::size_t words_ = 0;    // its mask words
  std::size_t index_ = 0;
  std::uint64_t mask_ = 0;
};

// Reads `source` to its end and copies it to `out`.  The handler supplies:
//   static constexpr std::size_t kMaxPiece;  longest piece it may want (at most kPieceSize - 1)
//   static constexpr bool kLastLineUnmatched; true: a line whose terminator is the input's final
//                                            byte is written without being looked at
//   bool Wants(const char* piece, std::size_t length);  cheap test, called for pieces of 1 to
//                                                       kMaxPiece bytes
//   bool Handle(const PsLine& line, PrinterStream& out);  writes the piece and its terminator
//                                                         itself, with any insertion; returns
//                                                         false to stop the stream
// and may supply
//   static constexpr bool MayStartWith(char first);  false when no line it wants begins with
//                                                    `first` (Wants is then not asked)
// Everything before a wanted line has been written to `out` when Handle is called.  At the end
// an unfinished last line is written as it stands.
// `sourceBase` is the input offset of the source's first byte, or -1 when the bytes have no
// offset to refer to: spans are then borrowed without one.  `chunkSize` is the size of one read
// (tests use small ones to put chunk ends everywhere).
template <class Handler, class Source>
ScanOutcome ScanPostScriptFrom(Source& source, std::int64_t sourceBase, PrinterStream& out,
                               Handler& handler, std::size_t chunkSize = 256 * 1024) {
  static_assert(Handler::kMaxPiece < kPieceSize);
  std::unique_ptr<char[]> chunk(new char[chunkSize]);
  std::unique_ptr<std::uint64_t[]> masks(new std::uint64_t[LineEnds::kSegmentWords]);
  // The unwritten bytes of the current line's last piece, carried from earlier chunks.
  std::unique_ptr<char[]> spill(new char[kPieceSize + 1]);
  // Borrowed spans of the chunk go out before the chunk changes or goes away.
  struct ReleaseOnExit {
    PrinterStream& out;
    ~ReleaseOnExit() { out.ReleaseBorrowed(); }
  } release{out};
  std::size_t spillLength = 0;
  std::uint64_t lineLength = 0;  // bytes of the current line in earlier chunks
  bool deferred = false;         // a complete line waits in spill (kLastLineUnmatched)
  char deferredTerminator = 0;
  std::int64_t chunkOffset = sourceBase;  // input offset of the chunk's first byte, or -1
  std::int64_t nextOffset = sourceBase;
  ScanOutcome outcome;

  for (;;) {
    out.ReleaseBorrowed();
    ssize_t n = source.Read(chunk.get(), chunkSize);
    if (n < 0) {
      if (errno == EINTR) continue;
      outcome.result = ScanResult::ReadError;
      outcome.error = errno;
      return outcome;
    }
    if (n == 0) break;
    chunkOffset = nextOffset;
    if (nextOffset >= 0) nextOffset += n;
    outcome.empty = false;
    outcome.lastByte = static_cast<unsigned char>(chunk[static_cast<std::size_t>(n) - 1]);

    const char* const begin = chunk.get();
    const char* const end = begin + n;
    // The input offset of `p` in this chunk, or -1.
    auto offsetOf = [begin, chunkOffset](const char* p) -> std::int64_t {
      return chunkOffset < 0 ? -1 : chunkOffset + (p - begin);
    };
    if (deferred) {
      // More input follows the held line: it is an ordinary line after all.
      deferred = false;
      const PsLine line{spill.get(), spillLength, deferredTerminator};
      spillLength = 0;
      if (line.length >= 1 && handler.Wants(line.piece, line.length)) {
        if (!handler.Handle(line, out)) {
          outcome.result = ScanResult::Stopped;
          return outcome;
        }
      } else {
        out.Write(line.piece, line.length);
        out.Write(&line.terminator, 1);
      }
    }

    const char* pending = begin;    // first byte of this chunk not yet written
    const char* lineStart = begin;  // first byte of the current line in this chunk
    LineEnds lineEnds(begin, static_cast<std::size_t>(n), masks.get());
    // Most lines begin in this chunk and are too long (or empty) to be wanted, or begin with a
    // byte no wanted line has, and nothing of them waits in spill: they stay in the pending
    // bytes.  The line that the chunk's last byte ends takes the full path, which may hold it back.
    auto passOver = [=](const char* start, const char* lineEnd) {
      const std::size_t length = static_cast<std::size_t>(lineEnd - start);
      if (length >= kPieceSize) return false;
      if constexpr (Handler::kLastLineUnmatched) {
        if (lineEnd + 1 == end) return false;
      }
      if (length - 1 >= Handler::kMaxPiece) return true;
      if constexpr (requires { Handler::MayStartWith('%'); }) {
        return !Handler::MayStartWith(*start);
      }
      return false;
    };
    for (;;) {
      // A handler that looks at every line (the longest piece, no first bytes) skips none.
      constexpr bool kSkips = Handler::kMaxPiece < kPieceSize - 1 ||
                              requires { Handler::MayStartWith('%'); };
      const char* lineEnd = kSkips && lineLength == 0
                                ? lineEnds.NextNotPassedOver(&lineStart, passOver)
                                : lineEnds.Next();
      if (lineEnd == nullptr) break;
      const std::size_t inChunk = static_cast<std::size_t>(lineEnd - lineStart);
      const std::size_t piece = PieceLength(lineLength + inChunk);
      const bool spanning = piece > inChunk;  // the piece began in an earlier chunk (in spill)

      if constexpr (Handler::kLastLineUnmatched) {
        if (lineEnd + 1 == end) {
          // The terminator is the last byte read so far: hold the line until it is known
          // whether the input ends here.
          if (spanning) {
            std::memcpy(spill.get() + spillLength, lineStart, inChunk);
            spillLength += inChunk;
          } else {
            if (spillLength > 0) out.Write(spill.get(), spillLength);
            out.WriteBorrowed(pending, static_cast<std::size_t>(lineEnd - piece - pending),
                              offsetOf(pending));
            std::memcpy(spill.get(), lineEnd - piece, piece);
            spillLength = piece;
          }
          deferred = true;
          deferredTerminator = *lineEnd;
          pending = end;
          lineStart = end;
          lineLength = 0;
          break;
        }
      }

      const char* pieceText = nullptr;
      if (piece >= 1 && piece <= Handler::kMaxPiece) {
        if (spanning) {
          std::memcpy(spill.get() + spillLength, lineStart, inChunk);
          pieceText = spill.get();
        } else {
          pieceText = lineEnd - piece;
        }
      }
      if (pieceText != nullptr && handler.Wants(pieceText, piece)) {
        if (!spanning) {
          if (spillLength > 0) out.Write(spill.get(), spillLength);
          out.WriteBorrowed(pending, static_cast<std::size_t>(pieceText - pending),
                            offsetOf(pending));
        }
        spillLength = 0;
        const std::int64_t lineOffset = spanning ? -1 : offsetOf(pieceText);
        if (!handler.Handle(PsLine{pieceText, piece, *lineEnd, lineOffset}, out)) {
          outcome.result = ScanResult::Stopped;
          return outcome;
        }
        pending = lineEnd + 1;
      } else if (spillLength > 0) {
        out.Write(spill.get(), spillLength);  // precedes this chunk's pending bytes
        spillLength = 0;
      }
      lineLength = 0;
      lineStart = lineEnd + 1;
    }

    // The chunk ends inside a line (or exactly at a line's end).
    const std::size_t inChunk = static_cast<std::size_t>(end - lineStart);
    if (inChunk == 0) {
      out.WriteBorrowed(pending, static_cast<std::size_t>(end - pending),
                        offsetOf(pending));
      continue;
    }
    const std::uint64_t total = lineLength + inChunk;
    const std::size_t piece = PieceLength(total);
    if (piece >= 1 && piece <= Handler::kMaxPiece) {
      if (piece > inChunk) {
        // The piece began in an earlier chunk: spill holds its start, and nothing of this chunk
        // precedes the line.
        std::memcpy(spill.get() + spillLength, lineStart, inChunk);
        spillLength += inChunk;
      } else {
        if (spillLength > 0) out.Write(spill.get(), spillLength);
        out.WriteBorrowed(pending, static_cast<std::size_t>(end - piece - pending),
                          offsetOf(pending));
        std::memcpy(spill.get(), end - piece, piece);
        spillLength = piece;
      }
    } else {
      if (spillLength > 0) out.Write(spill.get(), spillLength);
      out.WriteBorrowed(pending, static_cast<std::size_t>(end - pending),
                        offsetOf(pending));
      spillLength = 0;
    }
    lineLength = total;
  }

  // End of input: an unfinished line, or a held line, goes out as it stands.
  if (spillLength > 0) out.Write(spill.get(), spillLength);
  if (deferred) out.Write(&deferredTerminator, 1);
  return outcome;
}

// Reads `fd` to its end (see ScanPostScriptFrom); spans carry their offsets in the file when it
// can tell them, and the spans of a regular file go on to a pipe by splice (OutFile::
// SpliceFromSource) rather than through this process.
template <class Handler>
ScanOutcome ScanPostScript(int fd, PrinterStream& out, Handler& handler,
                           std::size_t chunkSize = 256 * 1024) {
  FdSource source{fd};
  const off_t base = ::lseek(fd, 0, SEEK_CUR);
  struct SpliceScope {
    OutFile& file;
    ~SpliceScope() { file.SpliceFromSource(-1); }
  } splice{out.destination()};
  if (base >= 0) out.destination().SpliceFromSource(fd);
  return ScanPostScriptFrom(source, base < 0 ? -1 : static_cast<std::int64_t>(base), out, handler,
                            chunkSize);
}

}  // namespace tf
