// Ghostscript as the tests' printer.
#include "support/ghostscript.h"

#include <sys/wait.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "support/filter_runner.h"

namespace tf::test {

Image ReadPpm(const std::string& data) {
  Image image;
  std::size_t at = 0;
  std::vector<std::string> fields;
  while (fields.size() < 4 && at < data.size()) {
    if (data[at] == '#') {
      at = data.find('\n', at);
      if (at == std::string::npos) return {};
    } else if (std::isspace(static_cast<unsigned char>(data[at])) == 0) {
      const std::size_t end = data.find_first_of(" \t\r\n", at);
      if (end == std::string::npos) return {};
      fields.push_back(data.substr(at, end - at));
      at = end;
    }
    ++at;  // one white-space byte ends the header
  }
  if (fields.size() != 4 || fields[0] != "P6" || fields[3] != "255") return {};
  image.width = std::stoi(fields[1]);
  image.height = std::stoi(fields[2]);
  const std::size_t size = static_cast<std::size_t>(image.width) * image.height * 3;
  image.rgb = data.substr(at, size);
  if (image.rgb.size() != size) return {};
  return image;
}

Render RenderWithGhostscript(const std::string& postscript, const std::string& prelude, int dpi) {
  TempDir dir;
  WriteFile(dir.File("job.ps"), postscript);
  std::string files;
  if (!prelude.empty()) {
    WriteFile(dir.File("prelude.ps"), prelude);
    files = dir.File("prelude.ps") + " ";
  }
  files += dir.File("job.ps");
  const std::string command = "gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=ppmraw -r" +
                              std::to_string(dpi) + " -sOutputFile=" + dir.File("page-%d.ppm") +
                              " " + files + " >" + dir.File("log") + " 2>&1";
  Render render;
  const int status = std::system(command.c_str());
  render.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  render.log = ReadFile(dir.File("log")).value_or("");
  for (int page = 1; std::filesystem::exists(dir.File("page-" + std::to_string(page) + ".ppm"));
       ++page) {
    render.pages.push_back(ReadPpm(*ReadFile(dir.File("page-" + std::to_string(page) + ".ppm"))));
  }
  return render;
}

std::string PostScriptOfStream(const std::string& stream) {
  const std::string enter = "@PJL ENTER LANGUAGE=POSTSCRIPT\n";
  const std::size_t begin = stream.find(enter);
  if (begin == std::string::npos) return stream;
  const std::size_t start = begin + enter.size();
  const std::size_t end = stream.rfind('\x04');
  return stream.substr(start, end == std::string::npos || end < start ? std::string::npos
                                                                        : end - start);
}

std::vector<int> SaveLevelsAtPageStarts(const std::string& postscript) {
  const std::string report = "(save level ) print vmstatus pop pop == flush\n";
  std::string marked;
  int depth = 0;
  std::istringstream in(postscript);
  for (std::string line; std::getline(in, line);) {
    const bool comment = line.starts_with("%%");
    if (comment && line.starts_with("%%BeginDocument")) ++depth;
    if (comment && line.starts_with("%%EndDocument") && depth > 0) --depth;
    if (depth == 0 && (line.starts_with("%%Page:") || line == "%%Trailer")) marked += report;
    marked += line + "\n";
  }
  marked += report;
  TempDir dir;
  WriteFile(dir.File("job.ps"), marked);
  const std::string command = "gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=nullpage " +
                              dir.File("job.ps") + " >" + dir.File("log") + " 2>&1";
  if (std::system(command.c_str()) != 0) return {};
  std::vector<int> levels;
  std::istringstream log(ReadFile(dir.File("log")).value_or(""));
  for (std::string line; std::getline(log, line);) {
    if (line.starts_with("save level ")) levels.push_back(std::stoi(line.substr(11)));
  }
  return levels;
}

}  // namespace tf::test
