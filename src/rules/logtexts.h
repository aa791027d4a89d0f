#pragma once

#include <QString>
#include <array>
#include <cstdint>

// The texts of the call log's port and kind columns. The filter of the call log table compares
// the kind column with exactly these texts.
namespace rules {

// Index = PortSet, one fixed position per port; 0 ends the log and has no text.
inline const std::array<QString, 8> PortColumnTexts{QString(),
                                                    QStringLiteral("１　　"),
                                                    QStringLiteral("　２　"),
                                                    QStringLiteral("１２　"),
                                                    QStringLiteral("　　３"),
                                                    QStringLiteral("１　３"),
                                                    QStringLiteral("　２３"),
                                                    QStringLiteral("１２３")};

// Index = CallKind.
inline const std::array<QString, 6> KindColumnTexts{
    QStringLiteral("？？"), QStringLiteral("▲発信"), QStringLiteral("▽着信"),
    QStringLiteral("ＣＢ"), QStringLiteral("中継"),  QStringLiteral("着転")};

inline const QString AnsweringMachineText = QStringLiteral("▽留守");

// What a port the system refused the user tells, in the port message and on the command line.
inline const QString PortPermissionText = QStringLiteral(
    "ポートを使う権限がありません。dialout グループに加わり、ログインし直してください。");

// A port set beyond the three ports has no text.
QString portText(uint8_t portSet);
// A kind the table does not know shows as "？？", as kind 0 does.
QString kindText(uint8_t callKind);

}  // namespace rules
