// quenbrix-tone --check: reads each recording and says which keys it holds.
#pragma once

#include "command_line.h"

namespace quenbrix_cli {

// Every file is checked, even after one fails. Exit status 0 when all were
// read (and hold the expected keys), 1 otherwise.
int RunCheck(const CheckRequest& request);

}  // namespace quenbrix_cli
