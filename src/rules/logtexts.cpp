#include "rules/logtexts.h"

namespace calllog {

QString PortText(uint8_t portSet) {
    return portSet < PortColumnTexts.size() ? PortColumnTexts[portSet] : QString();
}

QString KindText(uint8_t callKind) {
    return callKind < KindColumnTexts.size() ? KindColumnTexts[callKind] : KindColumnTexts[0];
}

}  // namespace calllog
