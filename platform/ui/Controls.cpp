#include "platform/ui/Controls.h"

#include <QLabel>
#include <QPushButton>

namespace Controls {

QFont font(const QString& family, int pixelHeight) {
    QFont f(family);
    f.setPixelSize(pixelHeight);
    return f;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption,
                    const QRect& geometry, const QFont& font) {
    auto* b = make<QPushButton>(parent, name, geometry, font);
    b->setText(caption);
    return b;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
              const QFont& font) {
    auto* l = make<QLabel>(parent, name, geometry, font);
    l->setTextFormat(Qt::PlainText);
    l->setText(text);
    return l;
}

} // namespace Controls
