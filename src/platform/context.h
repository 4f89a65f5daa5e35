// Everything a command of the program reaches: the platform behind its
// interfaces, the services' addresses, the run directory and the two shared
// variables. One Context lives as long as the main window.
#pragma once

#include "platform/endpoints.h"
#include "platform/file_system.h"
#include "platform/http.h"
#include "platform/spreadsheet.h"
#include "platform/text_codec.h"
#include "platform/ui.h"
#include "text/text.h"

namespace pagloom {

struct SharedState {
  int stop_requested = 0;   // set by 按钮5, polled by the generation run
  Text current_keyword;     // the keyword whose page is being made
  bool run_active = false;  // a generation run is under way (guards against a nested start)
};

struct Context {
  Ui& ui;
  FileSystem& files;
  Http& http;
  Spreadsheet& spreadsheet;
  TextCodec& codec;
  Endpoints endpoints;
  Text run_directory;  // GBK, no trailing separator
  SharedState state;
};

}  // namespace pagloom
