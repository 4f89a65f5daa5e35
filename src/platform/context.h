// Everything a command of the program reaches: the platform behind its
// interfaces, the services' addresses, the run directory and the two shared
// variables. One Context lives as long as the main window.
//
// Besides SharedState, the commands hand data to each other through the
// window's controls (platform/controls.h names them and says who writes and
// who reads each): the working product list, filled by the promotion parser
// or a conversion and read by the page assembly and the export; the product
// count box, which the conversions overwrite for the export; the editor
// fields, loaded from the template and read by the page assembly; the export
// result list; and the link and converted lists of the conversion tab.
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
