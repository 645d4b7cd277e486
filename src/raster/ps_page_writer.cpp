// PostScript pages from raster lines.
#include "raster/ps_page_writer.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace tf {
namespace {

// The prolog procedure that draws one image: it takes the image dictionary, reads the image's data
// from the rest of the file through the ASCII85 and decompression filters, and then reads the
// ASCII85 data to its end ("~>"), so that the file goes on after the data whatever the
// decompression filter left unread.
constexpr std::string_view kPrologFlate =
    "/TFimage { /TFdata currentfile /ASCII85Decode filter def\n"
    " dup /DataSource TFdata /FlateDecode filter put\n image TFdata flushfile } bind def\n";
constexpr std::string_view kPrologRunLength =
    "/TFimage { /TFdata currentfile /ASCII85Decode filter def\n"
    " dup /DataSource TFdata /RunLengthDecode filter put\n image TFdata flushfile } bind def\n";

constexpr std::size_t kMaxTitle = 128;

// The RunLength end-of-data byte.
constexpr std::uint8_t kRunLengthEnd = 128;

unsigned Channels(RasterColor color) { return color == RasterColor::Rgb ? 3 : 1; }

// A length in points with at most four decimals and no trailing zeros ("595.2756", "72").
std::string_view FormatPoints(double points, char (&buffer)[32]) {
  int length = std::snprintf(buffer, sizeof buffer, "%.4f", points);
  while (length > 0 && buffer[length - 1] == '0') --length;
  if (length > 0 && buffer[length - 1] == '.') --length;
  return {buffer, static_cast<std::size_t>(length)};
}

}  // namespace

bool FdSink::Write(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd_, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      error_ = errno;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

std::size_t RasterBytesPerLine(const RasterPageHeader& header) {
  return static_cast<std::size_t>(header.width) * Channels(header.color);
}

PsPageWriter::PsPageWriter(PsSink& sink, ImageCompression compression, int flateLevel)
    : sink_(sink), compression_(compression) {
  if (compression_ == ImageCompression::Flate) {
    zstreamReady_ = deflateInit(&zstream_, std::clamp(flateLevel, 1, 9)) == Z_OK;
  }
}

PsPageWriter::~PsPageWriter() {
  if (zstreamReady_) deflateEnd(&zstream_);
}

bool PsPageWriter::Fail(std::string message) {
  if (state_ != State::Failed) error_ = std::move(message);
  state_ = State::Failed;
  return false;
}

bool PsPageWriter::Flush() {
  if (outputLength_ == 0) return true;
  const bool written = sink_.Write(output_.data(), outputLength_);
  outputLength_ = 0;
  return written || Fail("The PostScript of the raster pages could not be written.");
}

bool PsPageWriter::Emit(std::string_view text) {
  while (!text.empty()) {
    if (outputLength_ == output_.size() && !Flush()) return false;
    const std::size_t part = std::min(text.size(), output_.size() - outputLength_);
    std::memcpy(output_.data() + outputLength_, text.data(), part);
    outputLength_ += part;
    text.remove_prefix(part);
  }
  return true;
}

bool PsPageWriter::BeginDocument(std::string_view title) {
  if (state_ != State::Initial) return Fail("The raster document was started twice.");
  if (compression_ == ImageCompression::Flate && !zstreamReady_) {
    return Fail("The compressor for the raster pages could not be set up.");
  }
  char safeTitle[kMaxTitle];
  std::size_t titleLength = 0;
  for (char c : title.substr(0, kMaxTitle)) {
    const bool plain = c >= ' ' && c <= '~' && c != '(' && c != ')' && c != '\\';
    safeTitle[titleLength++] = plain ? c : '?';
  }
  const bool flate = compression_ == ImageCompression::Flate;
  state_ = State::Document;
  return Emit("%!PS-Adobe-3.0\n%%Creator: ticketfilter raster pages\n") &&
         (titleLength == 0 || (Emit("%%Title: ") &&
                               Emit(std::string_view(safeTitle, titleLength)) && Emit("\n"))) &&
         Emit(flate ? "%%LanguageLevel: 3\n" : "%%LanguageLevel: 2\n") &&
         Emit("%%BoundingBox: (atend)\n%%Pages: (atend)\n%%EndComments\n%%BeginProlog\n") &&
         Emit(flate ? kPrologFlate : kPrologRunLength) &&
         Emit("%%EndProlog\n%%BeginSetup\n%%EndSetup\n");
}

bool PsPageWriter::BeginPage(const RasterPageHeader& header) {
  if (state_ == State::Failed) return false;
  if (state_ != State::Document) return Fail("A raster page was started outside the document.");
  if (header.width == 0 || header.height == 0 || header.width > kMaxRasterPixels ||
      header.height > kMaxRasterPixels) {
    return Fail("The raster page has a size this printer cannot take.");
  }
  if (header.xResolution == 0 || header.yResolution == 0 ||
      header.xResolution > kMaxRasterResolution || header.yResolution > kMaxRasterResolution) {
    return Fail("The raster page has a resolution this printer cannot take.");
  }
  page_ = header;
  bytesPerLine_ = RasterBytesPerLine(header);
  linesWritten_ = 0;
  ++pages_;
  const double widthPoints = header.width * 72.0 / header.xResolution;
  const double heightPoints = header.height * 72.0 / header.yResolution;
  maxWidthPoints_ = std::max(maxWidthPoints_, widthPoints);
  maxHeightPoints_ = std::max(maxHeightPoints_, heightPoints);

  char widthText[32];
  char heightText[32];
  const std::string_view width = FormatPoints(widthPoints, widthText);
  const std::string_view height = FormatPoints(heightPoints, heightText);
  char text[512];
  const char* colorSpace = header.color == RasterColor::Rgb ? "/DeviceRGB" : "/DeviceGray";
  const char* decode = header.color == RasterColor::Rgb     ? "[0 1 0 1 0 1]"
                       : header.color == RasterColor::Black ? "[1 0]"
                                                            : "[0 1]";
  const int length = std::snprintf(
      text, sizeof text,
      "%%%%Page: %u %u\n%%%%PageBoundingBox: 0 0 %.0f %.0f\n%%%%BeginPageSetup\n"
      "<< /PageSize [%.*s %.*s] >> setpagedevice\n%%%%EndPageSetup\n"
      "gsave\n%.*s %.*s scale\n%s setcolorspace\n"
      "<< /ImageType 1 /Width %u /Height %u /BitsPerComponent 8\n/Decode %s\n"
      "/ImageMatrix [%u 0 0 -%u 0 %u] >> TFimage\n",
      pages_, pages_, std::ceil(widthPoints), std::ceil(heightPoints),
      static_cast<int>(width.size()), width.data(), static_cast<int>(height.size()),
      height.data(), static_cast<int>(width.size()), width.data(),
      static_cast<int>(height.size()), height.data(), colorSpace, header.width, header.height,
      decode, header.width, header.height, header.height);
  if (length < 0 || static_cast<std::size_t>(length) >= sizeof text) {
    return Fail("The raster page header could not be written.");
  }
  state_ = State::Page;
  column_ = 0;
  groupLength_ = 0;
  literalLength_ = 0;
  runLength_ = 0;
  if (compression_ == ImageCompression::Flate && deflateReset(&zstream_) != Z_OK) {
    return Fail("The compressor for the raster pages could not be reset.");
  }
  return Emit(std::string_view(text, static_cast<std::size_t>(length)));
}

bool PsPageWriter::WriteLine(std::span<const std::uint8_t> pixels) {
  if (state_ == State::Failed) return false;
  if (state_ != State::Page) return Fail("A raster line came outside a page.");
  if (pixels.size() != bytesPerLine_) return Fail("A raster line has the wrong length.");
  if (linesWritten_ == page_.height) return Fail("The raster page has more lines than it said.");
  ++linesWritten_;
  return Compress(pixels.data(), pixels.size());
}

bool PsPageWriter::WriteWhiteLines() {
  // White is 255 in gray and RGB, 0 in black.
  std::array<std::uint8_t, 4096> white;
  white.fill(page_.color == RasterColor::Black ? 0 : 255);
  for (; linesWritten_ < page_.height; ++linesWritten_) {
    for (std::size_t left = bytesPerLine_; left > 0;) {
      const std::size_t part = std::min(left, white.size());
      if (!Compress(white.data(), part)) return false;
      left -= part;
    }
  }
  return true;
}

bool PsPageWriter::EndPage() {
  if (state_ == State::Failed) return false;
  if (state_ != State::Page) return Fail("A raster page was ended that was not started.");
  if (!WriteWhiteLines() || !FinishCompression() || !FinishEncoding()) return false;
  state_ = State::Document;
  return Emit("grestore\nshowpage\n%%PageTrailer\n");
}

bool PsPageWriter::EndDocument() {
  if (state_ == State::Failed) return false;
  if (state_ != State::Document) return Fail("The raster document was ended inside a page.");
  char text[160];
  const int length = std::snprintf(text, sizeof text,
                                   "%%%%Trailer\n%%%%BoundingBox: 0 0 %.0f %.0f\n"
                                   "%%%%Pages: %u\n%%%%EOF\n",
                                   std::ceil(maxWidthPoints_), std::ceil(maxHeightPoints_), pages_);
  state_ = State::Ended;
  return Emit(std::string_view(text, static_cast<std::size_t>(length))) && Flush();
}

bool PsPageWriter::Compress(const std::uint8_t* data, std::size_t size) {
  if (compression_ == ImageCompression::RunLength) {
    for (std::size_t i = 0; i < size; ++i) {
      if (!RunLengthByte(data[i])) return false;
    }
    return true;
  }
  zstream_.next_in = const_cast<Bytef*>(data);
  zstream_.avail_in = static_cast<uInt>(size);
  while (zstream_.avail_in > 0) {
    zstream_.next_out = compressed_.data();
    zstream_.avail_out = static_cast<uInt>(compressed_.size());
    if (deflate(&zstream_, Z_NO_FLUSH) == Z_STREAM_ERROR) {
      return Fail("The raster page could not be compressed.");
    }
    if (!EncodeBytes(compressed_.data(), compressed_.size() - zstream_.avail_out)) return false;
  }
  return true;
}

bool PsPageWriter::FinishCompression() {
  if (compression_ == ImageCompression::RunLength) {
    if (!RunLengthFlushRun() || !RunLengthFlushLiteral()) return false;
    return EncodeBytes(&kRunLengthEnd, 1);
  }
  zstream_.next_in = nullptr;
  zstream_.avail_in = 0;
  for (;;) {
    zstream_.next_out = compressed_.data();
    zstream_.avail_out = static_cast<uInt>(compressed_.size());
    const int status = deflate(&zstream_, Z_FINISH);
    if (status == Z_STREAM_ERROR) return Fail("The raster page could not be compressed.");
    if (!EncodeBytes(compressed_.data(), compressed_.size() - zstream_.avail_out)) return false;
    if (status == Z_STREAM_END) return true;
  }
}

// RunLength: a run of 2 to 128 equal bytes is the byte 257 - length and the byte; 1 to 128
// literal bytes are length - 1 and the bytes.
bool PsPageWriter::RunLengthByte(std::uint8_t byte) {
  if (runLength_ > 0) {
    if (byte == runByte_ && runLength_ < 128) {
      ++runLength_;
      return true;
    }
    if (!RunLengthFlushRun()) return false;
  }
  if (literalLength_ > 0 && literal_[literalLength_ - 1] == byte) {
    --literalLength_;
    if (!RunLengthFlushLiteral()) return false;
    runByte_ = byte;
    runLength_ = 2;
    return true;
  }
  literal_[literalLength_++] = byte;
  return literalLength_ < literal_.size() || RunLengthFlushLiteral();
}

bool PsPageWriter::RunLengthFlushLiteral() {
  if (literalLength_ == 0) return true;
  runLengthOut_[0] = static_cast<std::uint8_t>(literalLength_ - 1);
  std::memcpy(runLengthOut_.data() + 1, literal_.data(), literalLength_);
  const std::size_t size = literalLength_ + 1;
  literalLength_ = 0;
  return EncodeBytes(runLengthOut_.data(), size);
}

bool PsPageWriter::RunLengthFlushRun() {
  if (runLength_ == 0) return true;
  runLengthOut_[0] = static_cast<std::uint8_t>(257 - runLength_);
  runLengthOut_[1] = runByte_;
  runLength_ = 0;
  return EncodeBytes(runLengthOut_.data(), 2);
}

bool PsPageWriter::PutDataChar(char c) {
  if (column_ == kDataLineLength) {
    if (!Emit("\n")) return false;
    column_ = 0;
  }
  // A line beginning with '%' would read as a comment to anything that scans the document's
  // lines; ASCII85Decode skips the blank put before it.
  if (column_ == 0 && c == '%') {
    if (!Emit(" ")) return false;
    ++column_;
  }
  if (outputLength_ == output_.size() && !Flush()) return false;
  output_[outputLength_++] = c;
  ++column_;
  return true;
}

bool PsPageWriter::EncodeGroup(const std::uint8_t group[4], std::size_t count) {
  std::uint32_t value = (std::uint32_t{group[0]} << 24) | (std::uint32_t{group[1]} << 16) |
                        (std::uint32_t{group[2]} << 8) | std::uint32_t{group[3]};
  if (count == 4 && value == 0) return PutDataChar('z');
  char digits[5];
  for (int i = 4; i >= 0; --i) {
    digits[i] = static_cast<char>('!' + value % 85);
    value /= 85;
  }
  for (std::size_t i = 0; i < count + 1; ++i) {
    if (!PutDataChar(digits[i])) return false;
  }
  return true;
}

bool PsPageWriter::EncodeBytes(const std::uint8_t* data, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    group_[groupLength_++] = data[i];
    if (groupLength_ == 4) {
      groupLength_ = 0;
      if (!EncodeGroup(group_.data(), 4)) return false;
    }
  }
  return true;
}

bool PsPageWriter::FinishEncoding() {
  if (groupLength_ > 0) {
    std::fill(group_.begin() + static_cast<std::ptrdiff_t>(groupLength_), group_.end(), 0);
    const std::size_t count = groupLength_;
    groupLength_ = 0;
    if (!EncodeGroup(group_.data(), count)) return false;
  }
  // The end of data on its own line, so that no data line can read as a line of the document.
  column_ = 0;
  return Emit("\n~>\n");
}

}  // namespace tf
