// The folders of src/ and programs/ are layers: platform, then engine and raster, then the
// modules, then the filter, then the programs.  A file includes headers of its own layer or lower
// ones, and no chain of includes between folders leads back to the folder it started from.  The
// check reads the #include lines of the files; it is tried first on made-up trees.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace tf::test {
namespace {

namespace fs = std::filesystem;

// Files by their path from the source root ("src/engine/job.h"), with their text.
using SourceTree = std::map<std::string, std::string>;

// The layer of each top folder of src/, lowest first; programs/ is above them all.
const std::map<std::string, int> kLayers = {
    {"platform", 0}, {"engine", 1}, {"raster", 1}, {"modules", 2}, {"filter", 3}};
constexpr int kProgramsLayer = 4;

// The folder a file belongs to: src/<layer>, src/modules/<module> or programs/<program>.
std::string FolderOf(const std::string& path) {
  const fs::path p(path);
  auto part = p.begin();
  const std::string top = (part++)->string();
  const std::string second = part == p.end() ? "" : (part++)->string();
  if (top == "src" && second == "modules" && part != p.end() && std::next(part) != p.end()) {
    return "src/modules/" + part->string();
  }
  return top + "/" + second;
}

std::optional<int> LayerOf(const std::string& path) {
  const fs::path p(path);
  auto part = p.begin();
  const std::string top = (part++)->string();
  if (top == "programs") return kProgramsLayer;
  if (top != "src" || part == p.end()) return std::nullopt;
  const auto layer = kLayers.find(part->string());
  if (layer == kLayers.end()) return std::nullopt;
  return layer->second;
}

// The quoted includes of a text, in order.
std::vector<std::string> QuotedIncludes(const std::string& text) {
  std::vector<std::string> includes;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::size_t at = line.find_first_not_of(" \t");
    if (at == std::string::npos || line[at] != '#') continue;
    at = line.find_first_not_of(" \t", at + 1);
    if (at == std::string::npos || line.compare(at, 7, "include") != 0) continue;
    at = line.find_first_not_of(" \t", at + 7);
    if (at == std::string::npos || line[at] != '"') continue;
    const std::size_t end = line.find('"', at + 1);
    if (end != std::string::npos) includes.push_back(line.substr(at + 1, end - at - 1));
  }
  return includes;
}

// The file an include names, as the build finds it: next to the including file, else from src/
// or programs/.
std::optional<std::string> Resolve(const SourceTree& tree, const std::string& from,
                                   const std::string& include) {
  const std::string beside = (fs::path(from).parent_path() / include).lexically_normal().string();
  for (const std::string& candidate : {beside, "src/" + include, "programs/" + include}) {
    if (tree.count(candidate) != 0) return candidate;
  }
  return std::nullopt;
}

// A chain of folders that leads back to its first one, if the includes make one.
std::vector<std::string> FolderCycle(const std::map<std::string, std::set<std::string>>& edges) {
  std::map<std::string, int> state;  // 1: on the current path, 2: done
  std::vector<std::string> path;
  std::vector<std::string> cycle;
  std::function<bool(const std::string&)> visit = [&](const std::string& folder) {
    state[folder] = 1;
    path.push_back(folder);
    const auto out = edges.find(folder);
    if (out != edges.end()) {
      for (const std::string& next : out->second) {
        if (state[next] == 1) {
          cycle.assign(std::find(path.begin(), path.end(), next), path.end());
          cycle.push_back(next);
          return true;
        }
        if (state[next] == 0 && visit(next)) return true;
      }
    }
    path.pop_back();
    state[folder] = 2;
    return false;
  };
  for (const auto& [folder, targets] : edges) {
    if (state[folder] == 0 && visit(folder)) break;
  }
  return cycle;
}

// Every breach of the layers in `tree`, one line each; empty when there is none.
std::vector<std::string> LayerBreaches(const SourceTree& tree) {
  std::vector<std::string> breaches;
  std::map<std::string, std::set<std::string>> edges;
  for (const auto& [path, text] : tree) {
    const std::optional<int> layer = LayerOf(path);
    if (!layer) {
      breaches.push_back(path + " is in no layer");
      continue;
    }
    for (const std::string& include : QuotedIncludes(text)) {
      const std::optional<std::string> target = Resolve(tree, path, include);
      if (!target) {
        breaches.push_back(path + " includes \"" + include + "\", which is not in the tree");
        continue;
      }
      const std::optional<int> targetLayer = LayerOf(*target);
      if (!targetLayer || *targetLayer > *layer) {
        breaches.push_back(path + " includes " + *target + " of a higher layer");
      }
      if (FolderOf(*target) != FolderOf(path)) edges[FolderOf(path)].insert(FolderOf(*target));
    }
  }
  const std::vector<std::string> cycle = FolderCycle(edges);
  if (!cycle.empty()) {
    std::string chain;
    for (const std::string& folder : cycle) chain += (chain.empty() ? "" : " -> ") + folder;
    breaches.push_back("the folders include each other: " + chain);
  }
  return breaches;
}

// The .h and .cpp files of src/ and programs/ under `root`.
SourceTree ReadTree(const fs::path& root) {
  SourceTree tree;
  for (const char* top : {"src", "programs"}) {
    for (const auto& entry : fs::recursive_directory_iterator(root / top)) {
      const std::string extension = entry.path().extension().string();
      if (!entry.is_regular_file() || (extension != ".h" && extension != ".cpp")) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::ostringstream text;
      text << in.rdbuf();
      tree[fs::relative(entry.path(), root).generic_string()] = text.str();
    }
  }
  return tree;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += '\n';
  }
  return text;
}

TEST(IncludeLayersTest, TheSourcesKeepTheLayers) {
  const SourceTree tree = ReadTree(TF_SOURCE_DIR);
  ASSERT_GT(tree.count("src/engine/module.h"), 0U);
  ASSERT_GT(tree.count("programs/ticketfilter/program.cpp"), 0U);
  EXPECT_EQ(Lines(LayerBreaches(tree)), "");
}

TEST(IncludeLayersTest, ALowerLayerMayNotIncludeAHigherOne) {
  const SourceTree tree = {
      {"src/platform/files.h", "#pragma once\n#include \"engine/job.h\"\n"},
      {"src/engine/job.h", "#include \"platform/files.h\"\n  #  include \"filter/envelope.h\"\n"},
      {"src/engine/format.h",
       "#include <vector>\n// #include \"filter/envelope.h\" in a comment\n"},
      {"src/modules/names/names.h", "#include \"engine/job.h\"\n#include \"filter/envelope.h\"\n"},
      {"src/filter/envelope.h", "#include \"modules/names/names.h\"\n"},
      {"programs/one/main.cpp", "#include \"program.h\"\n#include \"filter/envelope.h\"\n"},
      {"programs/one/program.h", "#include \"engine/job.h\"\n"},
  };
  EXPECT_EQ(Lines(LayerBreaches(tree)),
            "src/engine/job.h includes src/filter/envelope.h of a higher layer\n"
            "src/modules/names/names.h includes src/filter/envelope.h of a higher layer\n"
            "src/platform/files.h includes src/engine/job.h of a higher layer\n"
            "the folders include each other: src/engine -> src/filter -> src/modules/names -> "
            "src/engine\n");
}

TEST(IncludeLayersTest, FoldersOfOneLayerMayNotIncludeEachOtherInACircle) {
  const SourceTree modules = {
      {"src/modules/a/a.h", "#include \"modules/b/b.h\"\n"},
      {"src/modules/b/b.h", "#include \"modules/c/c.h\"\n"},
      {"src/modules/c/c.cpp", "#include \"c.h\"\n#include \"modules/a/a.h\"\n"},
      {"src/modules/c/c.h", ""},
  };
  EXPECT_EQ(Lines(LayerBreaches(modules)),
            "the folders include each other: src/modules/a -> src/modules/b -> src/modules/c -> "
            "src/modules/a\n");

  SourceTree chain = modules;
  chain["src/modules/c/c.cpp"] = "#include \"c.h\"\n";
  EXPECT_EQ(Lines(LayerBreaches(chain)), "");

  const SourceTree programs = {
      {"programs/one/main.cpp", "#include \"two/program.h\"\n"},
      {"programs/one/program.h", ""},
      {"programs/two/program.h", "#include \"one/program.h\"\n"},
  };
  EXPECT_EQ(Lines(LayerBreaches(programs)),
            "the folders include each other: programs/one -> programs/two -> programs/one\n");
}

TEST(IncludeLayersTest, AnIncludeOutsideTheTreeOrAFileOutsideTheLayersIsNamed) {
  const SourceTree tree = {
      {"src/engine/job.h", "#include \"support/job_harness.h\"\n#include <cups/ppd.h>\n"},
      {"src/tools/tool.cpp", ""},
  };
  EXPECT_EQ(Lines(LayerBreaches(tree)),
            "src/engine/job.h includes \"support/job_harness.h\", which is not in the tree\n"
            "src/tools/tool.cpp is in no layer\n");
}

}  // namespace
}  // namespace tf::test
