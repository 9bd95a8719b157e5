#include "app/PrintLine.h"

#include <QByteArray>

namespace trevisk {

void printLine(const QString& text, FILE* stream)
{
    // Written whole: a NUL in the text must not end the line early.
    const QByteArray bytes = (text + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace trevisk
