#include "conversion/convert_ids.h"

namespace pagloom {

ConvertOutcome convert_ids(Context&) { return ConvertOutcome::NothingConverted; }

}  // namespace pagloom
