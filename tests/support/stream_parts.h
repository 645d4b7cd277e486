// Splits a printer stream into its PJL header, its PostScript and its trailer.
#pragma once

#include <string>

namespace tf::test {

inline const std::string kUel = "\x1b%-12345X";
inline const std::string kTrailer = "\x1b%-12345X@PJL EOJ\n";
inline const std::string kEnterPostScript = "@PJL ENTER LANGUAGE=POSTSCRIPT\n";

struct StreamParts {
  bool ok = false;          // the stream had the shape header, PostScript, trailer
  std::string header;       // up to and including the switch into PostScript
  std::string postscript;   // between the switch and the trailer
  std::string trailer;      // the trailer at the very end
};

inline StreamParts SplitStream(const std::string& out) {
  StreamParts parts;
  const std::size_t enter = out.find(kEnterPostScript);
  if (enter == std::string::npos || out.size() < kTrailer.size() ||
      out.compare(out.size() - kTrailer.size(), kTrailer.size(), kTrailer) != 0) {
    return parts;
  }
  const std::size_t bodyStart = enter + kEnterPostScript.size();
  parts.header = out.substr(0, bodyStart);
  parts.postscript = out.substr(bodyStart, out.size() - kTrailer.size() - bodyStart);
  parts.trailer = kTrailer;
  parts.ok = bodyStart <= out.size() - kTrailer.size();
  return parts;
}

// Every complete line of `text` (with its "\n") that begins with `prefix`, in order.
inline std::string LinesStartingWith(const std::string& text, const std::string& prefix) {
  std::string result;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size() - 1;
    if (text.compare(pos, prefix.size(), prefix) == 0) result += text.substr(pos, end + 1 - pos);
    pos = end + 1;
  }
  return result;
}

}  // namespace tf::test
