#include "Description.h"

QString Description::shown(const QString& stored) {
    QString text = stored;
    // A lone LF is a line break already; so is the LF of a CR LF, whose CR goes.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}
