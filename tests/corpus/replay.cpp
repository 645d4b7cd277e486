// Replays the job corpus against the built programs, or records it anew.
//
// The corpus (manifest.txt beside this file) lists jobs: program, PPD, arguments, options text,
// input on standard input or as a file argument, environment.  Each job runs as its own process,
// as CUPS would start it; what it printed is rendered as text (exit status, the "PAGE:" and
// "ERROR:" lines of standard error, standard output line by line with its bytes escaped) and
// compared with expected/<case>.txt, or written there with --record.  Only the programs' command
// line, environment and streams are used, so the corpus stays valid whatever their insides are.
//
// Usage: corpus_replay --bin <dir of the programs> --root <source tree> [--record]
//                      [--jobs N] [--filter <text in the case names>]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// ---- the escaped text form -----------------------------------------------------------------------
//
// Manifest values and the lines of a rendered result are bytes written as text: printable ASCII
// as it stands, "\\" for a backslash, "\r", "\n", "\t", and "\xHH" for every other byte below
// 0x20, DEL, and bytes of 0x80 and above that are not part of well-formed UTF-8 (Shift-JIS, for
// example).  A space at the end is written "\x20" so that no editor can drop it.

std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
  const auto c = static_cast<unsigned char>(text[at]);
  std::size_t length = 0;
  unsigned int min = 0, cp = 0;
  if ((c & 0xE0) == 0xC0) {
    length = 2, min = 0x80, cp = c & 0x1F;
  } else if ((c & 0xF0) == 0xE0) {
    length = 3, min = 0x800, cp = c & 0x0F;
  } else if ((c & 0xF8) == 0xF0) {
    length = 4, min = 0x10000, cp = c & 0x07;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[at + k]);
    if ((next & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (next & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

std::string Escape(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + 8);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == ' ' && i + 1 == bytes.size()) {
      out += "\\x20";
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else if (const std::size_t n = c >= 0x80 ? Utf8SequenceLength(bytes, i) : 0; n > 0) {
      out.append(bytes.substr(i, n));
      i += n - 1;
    } else {
      char hex[5];
      std::snprintf(hex, sizeof(hex), "\\x%02x", c);
      out += hex;
    }
  }
  return out;
}

std::string Unescape(std::string_view text, const std::string& where) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size()) throw std::runtime_error(where + ": a backslash ends the value");
    switch (text[i]) {
      case '\\': out += '\\'; break;
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'x': {
        const std::string hex(text.substr(i + 1, 2));
        char* end = nullptr;
        const long value = std::strtol(hex.c_str(), &end, 16);
        if (hex.size() != 2 || end != hex.c_str() + 2) {
          throw std::runtime_error(where + ": \\x needs two hexadecimal digits");
        }
        out += static_cast<char>(value);
        i += 2;
        break;
      }
      default:
        throw std::runtime_error(where + ": unknown escape \\" + std::string(1, text[i]));
    }
  }
  return out;
}

// ---- files ---------------------------------------------------------------------------------------

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteFile(const fs::path& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

// An input in the line form (inputs/*.lines): "line <escaped>" adds the bytes and a line feed,
// "line*N <escaped>" adds them N times, "tail <escaped>" adds bytes without a line feed; lines
// starting with "#" are comments.  Large repetitive jobs stay small in the repository this way.
std::string ExpandLines(const fs::path& path) {
  const std::string text = ReadFile(path);
  std::string out;
  int number = 0;
  for (std::string_view line : SplitLines(text)) {
    ++number;
    const std::string where = path.string() + ":" + std::to_string(number);
    if (line.empty() || line[0] == '#') continue;
    const std::size_t space = line.find(' ');
    const std::string_view key = line.substr(0, space);
    const std::string value =
        Unescape(space == std::string_view::npos ? "" : line.substr(space + 1), where);
    std::size_t repeat = 1;
    if (key.starts_with("line*")) {
      repeat = std::stoul(std::string(key.substr(5)));
    } else if (key == "tail") {
      out += value;
      continue;
    } else if (key != "line") {
      throw std::runtime_error(where + ": unknown key " + std::string(key));
    }
    for (std::size_t i = 0; i < repeat; ++i) (out += value) += '\n';
  }
  return out;
}

// ---- the manifest --------------------------------------------------------------------------------

struct Source {
  enum class Kind { None, CorpusFile, Text, LiteralPath } kind = Kind::None;
  std::string value;  // corpus-relative file, the bytes, or the path
};

struct Case {
  std::string name;
  std::string program = "ticketfilter";
  std::optional<std::string> ppd;      // source-tree relative path
  std::optional<std::string> ppdPath;  // literal path (@TMP@, @WORK@ replaced)
  std::string jobId = "1", user = "tux", title = "Test Job", copies = "1", options;
  std::optional<std::vector<std::string>> args;  // replaces argv[1..] when given
  Source stdinSource, fileSource;
  std::vector<std::pair<std::string, std::string>> env;
  std::vector<std::string> makeDirs;                            // under @WORK@
  std::vector<std::pair<std::string, std::string>> makeFiles;  // under @WORK@: name, content
};

// A manifest block: "defaults" or "case <name>", then indented "key value" lines.
void SetField(Case& c, std::string_view key, const std::string& value, const std::string& where) {
  if (key == "program") {
    c.program = value;
  } else if (key == "ppd") {
    c.ppd = value;
  } else if (key == "ppd-path") {
    c.ppdPath = value;
  } else if (key == "job") {
    c.jobId = value;
  } else if (key == "user") {
    c.user = value;
  } else if (key == "title") {
    c.title = value;
  } else if (key == "copies") {
    c.copies = value;
  } else if (key == "options") {
    c.options = value;
  } else if (key == "arg") {
    if (!c.args) c.args.emplace();
    c.args->push_back(value);
  } else if (key == "arg-none") {
    c.args.emplace();
  } else if (key == "stdin") {
    c.stdinSource = {Source::Kind::CorpusFile, value};
  } else if (key == "stdin-text") {
    c.stdinSource = {Source::Kind::Text, value};
  } else if (key == "file") {
    c.fileSource = {Source::Kind::CorpusFile, value};
  } else if (key == "file-text") {
    c.fileSource = {Source::Kind::Text, value};
  } else if (key == "file-path") {
    c.fileSource = {Source::Kind::LiteralPath, value};
  } else if (key == "env") {
    const std::size_t eq = value.find('=');
    if (eq == std::string::npos) throw std::runtime_error(where + ": env needs NAME=VALUE");
    c.env.emplace_back(value.substr(0, eq), value.substr(eq + 1));
  } else if (key == "mkdir") {
    c.makeDirs.push_back(value);
  } else if (key == "mkfile") {
    const std::size_t space = value.find(' ');
    c.makeFiles.emplace_back(value.substr(0, space),
                             space == std::string::npos ? "" : value.substr(space + 1));
  } else {
    throw std::runtime_error(where + ": unknown key " + std::string(key));
  }
}

std::vector<Case> ReadManifest(const fs::path& path) {
  const std::string text = ReadFile(path);
  std::vector<Case> cases;
  Case defaults;
  Case* current = nullptr;
  std::map<std::string, int> names;
  int number = 0;
  for (std::string_view line : SplitLines(text)) {
    ++number;
    const std::string where = path.filename().string() + ":" + std::to_string(number);
    if (line.empty() || line[0] == '#') continue;
    if (line[0] != ' ') {
      if (line == "defaults") {
        current = &defaults;
      } else if (line.starts_with("case ")) {
        Case c = defaults;
        c.name = std::string(line.substr(5));
        for (char ch : c.name) {
          if (!std::isalnum(static_cast<unsigned char>(ch)) && std::strchr("._/-", ch) == nullptr) {
            throw std::runtime_error(where + ": case names take letters, digits and . _ / -");
          }
        }
        if (c.name.empty() || c.name.find("..") != std::string::npos || c.name[0] == '/') {
          throw std::runtime_error(where + ": bad case name");
        }
        if (names[c.name]++ != 0) throw std::runtime_error(where + ": case " + c.name + " twice");
        cases.push_back(std::move(c));
        current = &cases.back();
      } else {
        throw std::runtime_error(where + ": expected \"defaults\" or \"case <name>\"");
      }
      continue;
    }
    if (current == nullptr) throw std::runtime_error(where + ": a field outside a case");
    const std::size_t start = line.find_first_not_of(' ');
    if (start == std::string_view::npos) continue;
    const std::string_view rest = line.substr(start);
    const std::size_t space = rest.find(' ');
    const std::string_view key = rest.substr(0, space);
    std::string_view raw = space == std::string_view::npos ? "" : rest.substr(space + 1);
    SetField(*current, key, Unescape(raw, where), where);
  }
  return cases;
}

// ---- running one job -----------------------------------------------------------------------------

struct Run {
  std::string out, err;
  int exitStatus = -1;
  int signal = 0;
  bool timedOut = false;
};

std::string Substitute(std::string text, const std::string& tmp, const std::string& work) {
  for (const auto& [mark, value] : {std::pair<std::string, std::string>{"@TMP@", tmp},
                                    {"@WORK@", work}}) {
    for (std::size_t at = text.find(mark); at != std::string::npos;
         at = text.find(mark, at + value.size())) {
      text.replace(at, mark.size(), value);
    }
  }
  return text;
}

void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

// The environment of a job: nothing of the caller's but the sanitizer settings, so that the
// programs see the same environment on every machine.  Without LSAN_OPTIONS the leaks of the CUPS
// library that `leakSuppressions` names are not reported (a sanitizer build).
std::vector<std::string> JobEnvironment(const Case& c, const std::string& ppd,
                                        const std::string& tmp, const std::string& work,
                                        const std::string& leakSuppressions) {
  std::vector<std::string> env = {"PATH=/usr/bin:/bin", "TMPDIR=" + tmp};
  for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
    if (const char* value = std::getenv(name)) env.push_back(std::string(name) + "=" + value);
  }
  if (std::getenv("LSAN_OPTIONS") == nullptr && !leakSuppressions.empty()) {
    env.push_back("LSAN_OPTIONS=suppressions=" + leakSuppressions);
  }
  if (!ppd.empty()) env.push_back("PPD=" + ppd);
  for (const auto& entry : c.env) {
    const std::string prefix = entry.first + "=";
    std::erase_if(env, [&](const std::string& e) { return e.starts_with(prefix); });
    env.push_back(prefix + Substitute(entry.second, tmp, work));
  }
  return env;
}

Run RunJob(const std::string& program, std::vector<std::string> args,
           std::vector<std::string> env, const std::string& input, double timeoutSeconds) {
  std::vector<char*> argv, envp;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  int inPipe[2], outPipe[2], errPipe[2];
  if (pipe2(inPipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  if (pipe2(outPipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  if (pipe2(errPipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGTERM);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, &attr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  close(inPipe[0]);
  close(outPipe[1]);
  close(errPipe[1]);
  if (rc != 0) {
    close(inPipe[1]);
    close(outPipe[0]);
    close(errPipe[0]);
    throw std::runtime_error("cannot start " + program + ": " + std::strerror(rc));
  }

  Run run;
  int inFd = inPipe[1], outFd = outPipe[0], errFd = errPipe[0];
  std::size_t written = 0;
  if (input.empty()) {
    close(inFd);
    inFd = -1;
  } else {
    SetNonBlocking(inFd);
  }
  const auto start = std::chrono::steady_clock::now();
  while (outFd >= 0 || errFd >= 0) {
    if (!run.timedOut && std::chrono::steady_clock::now() - start >
                             std::chrono::duration<double>(timeoutSeconds)) {
      kill(pid, SIGKILL);
      run.timedOut = true;
    }
    pollfd fds[3];
    nfds_t count = 0;
    if (inFd >= 0) fds[count++] = {inFd, POLLOUT, 0};
    if (outFd >= 0) fds[count++] = {outFd, POLLIN, 0};
    if (errFd >= 0) fds[count++] = {errFd, POLLIN, 0};
    if (poll(fds, count, 200) < 0 && errno != EINTR) break;
    for (nfds_t i = 0; i < count; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == inFd) {
        const ssize_t n = write(inFd, input.data() + written, input.size() - written);
        if (n > 0) written += static_cast<std::size_t>(n);
        // A program that stops reading its input early gets the rest no more.
        if (written == input.size() || (n < 0 && errno != EAGAIN && errno != EINTR)) {
          close(inFd);
          inFd = -1;
        }
        continue;
      }
      char buffer[65536];
      const ssize_t n = read(fds[i].fd, buffer, sizeof(buffer));
      if (n > 0) {
        (fds[i].fd == outFd ? run.out : run.err).append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
        close(fds[i].fd);
        (fds[i].fd == outFd ? outFd : errFd) = -1;
      }
    }
  }
  if (inFd >= 0) close(inFd);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  return run;
}

// ---- rendering and comparing ---------------------------------------------------------------------

// The machine-dependent values of the account lines: this machine's host name and its encoded
// network address.
constexpr std::string_view kHostLine = "@PJL SET JOBATTR=\"@CNAM=";
constexpr std::string_view kAddressLine = "@PJL SET JOBATTR=\"@HOAD=";
constexpr std::string_view kHostPlaceholder = "<host name>";
constexpr std::string_view kAddressPlaceholder = "<host address>";

// `line` (without its line feed) with the value of a host-name or address line replaced by its
// placeholder: the bytes between the line's prefix and its closing quote.
std::string NormaliseLine(std::string_view line) {
  for (const auto& [prefix, placeholder] :
       {std::pair{kHostLine, kHostPlaceholder}, std::pair{kAddressLine, kAddressPlaceholder}}) {
    if (!line.starts_with(prefix)) continue;
    std::size_t end = line.rfind('"');
    if (end == std::string_view::npos || end < prefix.size()) end = line.size();
    return std::string(prefix) + std::string(placeholder) + std::string(line.substr(end));
  }
  return std::string(line);
}

// A result as text: "exit <status>" (or "signal <number>"), the "PAGE:" and "ERROR:" lines of
// standard error as "err <line>", standard output as "out <line>" per line ("out*N <line>" for N
// equal lines in a row) and "tail <bytes>" for bytes after the last line feed.
std::string Render(const Run& run) {
  std::string text;
  if (run.signal != 0) {
    text += "signal " + std::to_string(run.signal) + "\n";
  } else {
    text += "exit " + std::to_string(run.exitStatus) + "\n";
  }
  for (std::string_view line : SplitLines(run.err)) {
    if (line.starts_with("PAGE:") || line.starts_with("ERROR:")) {
      text += "err " + Escape(line) + "\n";
    }
  }
  std::string_view out = run.out;
  std::string previous;
  std::size_t repeat = 0;
  const auto flush = [&] {
    if (repeat == 0) return;
    text += (repeat == 1 ? "out" : "out*" + std::to_string(repeat)) + " " + previous + "\n";
    repeat = 0;
  };
  while (!out.empty()) {
    const std::size_t end = out.find('\n');
    if (end == std::string_view::npos) {
      flush();
      text += "tail " + Escape(NormaliseLine(out)) + "\n";
      break;
    }
    std::string line = Escape(NormaliseLine(out.substr(0, end)));
    if (repeat > 0 && line == previous) {
      ++repeat;
    } else {
      flush();
      previous = std::move(line);
      repeat = 1;
    }
    out.remove_prefix(end + 1);
  }
  flush();
  return text;
}

// Whether a rendered line is an address line.  A machine without a network address other than
// the loopback writes no address line for a job without the address ticket, so whether the line
// is there at all depends on the machine: comparisons leave these lines out.
bool IsAddressLine(std::string_view line) {
  const std::size_t space = line.find(' ');
  if (space == std::string_view::npos || !line.starts_with("out")) return false;
  return line.substr(space + 1).starts_with(kAddressLine);
}

// The first difference of two rendered results, or "" when they are the same.
std::string FirstDifference(std::string_view expected, std::string_view actual) {
  std::vector<std::pair<int, std::string_view>> want, got;
  int number = 0;
  for (std::string_view line : SplitLines(expected)) {
    ++number;
    if (!IsAddressLine(line)) want.emplace_back(number, line);
  }
  number = 0;
  for (std::string_view line : SplitLines(actual)) {
    ++number;
    if (!IsAddressLine(line)) got.emplace_back(number, line);
  }
  for (std::size_t i = 0; i < std::max(want.size(), got.size()); ++i) {
    if (i < want.size() && i < got.size() && want[i].second == got[i].second) continue;
    std::string message;
    message += "  expected (line " + (i < want.size() ? std::to_string(want[i].first) : "-") +
               "): " + (i < want.size() ? std::string(want[i].second) : "<nothing more>") + "\n";
    message += "  got      (line " + (i < got.size() ? std::to_string(got[i].first) : "-") +
               "): " + (i < got.size() ? std::string(got[i].second) : "<nothing more>") + "\n";
    return message;
  }
  return "";
}

// A sanitizer report on standard error (the programs of a sanitizer build).
std::string SanitizerReport(std::string_view err) {
  for (std::string_view line : SplitLines(err)) {
    if (line.find("Sanitizer") != std::string_view::npos ||
        line.find("runtime error:") != std::string_view::npos) {
      return std::string(line);
    }
  }
  return "";
}

// ---- the corpus ----------------------------------------------------------------------------------

struct Options {
  fs::path bin, root, corpus;
  bool record = false;
  unsigned jobs = 0;
  std::string filter;
  double timeoutSeconds = 120;
  std::string leakSuppressions;  // fuzz/lsan.supp of the source tree
};

struct Outcome {
  bool ok = false;
  std::string message;
};

class TempTree {
 public:
  TempTree() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/tfcorpus.XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    fs::create_directory(root_ / "tmp");
    fs::create_directory(root_ / "work");
  }
  ~TempTree() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;
  std::string tmp() const { return (root_ / "tmp").string(); }
  std::string work() const { return (root_ / "work").string(); }

 private:
  fs::path root_;
};

std::string InputBytes(const Options& o, const Source& source) {
  if (source.kind == Source::Kind::Text) return source.value;
  const fs::path path = o.corpus / source.value;
  return path.extension() == ".lines" ? ExpandLines(path) : ReadFile(path);
}

Outcome RunCase(const Options& o, const Case& c) {
  TempTree tree;
  const std::string tmp = tree.tmp(), work = tree.work();
  for (const std::string& dir : c.makeDirs) fs::create_directories(fs::path(work) / dir);
  for (const auto& [name, content] : c.makeFiles) WriteFile(fs::path(work) / name, content);

  std::string ppd;
  if (c.ppd) ppd = (o.root / *c.ppd).string();
  if (c.ppdPath) ppd = Substitute(*c.ppdPath, tmp, work);
  if (c.ppd && !fs::is_regular_file(ppd)) return {false, "  no PPD " + ppd + "\n"};

  std::vector<std::string> args = {c.program};
  if (c.args) {
    for (const std::string& a : *c.args) args.push_back(Substitute(a, tmp, work));
  } else {
    args.insert(args.end(), {c.jobId, c.user, c.title, c.copies, c.options});
    switch (c.fileSource.kind) {
      case Source::Kind::None: break;
      case Source::Kind::CorpusFile:
        if (fs::path(c.fileSource.value).extension() != ".lines") {
          args.push_back((o.corpus / c.fileSource.value).string());
          break;
        }
        [[fallthrough]];
      case Source::Kind::Text:
        WriteFile(fs::path(work) / "job.ps", InputBytes(o, c.fileSource));
        args.push_back(work + "/job.ps");
        break;
      case Source::Kind::LiteralPath:
        args.push_back(Substitute(c.fileSource.value, tmp, work));
        break;
    }
  }
  const std::string input =
      c.stdinSource.kind == Source::Kind::None ? "" : InputBytes(o, c.stdinSource);
  const Run run = RunJob((o.bin / c.program).string(), std::move(args),
                         JobEnvironment(c, ppd, tmp, work, o.leakSuppressions), input,
                         o.timeoutSeconds);

  if (run.timedOut) return {false, "  did not end within " + std::to_string(o.timeoutSeconds) + " s\n"};
  if (const std::string report = SanitizerReport(run.err); !report.empty()) {
    return {false, "  sanitizer report: " + report + "\n"};
  }
  if (!fs::is_empty(tmp)) return {false, "  left a file in TMPDIR\n"};
  const std::string rendered = Render(run);
  const fs::path expectedPath = o.corpus / "expected" / (c.name + ".txt");
  if (o.record) {
    fs::create_directories(expectedPath.parent_path());
    WriteFile(expectedPath, rendered);
    return {true, ""};
  }
  if (!fs::exists(expectedPath)) return {false, "  no expected result (record the corpus)\n"};
  const std::string difference = FirstDifference(ReadFile(expectedPath), rendered);
  return {difference.empty(), difference};
}

// Expected results of cases that the manifest does not list.
void RemoveStaleResults(const Options& o, const std::vector<Case>& cases) {
  std::map<fs::path, bool> wanted;
  for (const Case& c : cases) wanted[o.corpus / "expected" / (c.name + ".txt")] = true;
  const fs::path dir = o.corpus / "expected";
  if (!fs::exists(dir)) return;
  std::vector<fs::path> stale;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.is_regular_file() && !wanted.count(entry.path())) stale.push_back(entry.path());
  }
  for (const fs::path& path : stale) fs::remove(path);
  // Directories left empty.
  for (bool removed = true; removed;) {
    removed = false;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
      if (entry.is_directory() && fs::is_empty(entry.path())) {
        fs::remove(entry.path());
        removed = true;
        break;
      }
    }
  }
}

int Main(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw std::runtime_error(arg + " needs a value");
      return argv[++i];
    };
    if (arg == "--bin") {
      o.bin = value();
    } else if (arg == "--root") {
      o.root = value();
    } else if (arg == "--corpus") {
      o.corpus = value();
    } else if (arg == "--record") {
      o.record = true;
    } else if (arg == "--jobs") {
      o.jobs = static_cast<unsigned>(std::stoul(value()));
    } else if (arg == "--filter") {
      o.filter = value();
    } else {
      throw std::runtime_error("unknown argument " + arg +
                               " (usage: corpus_replay --bin DIR --root DIR [--corpus DIR] "
                               "[--record] [--jobs N] [--filter TEXT])");
    }
  }
  if (o.bin.empty() || o.root.empty()) throw std::runtime_error("--bin and --root are needed");
  if (o.corpus.empty()) o.corpus = o.root / "tests" / "corpus";
  if (fs::exists(o.root / "fuzz" / "lsan.supp")) {
    o.leakSuppressions = fs::absolute(o.root / "fuzz" / "lsan.supp").string();
  }
  if (o.jobs == 0) o.jobs = std::max(2u, std::thread::hardware_concurrency());
  if (o.record && !o.filter.empty()) throw std::runtime_error("--record records every case");

  std::vector<Case> cases = ReadManifest(o.corpus / "manifest.txt");
  if (!o.filter.empty()) {
    std::erase_if(cases, [&](const Case& c) { return c.name.find(o.filter) == std::string::npos; });
  }
  if (cases.empty()) throw std::runtime_error("no case to run");

  signal(SIGPIPE, SIG_IGN);
  const auto start = std::chrono::steady_clock::now();
  std::vector<Outcome> outcomes(cases.size());
  std::atomic<std::size_t> next{0};
  std::vector<std::thread> workers;
  for (unsigned w = 0; w < std::min<std::size_t>(o.jobs, cases.size()); ++w) {
    workers.emplace_back([&] {
      for (std::size_t i; (i = next++) < cases.size();) {
        try {
          outcomes[i] = RunCase(o, cases[i]);
        } catch (const std::exception& e) {
          outcomes[i] = {false, std::string("  ") + e.what() + "\n"};
        }
      }
    });
  }
  for (std::thread& t : workers) t.join();
  if (o.record) RemoveStaleResults(o, cases);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  std::size_t failed = 0;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    if (outcomes[i].ok) continue;
    ++failed;
    std::printf("MISMATCH %s\n%s", cases[i].name.c_str(), outcomes[i].message.c_str());
  }
  std::printf("corpus: %zu cases %s, %zu failed, %.1f s\n", cases.size(),
              o.record ? "recorded" : "replayed", failed, seconds);
  return failed == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Main(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "corpus_replay: %s\n", e.what());
    return 2;
  }
}
