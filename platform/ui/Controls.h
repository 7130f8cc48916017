#pragma once
// The control builder: each control of a fixed-size window named, placed and given its font.

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

namespace Controls {

// A font given by family and character height in pixels.
QFont font(const QString& family, int pixelHeight);
inline QFont times(int pixelHeight) {
    return font(QStringLiteral("Times New Roman"), pixelHeight);
}

// Names a control (its objectName is the name the code knows it by) and places it.
template <class W>
W* place(W* control, const char* name, const QRect& geometry, const QFont& font) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(geometry);
    control->setFont(font);
    return control;
}

// A new control of type W in `parent`, named and placed.
template <class W>
W* make(QWidget* parent, const char* name, const QRect& geometry, const QFont& font) {
    return place(new W(parent), name, geometry, font);
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption,
                    const QRect& geometry, const QFont& font);
// A label showing its text as plain text: scenario texts are never read as markup.
QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
              const QFont& font);

} // namespace Controls
