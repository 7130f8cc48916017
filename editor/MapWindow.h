#pragma once
// The window MapWindow: the scenario map, its situations as boxes and its roads as arrows.

#include "authoring/MapLayout.h"

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

class MessageBoxes;
class QAbstractGraphicsShapeItem;
class QGraphicsScene;
class QGraphicsView;
class QLabel;
class QPushButton;
class QSpinBox;

// Draws the map that Graphviz lays out: the whole scenario up to 1,000 situations, else the
// neighbourhood of the current situation. Zoom with Ctrl+wheel, "+" and "-", fit with
// "Dopasuj" or "0"; drag to pan. A click on a box asks the editor to go to its situation.
class MapWindow : public QWidget {
    Q_OBJECT

public:
    // Asks for the file to save the map to; an empty name cancels. The name's ending (".svg"
    // or ".png") chooses the format.
    using FileChooser = std::function<QString()>;

    // Without a chooser, the standard save dialog asks (filters "SVG (*.svg)", "PNG (*.png)").
    explicit MapWindow(MessageBoxes& boxes, QWidget* parent = nullptr, FileChooser chooser = {});
    ~MapWindow() override;

    // Shows `snapshot` anew, coloured by `report` (null: not checked), `current` highlighted
    // and in view. A layout that fails is shown in the error box and leaves the map empty.
    void showScenario(std::shared_ptr<const ScenarioSnapshot> snapshot,
                      std::shared_ptr<const CheckReport> report, std::int32_t current);
    // Highlights situation k and brings it into view; a neighbourhood is laid out anew
    // around it.
    void setCurrent(std::int32_t k);

    const MapLayout& layout() const { return layout_; }
    // The box of situation k, or null when it is not on the map.
    QAbstractGraphicsShapeItem* box(std::int32_t k) const;

    QLabel* stepsLabel;
    QSpinBox* steps;
    QPushButton* zoomIn;
    QPushButton* zoomOut;
    QPushButton* fit;
    QPushButton* save;
    QLabel* info;
    QGraphicsView* view;
    QLabel* legend;

signals:
    void situationClicked(std::int32_t k);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void relayout();
    void draw();
    void highlight(std::int32_t k);
    void zoom(double factor);
    void fitMap();
    void saveAs();
    void saveSvg(const QString& path) const;
    void savePng(const QString& path) const;

    MessageBoxes& boxes_;
    FileChooser chooser_;
    std::unique_ptr<MapScenario> scenario_;
    MapRequest request_;
    MapLayout layout_;
    QGraphicsScene* scene_;
    std::vector<QAbstractGraphicsShapeItem*> boxItems_; // in the order of layout_.nodes
    QPoint pressedAt_;
};
