#include "calllog/logtexts.h"

namespace calllog {

QString PortText(uint8_t portSet) {
    return portSet < PortTexts.size() ? PortTexts[portSet] : QString();
}

QString KindText(uint8_t callKind) {
    return callKind < KindTexts.size() ? KindTexts[callKind] : KindTexts[0];
}

}  // namespace calllog
