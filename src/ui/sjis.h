#pragma once

#include <QByteArray>
#include <QString>

// Field sizes and short strings count Shift-JIS (CP932) bytes, a double-byte character counting
// two, so every size check goes through these helpers.
namespace sjis {

// True when b is the first byte of a double-byte CP932 character.
bool isLeadByte(unsigned char b);

QByteArray fromUnicode(const QString& text);
QString toUnicode(const QByteArray& bytes);

// Length of the text in CP932 bytes.
int byteLength(const QString& text);

// The longest prefix of bytes that fits in maxBytes without splitting a double-byte character.
QByteArray cutBytes(const QByteArray& bytes, int maxBytes);

// The text cut to at most maxBytes CP932 bytes at a character boundary.
QString cut(const QString& text, int maxBytes);

}  // namespace sjis
