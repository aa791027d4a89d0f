#pragma once

#include "db/calllogtable.h"

namespace rules {

// The call log window's filter: 0 calls made, 1 calls received, 2 answering machine, any other
// mode every row.
bool acceptsLogRow(int filterMode, const db::LogRow& row);

}  // namespace rules
