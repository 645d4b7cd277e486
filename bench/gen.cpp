// Benchmark data: PostScript jobs shaped like a driver's output, and a printer PPD of printer size.
//
//   bench_gen job OUT BYTES [features]   a DSC job of at least BYTES bytes: header comments, a
//                                        prolog with a procedure set, a setup, then pages
//                                        ("%%Page:", page setup, "bp", text lines, every fourth
//                                        page an ASCII85 image, "ep"); "features" adds the
//                                        "%%BeginFeature:" blocks a driver writes for the
//                                        decomposition mode (in the setup and in every page
//                                        setup) and a screen parameter line
//   bench_gen ppd BASE OUT BYTES [decomp] the PPD BASE with generated options, constraints and
//                                        translations appended until it holds about BYTES
//                                        bytes; "decomp" sets QMPSDecompMode "1" and adds the
//                                        options the feature lines name
//
// The content is pseudo-random but fixed (same arguments, same bytes), so runs compare.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

class Output {
 public:
  explicit Output(const char* path) : file_(std::fopen(path, "wb")) {
    if (file_ == nullptr) {
      std::perror(path);
      std::exit(1);
    }
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
  }
  ~Output() {
    if (std::fclose(file_) != 0) {
      std::perror("close");
      std::exit(1);
    }
  }
  void Put(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), file_);
    written_ += text.size();
  }
  void Put(const char* text) {
    const std::size_t n = std::strlen(text);
    std::fwrite(text, 1, n, file_);
    written_ += n;
  }
  template <class... Args>
  void Printf(const char* format, Args... args) {
    char line[512];
    const int n = std::snprintf(line, sizeof(line), format, args...);
    std::fwrite(line, 1, static_cast<std::size_t>(n), file_);
    written_ += static_cast<std::size_t>(n);
  }
  std::uint64_t written() const { return written_; }

 private:
  std::FILE* file_;
  std::uint64_t written_ = 0;
};

// A small fixed generator (xorshift), so that the data does not depend on the C library.
class Random {
 public:
  std::uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<std::uint32_t>(state_ >> 11);
  }
  std::uint32_t Below(std::uint32_t n) { return Next() % n; }

 private:
  std::uint64_t state_ = 0x9E3779B97F4A7C15ull;
};

constexpr const char* kWords[] = {
    "printer", "queue",   "paper",    "tray",    "staple", "invoice", "quarterly", "report",
    "the",     "of",      "and",      "a",       "to",     "in",      "account",   "balance",
    "meeting", "minutes", "schedule", "project", "draft",  "final",   "review",    "section",
    "table",   "figure",  "total",    "amount",  "date",   "page",    "summary",   "notes"};

void Prolog(Output& out) {
  out.Put("%%BeginProlog\n%%BeginResource: procset tfbench 1.0 0\n");
  out.Put("/tfbench 200 dict def tfbench begin\n");
  out.Put("/bp { /pgsave save def } bind def\n");
  out.Put("/ep { pgsave restore showpage } bind def\n");
  out.Put("/m { moveto } bind def /l { lineto } bind def /s { show } bind def\n");
  out.Put("/F { exch findfont exch scalefont setfont } bind def\n");
  // A procedure set of the size drivers send: many short definitions.
  for (int i = 0; i < 120; ++i) {
    out.Printf("/p%03d { %d %d rmoveto currentpoint translate %d rotate } bind def\n", i, i,
               2 * i, i % 360);
  }
  out.Put("end\n%%EndResource\n%%EndProlog\n");
}

void Feature(Output& out, const char* keyword, const char* choice) {
  out.Printf("[{\n%%%%BeginFeature: *%s %s\n\n%%%%EndFeature\n} stopped cleartomark\n", keyword,
             choice);
}

void Setup(Output& out, bool features) {
  out.Put("%%BeginSetup\n");
  out.Put("[{\n%%BeginFeature: *PageSize A4\n<</PageSize[595 842]/ImagingBBox null>>"
          "setpagedevice\n%%EndFeature\n} stopped cleartomark\n");
  if (features) {
    Feature(out, "QMOutputMode", "1200x1200");
    Feature(out, "QMTonerSaver", "False");
    Feature(out, "QMSetTrapMode", "True");
    Feature(out, "QMGrayBalance", "True");
    Feature(out, "QMRGBInputProfile", "SRGB");
    Feature(out, "QMRGBBCorrection", "Standard");
    Feature(out, "Smoothing", "True");
    static const char* const colours[] = {"Cyan", "Magenta", "Yellow", "Black"};
    static const char* const bands[] = {"Low", "Mid", "High"};
    for (const char* colour : colours) {
      for (const char* band : bands) {
        const std::string keyword = std::string("QMColorDensity") + colour + band;
        Feature(out, keyword.c_str(), "0");
      }
    }
    out.Put("<< /TSCR 1 /GSCR 1 /ISCR 1 /TTRC 2 /GTRC 2 /ITRC 2 >> pop\n");
  }
  out.Put("tfbench begin\n%%EndSetup\n");
}

void TextLine(Output& out, Random& random, int y) {
  std::string line = "72 " + std::to_string(y) + " m (";
  const std::uint32_t words = 4 + random.Below(9);
  for (std::uint32_t w = 0; w < words; ++w) {
    if (w > 0) line += ' ';
    line += kWords[random.Below(std::size(kWords))];
  }
  line += ") s\n";
  out.Put(line);
}

void Image(Output& out, Random& random) {
  out.Put("gsave 72 300 translate 400 300 scale\n");
  out.Put("/DeviceRGB setcolorspace\n<< /ImageType 1 /Width 200 /Height 150 "
          "/BitsPerComponent 8 /Decode [0 1 0 1 0 1]\n/ImageMatrix [200 0 0 -150 0 150] "
          "/DataSource currentfile /ASCII85Decode filter >> image\n");
  char row[80];
  for (int r = 0; r < 400; ++r) {
    for (int i = 0; i < 78; ++i) row[i] = static_cast<char>('!' + random.Below(85));
    row[78] = '\n';
    row[79] = '\0';
    out.Put(row);
  }
  out.Put("~>\ngrestore\n");
}

int MakeJob(const char* path, std::uint64_t bytes, bool features) {
  Output out(path);
  Random random;
  out.Put("%!PS-Adobe-3.0\n%%Title: Quarterly report\n%%Creator: ticketfilter bench\n"
          "%%CreationDate: (D:20240101120000)\n%%Pages: (atend)\n%%BoundingBox: 0 0 595 842\n"
          "%%DocumentData: Clean7Bit\n%%LanguageLevel: 2\n%%DocumentNeededResources: "
          "font Helvetica\n%%EndComments\n");
  Prolog(out);
  Setup(out, features);
  int page = 0;
  while (out.written() < bytes) {
    ++page;
    out.Printf("%%%%Page: %d %d\n%%%%BeginPageSetup\n", page, page);
    if (features) {
      Feature(out, "QMTonerSaver", (page % 2) != 0 ? "False" : "True");
      Feature(out, "QMBrightnes", "Normal");
      Feature(out, "QMSaveBlankSheet", "False");
      Feature(out, "QMMonochromePriority", "False");
    }
    out.Put("%%EndPageSetup\nbp\n/Helvetica 11 F\n");
    const int lines = 30 + static_cast<int>(random.Below(30));
    for (int i = 0; i < lines; ++i) TextLine(out, random, 780 - 12 * i);
    if (page % 4 == 0) Image(out, random);
    out.Put("ep\n%%PageTrailer\n");
  }
  out.Printf("%%%%Trailer\n%%%%Pages: %d\n%%%%EOF\n", page);
  return 0;
}

// The options a generated PPD adds, so that its size and shape are those of an office printer's:
// many PickOne options with PostScript code, a translation per choice, and constraints.
void GeneratedOptions(Output& out, std::uint64_t bytes) {
  Random random;
  int option = 0;
  out.Put("\n*OpenGroup: Generated/Printer Features\n");
  while (out.written() < bytes) {
    ++option;
    char keyword[32];
    std::snprintf(keyword, sizeof(keyword), "QMGen%03dOption", option);
    const int choices = 4 + static_cast<int>(random.Below(9));
    out.Printf("\n*OpenUI *%s/Printer Feature %d: PickOne\n", keyword, option);
    out.Printf("*OrderDependency: %d AnySetup *%s\n", 40 + option % 50, keyword);
    out.Printf("*Default%s: Choice1\n", keyword);
    out.Printf("*ja.Translation %s/Printer Feature %d (ja): \"\"\n", keyword, option);
    for (int c = 1; c <= choices; ++c) {
      out.Printf("*%s Choice%d/Setting %d of feature %d: \"<</DeferredMediaSelection true "
                 "/MediaPosition %d /MediaType (Type%d)>>setpagedevice\"\n",
                 keyword, c, c, option, c, option % 7);
      out.Printf("*ja.%s Choice%d/Setting %d (ja): \"\"\n", keyword, c, c);
    }
    out.Printf("*CloseUI: *%s\n", keyword);
    if (option > 1) {
      out.Printf("*UIConstraints: *%s Choice2 *QMGen%03dOption Choice3\n", keyword, option - 1);
      out.Printf("*UIConstraints: *QMGen%03dOption Choice3 *%s Choice2\n", option - 1, keyword);
    }
  }
  out.Put("*CloseGroup: Generated\n");
}

void DecompOptions(Output& out) {
  out.Put("\n*OpenGroup: Quality/Print Quality\n");
  auto option = [&out](const char* keyword, std::vector<const char*> choices) {
    out.Printf("\n*OpenUI *%s/%s: PickOne\n*OrderDependency: 40 AnySetup *%s\n", keyword,
               keyword, keyword);
    out.Printf("*Default%s: %s\n", keyword, choices[0]);
    for (const char* choice : choices) out.Printf("*%s %s/%s: \"\"\n", keyword, choice, choice);
    out.Printf("*CloseUI: *%s\n", keyword);
  };
  option("QMOutputMode", {"600x600", "1200x1200", "HighSpeed", "Standard"});
  option("QMHalftone", {"Fineness", "Gradation"});
  option("QMTonerSaver", {"False", "True", "Mode1", "Mode2", "Mode3"});
  option("QMSetTrapMode", {"False", "True"});
  option("QMGrayBalance", {"True", "False"});
  option("QMRGBInputProfile", {"SRGB", "AdobeRGB"});
  option("QMRGBBCorrection", {"Standard", "Off", "Lightest", "Light", "Dark", "Darkest"});
  option("QMBrightnes", {"Normal", "Bright1", "Dark1"});
  option("QMSaveBlankSheet", {"False", "True"});
  option("QMMonochromePriority", {"False", "True"});
  option("Smoothing", {"True", "False"});
  static const char* const colours[] = {"Cyan", "Magenta", "Yellow", "Black"};
  static const char* const bands[] = {"Low", "Mid", "High"};
  for (const char* colour : colours) {
    for (const char* band : bands) {
      const std::string keyword = std::string("QMColorDensity") + colour + band;
      option(keyword.c_str(), {"0", "-3", "-2", "-1", "+1", "+2", "+3"});
    }
  }
  out.Put("*CloseGroup: Quality\n");
}

int MakePpd(const char* basePath, const char* path, std::uint64_t bytes, bool decomp) {
  std::FILE* base = std::fopen(basePath, "rb");
  if (base == nullptr) {
    std::perror(basePath);
    return 1;
  }
  Output out(path);
  char line[1024];
  bool inFontList = false;
  std::string fonts;
  while (std::fgets(line, sizeof(line), base) != nullptr) {
    // The font list stays at the end, after the generated options.
    if (std::strncmp(line, "*DefaultFont:", 13) == 0) inFontList = true;
    if (inFontList) {
      fonts += line;
      continue;
    }
    out.Put(line);
    if (decomp && std::strncmp(line, "*CommentOn:", 11) == 0) out.Put("*QMPSDecompMode: \"1\"\n");
  }
  std::fclose(base);
  if (decomp) DecompOptions(out);
  GeneratedOptions(out, bytes > fonts.size() ? bytes - fonts.size() : 0);
  out.Put("\n");
  out.Put(fonts);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::strcmp(argv[1], "job") == 0) {
    const bool features = argc >= 5 && std::strcmp(argv[4], "features") == 0;
    return MakeJob(argv[2], std::strtoull(argv[3], nullptr, 10), features);
  }
  if (argc >= 5 && std::strcmp(argv[1], "ppd") == 0) {
    const bool decomp = argc >= 6 && std::strcmp(argv[5], "decomp") == 0;
    return MakePpd(argv[2], argv[3], std::strtoull(argv[4], nullptr, 10), decomp);
  }
  std::fprintf(stderr,
               "usage: bench_gen job OUT BYTES [features]\n"
               "       bench_gen ppd BASE OUT BYTES [decomp]\n");
  return 2;
}
