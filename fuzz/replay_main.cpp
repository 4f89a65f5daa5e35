// A main for the fuzz targets without a fuzzing engine: runs every file named
// on the command line, or every file of every folder named there (in name
// order), through LLVMFuzzerTestOneInput once. CI replays the seed corpora
// with it; a crash or a failed check ends the run with the offending file
// named on stderr.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_target.h"

namespace {

bool run_file(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::cerr << "cannot read " << file << '\n';
    return false;
  }
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::cerr << "running " << file.string() << '\n';
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: " << argv[0] << " file-or-folder...\n";
    return 2;
  }
  int runs = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg(argv[i]);
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(arg)) {
      for (const auto& entry : std::filesystem::directory_iterator(arg)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
      std::sort(files.begin(), files.end());
    } else {
      files.push_back(arg);
    }
    for (const auto& file : files) {
      if (!run_file(file)) return 1;
      ++runs;
    }
  }
  std::cout << runs << " inputs ran clean\n";
  return runs > 0 ? 0 : 1;
}
