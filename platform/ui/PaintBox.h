#pragma once
// A plain drawing surface painted by its owner.

#include <QPainter>
#include <QWidget>
#include <functional>

// A plain drawing surface: its owner paints it whenever it needs repainting.
class PaintBox : public QWidget {
public:
    using PaintHandler = std::function<void(QPainter&)>;

    explicit PaintBox(QWidget* parent = nullptr) : QWidget(parent) {}
    void setPaintHandler(PaintHandler handler) { onPaint_ = std::move(handler); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (onPaint_)
            onPaint_(painter);
    }

private:
    PaintHandler onPaint_;
};
