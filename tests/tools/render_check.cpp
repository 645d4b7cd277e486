// render_check: renders a printer stream (or plain PostScript) with Ghostscript and checks what
// the end-to-end tests through CUPS cannot see in the bytes: the job renders without error, every
// page (or only the first) shows the tests' watermark colour (1.00 0.50 0.50), and every page
// begins at the same save level.  With --no-watermark no page is checked for a watermark; with
// --gray-watermark every page must show the printer application's default watermark (black at
// density 30: 0.70 grey).
//
//   render_check [--first-page-only] [--no-watermark | --gray-watermark] [--pages N] FILE
//
// Prints one line per page and a summary; exit status 0 when every check holds, 1 otherwise, 2 on
// wrong usage.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "support/filter_runner.h"
#include "support/ghostscript.h"

namespace {

// The tests' watermark, red at density 50: 1.00 0.50 0.50.
bool IsWatermarkPink(const unsigned char* p) {
  return p[0] >= 250 && p[1] >= 120 && p[1] <= 135 && p[2] >= 120 && p[2] <= 135;
}

// The printer application's watermark, black at density 30: 0.70 grey.
bool IsWatermarkGray(const unsigned char* p) {
  return p[0] >= 174 && p[0] <= 183 && p[1] == p[0] && p[2] == p[0];
}

enum class Watermark { Pink, Gray, None };

}  // namespace

int main(int argc, char** argv) {
  using namespace tf::test;
  bool firstPageOnly = false;
  Watermark watermark = Watermark::Pink;
  long expectedPages = -1;
  const char* file = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--first-page-only") == 0) {
      firstPageOnly = true;
    } else if (std::strcmp(argv[i], "--no-watermark") == 0) {
      watermark = Watermark::None;
    } else if (std::strcmp(argv[i], "--gray-watermark") == 0) {
      watermark = Watermark::Gray;
    } else if (std::strcmp(argv[i], "--pages") == 0 && i + 1 < argc) {
      expectedPages = std::strtol(argv[++i], nullptr, 10);
    } else if (file == nullptr) {
      file = argv[i];
    } else {
      file = nullptr;
      break;
    }
  }
  if (file == nullptr) {
    std::fprintf(stderr,
                 "usage: render_check [--first-page-only] [--no-watermark | --gray-watermark] "
                 "[--pages N] FILE\n");
    return 2;
  }
  const auto stream = ReadFile(file);
  if (!stream) {
    std::printf("cannot read %s\n", file);
    return 1;
  }
  const std::string postscript = PostScriptOfStream(*stream);
  const Render render = RenderWithGhostscript(postscript, "", 36);
  bool ok = true;
  if (render.exitStatus != 0 || render.log.find("Error") != std::string::npos) {
    std::printf("Ghostscript failed (status %d):\n%s\n", render.exitStatus, render.log.c_str());
    ok = false;
  }
  if (expectedPages >= 0 && static_cast<long>(render.pages.size()) != expectedPages) {
    std::printf("%zu pages, expected %ld\n", render.pages.size(), expectedPages);
    ok = false;
  }
  for (std::size_t page = 0; page < render.pages.size(); ++page) {
    const Image& image = render.pages[page];
    long pink = 0;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const unsigned char* p = image.At(x, y);
        pink += (watermark == Watermark::Gray ? IsWatermarkGray(p) : IsWatermarkPink(p)) ? 1 : 0;
      }
    }
    const bool wanted = !firstPageOnly || page == 0;
    const bool good = watermark == Watermark::None || (wanted ? pink > 100 : pink == 0);
    std::printf("page %zu: %ld watermark pixels%s\n", page + 1, pink, good ? "" : "  <-- wrong");
    ok = ok && good;
  }
  const std::vector<int> levels = SaveLevelsAtPageStarts(postscript);
  bool level = !levels.empty();
  for (int l : levels) level = level && l == levels.front();
  std::printf("save level at the page starts:");
  for (int l : levels) std::printf(" %d", l);
  std::printf("%s\n", level ? "" : "  <-- a page left a save open");
  ok = ok && level;
  std::printf("%s: %zu pages\n", ok ? "ok" : "FAILED", render.pages.size());
  return ok ? 0 : 1;
}
