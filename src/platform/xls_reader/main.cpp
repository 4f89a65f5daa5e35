// pagloom-xls-reader WORKBOOK SHEET: writes the sheet's records to standard
// output as an xls_wire stream. Started by the program for each export it
// reads, so that a workbook that crashes or exhausts FreeXL takes down only
// this process.
#include <cstdio>
#include <cstdlib>

#include "platform/xls_reader/xls_reader.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: pagloom-xls-reader WORKBOOK SHEET\n", stderr);
    return 2;
  }
  bool written = true;
  pagloom::xls_reader::read_sheet(argv[1], argv[2], [&written](std::string_view piece) {
    if (written && std::fwrite(piece.data(), 1, piece.size(), stdout) != piece.size()) written = false;
  });
  if (std::fflush(stdout) != 0) written = false;
  return written ? EXIT_SUCCESS : EXIT_FAILURE;
}
