#include "RawCommand.h"

#include <QRegularExpression>

#include "DevModeConstants.h"

namespace vantory::devmodes {

namespace {

const QRegularExpression& decimalSeparators() {
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    return separators;
}

const QRegularExpression& hexSeparators() {
    static const QRegularExpression separators(QStringLiteral("\\s+"));
    return separators;
}

const QRegularExpression& decimalByte() {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,3}$"));
    return digits;
}

const QRegularExpression& hexByte() {
    static const QRegularExpression digits(
        QStringLiteral("^[0-9A-Fa-f]{1,%1}$").arg(kMaxHexGroupLength));
    return digits;
}

}  // namespace

RawCommand parseRawCommand(const QString& text, bool decimal) {
    QString cleaned = text;
    cleaned.remove(QStringLiteral("0x"), Qt::CaseSensitive);
    RawCommand command;
    if (cleaned.size() <= 1) return command;

    const QStringList groups =
        cleaned.split(decimal ? decimalSeparators() : hexSeparators(), Qt::SkipEmptyParts);
    const int base = decimal ? 10 : 16;
    const QRegularExpression& byteForm = decimal ? decimalByte() : hexByte();
    for (const QString& group : groups) {
        // Each group is one byte: "1 2" is 1 and 2, never 0x12, and a group that is no
        // number is refused instead of being skipped.
        const unsigned value = group.toUInt(nullptr, base);
        if (!byteForm.match(group).hasMatch() || value > static_cast<unsigned>(kMaxByteValue)) {
            command.bytes.clear();
            command.rejectedPart = group;
            return command;
        }
        command.bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return command;
}

}  // namespace vantory::devmodes
