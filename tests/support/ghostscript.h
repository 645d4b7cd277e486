// Ghostscript as the tests' printer: renders the PostScript the programs write, page by page, and
// reports what a strict interpreter would care about (errors, the save level between pages).
#pragma once

#include <string>
#include <vector>

namespace tf::test {

struct Image {
  int width = 0;
  int height = 0;
  std::string rgb;  // width * height * 3 bytes
  const unsigned char* At(int x, int y) const {
    return reinterpret_cast<const unsigned char*>(rgb.data()) + (y * width + x) * 3;
  }
};

// A binary PPM ("P6", maxval 255) as Ghostscript's ppmraw device writes it (the header may hold
// comment lines); an empty image when the data is not one.
Image ReadPpm(const std::string& data);

struct Render {
  int exitStatus = -1;
  std::string log;  // Ghostscript's standard output and error
  std::vector<Image> pages;
};

// Renders `postscript` with Ghostscript (-dSAFER), after `prelude` (what a printer has resident),
// at `dpi` to one image per page.
Render RenderWithGhostscript(const std::string& postscript, const std::string& prelude = "",
                             int dpi = 36);

// The job's PostScript from a printer stream: what follows "@PJL ENTER LANGUAGE=POSTSCRIPT" up to
// the control-D before the trailer; the whole text when it has no PJL.
std::string PostScriptOfStream(const std::string& stream);

// The interpreter's save level at the start of every page and at the end of the document: the
// job is run with a report before every "%%Page:" and "%%Trailer" comment outside embedded
// documents (DSC puts them at the document's top level) and at its end.  A page that leaves a save
// open shows as a level that grows from page to page.  Empty when Ghostscript failed.
std::vector<int> SaveLevelsAtPageStarts(const std::string& postscript);

}  // namespace tf::test
