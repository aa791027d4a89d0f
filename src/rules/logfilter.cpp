#include "rules/logfilter.h"

namespace rules {

bool acceptsLogRow(int filterMode, const db::LogRow& row) {
    switch (filterMode) {
        case 0:
            return row.kind == QStringLiteral("▲発信");
        case 1:
            return row.kind == QStringLiteral("▽着信");
        case 2:
            return row.kind == QStringLiteral("▽留守");
        default:
            return true;
    }
}

}  // namespace rules
