// French reasons for the file-system errors a user can meet, independent of the
// C locale (which must stay "C" so that the core reads numbers the same way).
#pragma once

#include <string>

namespace quenbrix_cli {

class ErrnoText {
  public:
    static std::string Reason(int error);
};

}  // namespace quenbrix_cli
