# The export reader's fuzz target, fuzz_export_reader: pagloom-xls-reader's
# reading (src/platform/xls_reader) on any bytes as the workbook, with its
# seed corpus in corpus/export_reader/.
#
# Included from fuzz/CMakeLists.txt, which must define before the include:
#  - pagloom_fuzz_target(name source...): the executable fuzz_<name> built
#    with the fuzzing settings (libFuzzer-style LLVMFuzzerTestOneInput entry,
#    fuzz/fuzz_target.h on the include path) and, without an engine, the
#    replay of corpus/<name>/ as a test;
#  - PROJECT_SOURCE_DIR, the Pagloom source tree.
# FreeXL is found here through pkg-config; no Qt is needed.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PAGLOOM_FUZZ_FREEXL REQUIRED IMPORTED_TARGET freexl)

pagloom_fuzz_target(export_reader
  ${CMAKE_CURRENT_LIST_DIR}/export_reader_fuzz.cpp
  ${PROJECT_SOURCE_DIR}/src/platform/xls_reader/xls_reader.cpp
  ${PROJECT_SOURCE_DIR}/src/platform/xls_reader/biff_scan.cpp
  ${PROJECT_SOURCE_DIR}/src/platform/xls_reader/xls_wire.cpp)
target_include_directories(fuzz_export_reader PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(fuzz_export_reader PRIVATE PkgConfig::PAGLOOM_FUZZ_FREEXL)
