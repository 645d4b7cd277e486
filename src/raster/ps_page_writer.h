// PostScript pages from raster lines.
//
// The printer application receives the raster formats IPP clients send (PWG raster, Apple raster,
// and JPEG or PNG that its framework turns into raster) one line at a time, while the job core
// takes PostScript.  This writer turns raster pages into a DSC-conforming PostScript document: one
// page per raster page, each drawn by one image operator whose data is compressed (Flate for
// LanguageLevel 3 printers, RunLength for LanguageLevel 2) and ASCII85-encoded, so that the stream
// stays 7-bit text in lines of at most 76 characters.
//
// The document has the structure the job core finds its insertion points in:
//
//   %!PS-Adobe-3.0 ... %%EndComments
//   %%BeginProlog ... %%EndProlog
//   %%BeginSetup ... %%EndSetup
//   %%Page: n n / %%BeginPageSetup / (page size) / %%EndPageSetup / (image) / showpage /
//   %%PageTrailer                                           (once per page)
//   %%Trailer / %%Pages: n / %%EOF
//
// "showpage" stands alone on its line, and no data line begins with '%' (a data line that would
// start with one starts with a blank instead, which ASCII85Decode skips).
//
// Memory is constant: the compressor's state and two fixed buffers, set up once per writer.  A
// line is compressed and encoded as it arrives and the text goes to the sink whenever the output
// buffer fills, so a page is never held whole.
#pragma once

#include <zlib.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tf {

// Where the writer's text goes.  Write returns false when the bytes could not all be written; the
// writer then stops with an error.
class PsSink {
 public:
  virtual ~PsSink() = default;
  virtual bool Write(const char* data, std::size_t size) = 0;
};

// A sink that writes to a file descriptor (all bytes, retrying after signals).
class FdSink final : public PsSink {
 public:
  explicit FdSink(int fd) : fd_(fd) {}
  bool Write(const char* data, std::size_t size) override;
  int error() const { return error_; }  // errno of the failed write, 0 before

 private:
  int fd_;
  int error_ = 0;
};

// The pixels of a raster line, 8 bits per component.
enum class RasterColor {
  Gray,   // one byte per pixel, 0 black to 255 white (PWG sgray_8)
  Black,  // one byte per pixel, 0 white to 255 black (PWG black_8)
  Rgb,    // three bytes per pixel, red green blue (PWG srgb_8, rgb_8)
};

enum class ImageCompression {
  Flate,      // zlib, /FlateDecode: LanguageLevel 3
  RunLength,  // /RunLengthDecode: LanguageLevel 2
};

struct RasterPageHeader {
  unsigned width = 0;        // pixels per line, 1 to kMaxRasterPixels
  unsigned height = 0;       // lines, 1 to kMaxRasterPixels
  unsigned xResolution = 0;  // pixels per inch across, 1 to kMaxRasterResolution
  unsigned yResolution = 0;  // pixels per inch down, 1 to kMaxRasterResolution
  RasterColor color = RasterColor::Gray;
};

inline constexpr unsigned kMaxRasterPixels = 1u << 20;
inline constexpr unsigned kMaxRasterResolution = 10000;

// Bytes of one line of `header`'s pixels.
std::size_t RasterBytesPerLine(const RasterPageHeader& header);

// Writes one document.  Call BeginDocument once, then for each page BeginPage, WriteLine for its
// lines from the top, EndPage, and last EndDocument.  Every call returns false after an error
// (error() says which, in a sentence for the job's state message); the sink's text is then
// incomplete and the document must be abandoned.
class PsPageWriter {
 public:
  // zlib's level for Flate: 1 is the fastest, 9 the smallest.
  static constexpr int kDefaultFlateLevel = 1;
  // The longest data line in characters, without its line feed.
  static constexpr std::size_t kDataLineLength = 76;
  // The largest single write to the sink.
  static constexpr std::size_t kOutputBufferSize = 64 * 1024;

  explicit PsPageWriter(PsSink& sink, ImageCompression compression = ImageCompression::Flate,
                        int flateLevel = kDefaultFlateLevel);
  ~PsPageWriter();
  PsPageWriter(const PsPageWriter&) = delete;
  PsPageWriter& operator=(const PsPageWriter&) = delete;

  // The header comments, prolog and setup.  `title` goes into %%Title: with every byte that is not
  // printable ASCII (and every parenthesis and backslash) replaced by '?', cut at 128 bytes.
  bool BeginDocument(std::string_view title = {});
  // Starts a page of `header`'s size and colour.
  bool BeginPage(const RasterPageHeader& header);
  // The next line of the page: RasterBytesPerLine(header) bytes.
  bool WriteLine(std::span<const std::uint8_t> pixels);
  // Ends the page; lines not written are white.
  bool EndPage();
  // The trailer with the page count.  Flushes everything to the sink.
  bool EndDocument();

  const std::string& error() const { return error_; }
  unsigned pages() const { return pages_; }

 private:
  enum class State { Initial, Document, Page, Ended, Failed };

  bool Fail(std::string message);
  bool Emit(std::string_view text);
  bool Flush();
  bool Compress(const std::uint8_t* data, std::size_t size);
  bool FinishCompression();
  bool EncodeBytes(const std::uint8_t* data, std::size_t size);
  bool EncodeGroup(const std::uint8_t group[4], std::size_t count);
  bool FinishEncoding();
  bool PutDataChar(char c);
  bool RunLengthByte(std::uint8_t byte);
  bool RunLengthFlushLiteral();
  bool RunLengthFlushRun();
  bool WriteWhiteLines();

  PsSink& sink_;
  const ImageCompression compression_;
  State state_ = State::Initial;
  std::string error_;
  unsigned pages_ = 0;
  double maxWidthPoints_ = 0;
  double maxHeightPoints_ = 0;

  RasterPageHeader page_;
  std::size_t bytesPerLine_ = 0;
  unsigned linesWritten_ = 0;

  z_stream zstream_{};
  bool zstreamReady_ = false;
  std::array<std::uint8_t, 16 * 1024> compressed_{};

  // RunLength state: pending literal bytes, or a run of one byte.
  std::array<std::uint8_t, 128> literal_{};
  std::size_t literalLength_ = 0;
  std::uint8_t runByte_ = 0;
  std::size_t runLength_ = 0;
  std::array<std::uint8_t, 130> runLengthOut_{};

  // ASCII85 state: the bytes of the group being filled and the column of the data line.
  std::array<std::uint8_t, 4> group_{};
  std::size_t groupLength_ = 0;
  std::size_t column_ = 0;

  std::array<char, kOutputBufferSize> output_{};
  std::size_t outputLength_ = 0;
};

}  // namespace tf
