#include "rules/logtexts.h"

namespace rules {

QString portText(uint8_t portSet) {
    return portSet < PortColumnTexts.size() ? PortColumnTexts[portSet] : QString();
}

QString kindText(uint8_t callKind) {
    return callKind < KindColumnTexts.size() ? KindColumnTexts[callKind] : KindColumnTexts[0];
}

}  // namespace rules
