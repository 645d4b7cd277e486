// The floor of the start-up: a program that loads libcups and parses the PPD (environment
// variable PPD) once, then exits.  No filter can start faster or smaller than this.
#include <cups/ppd.h>

#include <cstdio>
#include <cstdlib>

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

int main() {
  const char* path = std::getenv("PPD");
  ppd_file_t* ppd = path != nullptr ? ppdOpenFile(path) : nullptr;
  if (ppd == nullptr) {
    std::fprintf(stderr, "ERROR: Unable to open the PPD file\n");
    return 1;
  }
  ppdClose(ppd);
  return 0;
}
