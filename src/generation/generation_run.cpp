#include "generation/generation_run.h"

namespace pagloom {

void start_generation(Context&) {}
void run_generation(Context&) {}

}  // namespace pagloom
