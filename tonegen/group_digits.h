// Large numbers in French messages.
#pragma once

#include <cstdint>
#include <string>

namespace tonegen {

// 48696 → "48 696", with a no-break space between the groups.
std::string GroupDigits(std::int64_t value);

}  // namespace tonegen
