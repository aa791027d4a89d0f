#include "rules/logfilter.h"

namespace calllog {

bool acceptsLogRow(int filterMode, const db::LogRow& row) {
    switch (filterMode) {
        case 0:
            return row.Kind == QStringLiteral("▲発信");
        case 1:
            return row.Kind == QStringLiteral("▽着信");
        case 2:
            return row.Kind == QStringLiteral("▽留守");
        default:
            return true;
    }
}

}  // namespace calllog
