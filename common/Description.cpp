#include "common/Description.h"

#include "common/Cp1250.h"

QString Description::shown(const QString& stored) {
    QString text;
    text.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        if (stored[i] != u'\r')
            text.append(stored[i]);
        else if (i + 1 < stored.size() && stored[i + 1] == u'\n')
            continue; // the CR of a CR LF: the LF is the line break
        else
            text.append(QChar(LoneCr));
    }
    return text;
}

QString Description::stored(const QString& shown) {
    QString text;
    text.reserve(shown.size() + 8);
    for (const QChar c : shown) {
        if (c == u'\n')
            text.append(QStringLiteral("\r\n"));
        else if (c == QChar(LoneCr))
            text.append(u'\r');
        else
            text.append(c);
    }
    return text;
}

int Description::storedLength(const QString& shown) {
    return static_cast<int>(Cp1250::encode(stored(shown)).size());
}

int Description::overflow(const QString& shown, int end, int added, int capacity) {
    int excess = storedLength(shown) - capacity;
    int cut = 0;
    while (excess > 0 && cut < added) {
        excess -= storedLength(shown.mid(end - 1 - cut, 1));
        ++cut;
    }
    return cut;
}
