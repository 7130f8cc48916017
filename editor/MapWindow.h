#pragma once
// The window MapWindow: the scenario map, its situations as boxes and its roads as arrows.

#include "authoring/MapModel.h"

#include <QWidget>
#include <chrono>
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
// "Dopasuj" or "0" (to the window's width, never so small that the boxes cannot be read);
// drag to pan. The window, frame and all, stays within the available area of its screen.
// "Zapisz jako SVG/PNG" saves the picture the window draws. A click on a box asks the editor to go
// to its situation. Every layout runs in a child process under a deadline (MapDeadlines), under a
// busy cursor: a scenario whose roads lead anywhere can take dot minutes, and the editor must not
// freeze.
class MapWindow : public QWidget {
    Q_OBJECT

public:
    // Asks for the file to save the map to, proposing `proposed` (the scenario's name with
    // "-mapa.svg", in its folder); an empty name cancels. The name's ending (".svg" or ".png")
    // chooses the format.
    using FileChooser = std::function<QString(const QString& proposed)>;

    // Without a chooser, the standard save dialog asks (filters "SVG (*.svg)", "PNG (*.png)").
    // The pixel size of a box's label at zoom 1, and the least zoom "Dopasuj" goes down to:
    // below it the labels are too small to read, and the map scrolls instead.
    static constexpr int LabelPixels = 12;
    static constexpr double LeastFitZoom = 8.0 / LabelPixels;

    explicit MapWindow(MessageBoxes& boxes, QWidget* parent = nullptr, FileChooser chooser = {});
    ~MapWindow() override;

    // For layouts from the next one on.
    void setDeadlines(const MapDeadlines& deadlines) { deadlines_ = deadlines; }

    // Shows `snapshot` anew, coloured by `report` (null: not checked), `current` highlighted
    // and in view. A layout that fails is shown in the error box and leaves the map empty.
    void showScenario(std::shared_ptr<const ScenarioSnapshot> snapshot,
                      std::shared_ptr<const CheckReport> report, std::int32_t current);
    // Highlights situation k and brings it into view; a neighbourhood is laid out anew
    // around it.
    void setCurrent(std::int32_t k);

    const MapLayout& layout() const { return layout_; }
    // The file the save dialog proposes: "<scenario>-mapa.svg" beside the scenario.
    QString proposedFileName() const;
    // The box of situation k, or null when it is not on the map.
    QAbstractGraphicsShapeItem* box(std::int32_t k) const;

signals:
    void situationClicked(std::int32_t k);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QLabel* stepsLabel;
    QSpinBox* steps;
    QPushButton* zoomIn;
    QPushButton* zoomOut;
    QPushButton* fit;
    QPushButton* save;
    QLabel* info;
    QGraphicsView* view;
    QLabel* legend;
    void relayout();
    void showSteps();
    void draw();
    void highlight(std::int32_t k);
    void zoom(double factor);
    void fitMap();
    void keepOnScreen();
    void saveAs();
    void saveSvg(const QString& path) const;
    void savePng(const QString& path) const;

    MessageBoxes& boxes_;
    FileChooser chooser_;
    std::unique_ptr<MapScenario> scenario_;
    MapRequest request_;
    MapLayout layout_;
    MapDeadlines deadlines_;
    QGraphicsScene* scene_;
    std::vector<QAbstractGraphicsShapeItem*> boxItems_; // in the order of layout_.nodes
    QPoint pressedAt_;
};
