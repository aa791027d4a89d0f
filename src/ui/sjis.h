#pragma once

#include <QByteArray>
#include <QString>

// Field sizes and short strings count Shift-JIS (CP932) bytes, a double-byte character counting
// two, so every size check goes through these helpers.
namespace ui::sjis {

// True when b is the first byte of a double-byte CP932 character.
bool isLeadByte(unsigned char b);

QByteArray fromUnicode(const QString& text);
QString toUnicode(const QByteArray& bytes);

// Length of the text in CP932 bytes; a character without a CP932 form counts two.
int byteLength(const QString& text);

// The longest prefix of bytes that fits in maxBytes without splitting a double-byte character.
QByteArray cutBytes(const QByteArray& bytes, int maxBytes);

// The longest start of the text that takes at most maxBytes CP932 bytes, as byteLength counts
// them; its characters stay as they are, those without a CP932 form too.
QString cut(const QString& text, int maxBytes);

}  // namespace ui::sjis
