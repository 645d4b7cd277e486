// The line scanner against a byte-by-byte model of the stream: the same output and the same
// insertions for every chunk size, line end, long line and unfinished last line.
#include "filter/ps_scanner.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "filter/ps_stream.h"

namespace tf {
namespace {

constexpr const char* kKeywords[] = {"ep", "endp", "showpage", "bp", "%%EndSetup",
                                     "userdict/setpagedevice{pop}bind put", "%%EndPageSetup",
                                     "%%BeginProlog", "%%EndProlog"};

// Marks each handled line with "<" line ">" before it and "</>" after it, so that the output
// shows which lines were handed over and where the insertions go.
struct MarkingHandler {
  static constexpr std::size_t kMaxPiece = PsInsertionMatcher::kMaxLine;
  static constexpr bool kLastLineUnmatched = false;
  bool Wants(const char* piece, std::size_t length) {
    return PsInsertionMatcher::IsInsertionLine(piece, length);
  }
  bool Handle(const PsLine& line, PrinterStream& out) {
    out.Write("<", 1);
    out.Write(line.piece, line.length);
    out.Write(">", 1);
    out.Write(line.piece, line.length);
    out.Write(&line.terminator, 1);
    out.Write("</>", 3);
    return true;
  }
};

// The same, telling the scanner which first bytes its lines may have.
struct FirstByteMarkingHandler : MarkingHandler {
  static constexpr bool MayStartWith(char first) {
    return first == '%' || first == 'b' || first == 'e' || first == 's' || first == 'u';
  }
};

// The stream read one byte at a time into an 8192-byte line buffer that is written out whenever
// it reaches 8065 bytes; only the buffer's content at a line end is matched.
std::string Model(const std::string& input) {
  std::string out, buffer;
  for (char c : input) {
    if (c == '\n' || c == '\r') {
      bool match = false;
      for (const char* k : kKeywords) match = match || buffer == k;
      if (match) out += "<" + buffer + ">";
      out += buffer;
      out += c;
      if (match) out += "</>";
      buffer.clear();
      continue;
    }
    buffer += c;
    if (buffer.size() > 8064) {
      out += buffer;
      buffer.clear();
    }
  }
  return out + buffer;
}

// A handler that looks at whole line buffers (pieces up to 8064 bytes) and never at the line that
// the input's final byte ends: it takes every piece that begins with "K".
struct LookAheadHandler {
  static constexpr std::size_t kMaxPiece = kPieceSize - 1;
  static constexpr bool kLastLineUnmatched = true;
  bool Wants(const char* piece, std::size_t) { return piece[0] == 'K'; }
  bool Handle(const PsLine& line, PrinterStream& out) {
    out.Write("<", 1);
    out.Write(line.piece, line.length);
    out.Write(&line.terminator, 1);
    out.Write(">", 1);
    return true;
  }
};

// The stream read with a one-byte look-ahead: a line is matched only when a further byte follows
// its terminator.
std::string LookAheadModel(const std::string& input) {
  std::string out, buffer;
  for (std::size_t i = 0; i < input.size(); ++i) {
    const char c = input[i];
    if (c == '\n' || c == '\r') {
      const bool match = !buffer.empty() && buffer[0] == 'K' && i + 1 < input.size();
      out += match ? "<" + buffer + c + ">" : buffer + c;
      buffer.clear();
      continue;
    }
    buffer += c;
    if (buffer.size() > 8064) {
      out += buffer;
      buffer.clear();
    }
  }
  return out + buffer;
}

template <class Handler = MarkingHandler>
std::string Scan(const std::string& input, std::size_t chunkSize) {
  int in = memfd_create("in", 0);
  EXPECT_EQ(write(in, input.data(), input.size()), static_cast<ssize_t>(input.size()));
  lseek(in, 0, SEEK_SET);
  int outFd = memfd_create("out", 0);
  std::string result;
  {
    OutFile file(dup(outFd));
    OutFile none;
    PrinterStream out(&file, &none);
    Handler handler;
    ScanOutcome outcome = ScanPostScript(in, out, handler, chunkSize);
    EXPECT_EQ(outcome.result, ScanResult::Completed);
    EXPECT_EQ(outcome.empty, input.empty());
    file.Flush();
  }
  char buffer[65536];
  off_t offset = 0;
  for (ssize_t n; (n = pread(outFd, buffer, sizeof(buffer), offset)) > 0; offset += n) {
    result.append(buffer, static_cast<std::size_t>(n));
  }
  close(in);
  close(outFd);
  return result;
}

void ExpectSameAsModel(const std::string& input) {
  const std::string expected = Model(input);
  for (std::size_t chunk : {1u, 2u, 3u, 5u, 16u, 17u, 63u, 64u, 65u, 130u, 8065u, 8066u, 262144u}) {
    ASSERT_EQ(Scan(input, chunk), expected) << "chunk size " << chunk;
    ASSERT_EQ(Scan<FirstByteMarkingHandler>(input, chunk), expected) << "chunk size " << chunk;
  }
}

void ExpectSameAsLookAheadModel(const std::string& input) {
  const std::string expected = LookAheadModel(input);
  for (std::size_t chunk : {1u, 2u, 3u, 7u, 63u, 64u, 65u, 130u, 8064u, 8065u, 8066u, 262144u}) {
    ASSERT_EQ(Scan<LookAheadHandler>(input, chunk), expected) << "chunk size " << chunk;
  }
}

TEST(PsScannerTest, KeywordsWithEveryLineEnd) {
  ExpectSameAsModel("%!PS\n%%BeginProlog\r\n%%EndProlog\rbp\nep\r\r\nendp\nshowpage\n");
  ExpectSameAsModel("ep");  // an unfinished last line is not matched
  ExpectSameAsModel("");
  ExpectSameAsModel("\n\n\r\r");
}

TEST(PsScannerTest, NearMissesAreNotMatched) {
  ExpectSameAsModel(" ep\nep \nEP\nepp\nbp bp\n%%EndSetupX\n%%EndSetu\n");
}

TEST(PsScannerTest, EmbeddedNulBytesPassThrough) {
  ExpectSameAsModel(std::string("a\0b\nep\n\0\nep\0\n", 13));
}

TEST(PsScannerTest, LongLinesArePiecesOf8065) {
  ExpectSameAsModel(std::string(20000, 'x') + "\nep\n");
  // A line whose last piece is a keyword is matched by that piece.
  ExpectSameAsModel(std::string(8065, 'x') + "ep\n" + std::string(16130, 'y') + "bp\n");
  // A line of exactly one piece leaves an empty piece.
  ExpectSameAsModel(std::string(8065, 'x') + "\n" + std::string(8064, 'z') + "\r");
  ExpectSameAsModel(std::string(8065 * 2 + 35, 'q') + "\n");
}

TEST(PsScannerTest, RandomStreamsMatchTheModel) {
  std::mt19937 random(20261208);
  const std::vector<std::string> parts = {"ep", "endp", "bp", "showpage", "%%EndSetup",
                                          "%%EndProlog", "%%BeginProlog", "%%EndPageSetup",
                                          "userdict/setpagedevice{pop}bind put", "x", "e", "p",
                                          "/F 1 def", std::string(1, '\0'), "\n", "\r", "\r\n",
                                          "\n", "\n", std::string(3000, 'L')};
  for (int round = 0; round < 40; ++round) {
    std::string input;
    const int count = static_cast<int>(random() % 400);
    for (int i = 0; i < count; ++i) input += parts[random() % parts.size()];
    ExpectSameAsModel(input);
  }
}

TEST(PsScannerTest, LookAheadLeavesTheLineEndedByTheFinalByte) {
  ExpectSameAsLookAheadModel("K1\nK2\n");
  ExpectSameAsLookAheadModel("K1\nK2\r\n");
  ExpectSameAsLookAheadModel("K1\nK2");
  ExpectSameAsLookAheadModel("K\n");
  ExpectSameAsLookAheadModel("\n");
  ExpectSameAsLookAheadModel("");
  // Whole buffers up to 8064 bytes are looked at; a line of 8065 leaves an empty piece.
  ExpectSameAsLookAheadModel(std::string(8064, 'K') + "\nx\n" + std::string(8065, 'K') + "\nx");
  ExpectSameAsLookAheadModel(std::string(8065, 'x') + std::string(8064, 'K') + "\n\n");
  ExpectSameAsLookAheadModel(std::string(8065, 'x') + std::string(8064, 'K') + "\n");
}

TEST(PsScannerTest, LookAheadRandomStreamsMatchTheModel) {
  std::mt19937 random(20261209);
  const std::vector<std::string> parts = {"K", "Kx", "x", "\n", "\r", "\r\n", "\n",
                                          std::string(1, '\0'), std::string(3000, 'K'),
                                          std::string(8064, 'y'), std::string(4000, 'z')};
  for (int round = 0; round < 30; ++round) {
    std::string input;
    const int count = static_cast<int>(random() % 60);
    for (int i = 0; i < count; ++i) input += parts[random() % parts.size()];
    ExpectSameAsLookAheadModel(input);
  }
}

// The line-end masks against a byte loop, for every length around the 64-byte blocks and bytes
// that differ from a line end in one bit or only in the sign bit.
TEST(LineEndMasksTest, EveryLengthMatchesAByteLoop) {
  std::mt19937 random(20261210);
  const char bytes[] = {'\n', '\r', 'a', '\0', '\x0b', '\x0c', '\x8a', '\x8d', '\x0e', '\x2a'};
  for (std::size_t n = 0; n <= 300; ++n) {
    std::string text(n + 1, '\0');
    for (char& c : text) c = bytes[random() % std::size(bytes)];
    for (std::size_t offset : {0u, 1u}) {  // aligned and unaligned starts
      std::vector<std::uint64_t> expected((n + 63) / 64, 0), fast(expected.size(), ~0ull),
          portable(expected.size(), ~0ull);
      for (std::size_t i = 0; i < n; ++i) {
        const char c = text[offset + i];
        if (c == '\n' || c == '\r') expected[i / 64] |= std::uint64_t{1} << (i % 64);
      }
      LineEndMasks(text.data() + offset, n, fast.data());
      LineEndMasksPortable(text.data() + offset, n, portable.data());
      ASSERT_EQ(fast, expected) << "length " << n;
      ASSERT_EQ(portable, expected) << "length " << n;
    }
  }
}

// Lines of lengths around the limits of the scanner (the longest wanted piece, the block of 64,
// the piece of 8065) with and without a keyword at their end.
TEST(PsScannerTest, LinesAroundTheLimitsMatchTheModel) {
  std::mt19937 random(20261211);
  const std::size_t lengths[] = {0, 1, 2, 34, 35, 36, 37, 63, 64, 65, 8063, 8064, 8065, 8066, 16130};
  for (int round = 0; round < 6; ++round) {
    std::string input;
    for (int i = 0; i < 30; ++i) {
      input += std::string(lengths[random() % std::size(lengths)], 'x');
      if (random() % 2 == 0) input += kKeywords[random() % std::size(kKeywords)];
      input += (random() % 3 == 0) ? "\r" : "\n";
    }
    ExpectSameAsModel(input);
    ExpectSameAsLookAheadModel(input);
  }
}

}  // namespace
}  // namespace tf
