#include "editor/MapWindow.h"
#include "tests/authoring/RoadsAnywhere.h"
#include "tests/support/Child.h"
#include "tests/support/RecordingMessageBoxes.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"

#include <QAbstractGraphicsShapeItem>
#include <QDir>
#include <QFontMetricsF>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsView>
#include <QImage>
#include <QLabel>
#include <QPen>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtMath>
#include <map>
#include <random>

namespace {

// A story of `n` situations: each leads on to the next and, by its choice 2, to the one after;
// the last is an ending. Situation 2 is "Łąka". `path` is where its situation file is said to be.
std::shared_ptr<const ScenarioSnapshot> chain(std::int32_t n, const QString& path = {}) {
    auto made = std::make_shared<ScenarioSnapshot>();
    made->situationFilePath = path;
    for (std::int32_t k = 0; k < n; ++k) {
        TRekordKroku rekord;
        const QString name = k == 2 ? QStringLiteral("Łąka") : QStringLiteral("Krok %1").arg(k);
        rekord.Nazwa.assign(name);
        rekord.Krok_Wybrany1.set(k + 1 < n ? k + 1 : -1);
        rekord.Krok_Wybrany2.set(k + 2 < n ? k + 2 : -1);
        TRekordListy lista;
        lista.Nazwa.assign(name);
        lista.Typ = k == 0 || k == n - 1 ? Koniec : k == 1 ? Poczatek : Wybory2;
        made->rekordy.push_back(rekord);
        made->listy.push_back(lista);
    }
    return made;
}

bool inView(const MapWindow& window, std::int32_t k) {
    const QRect onScreen = child<QGraphicsView>(window, "view")
                               ->mapFromScene(window.box(k)->sceneBoundingRect())
                               .boundingRect();
    return child<QGraphicsView>(window, "view")->viewport()->rect().contains(onScreen);
}

bool onScreen(const MapWindow& window) {
    return window.screen()->availableGeometry().contains(window.frameGeometry());
}

// What the SVG says of a situation's box: its texts (label, then type letter) and where each
// stands, its baseline's left end.
struct SvgBox {
    QStringList texts;
    QList<QPointF> at;
    QString fill;
};

std::map<std::int32_t, SvgBox> svgBoxes(const QByteArray& svg) {
    std::map<std::int32_t, SvgBox> boxes;
    QXmlStreamReader xml(svg);
    SvgBox* box = nullptr;
    while (!xml.atEnd()) {
        xml.readNext();
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.isStartElement() && a.value(QStringLiteral("class")) == u"situation") {
            box = &boxes[a.value(QStringLiteral("id")).mid(1).toInt()];
        } else if (xml.isEndElement() && xml.name() == u"g") {
            box = nullptr;
        } else if (box != nullptr && xml.isStartElement() && xml.name() == u"path") {
            box->fill = a.value(QStringLiteral("fill")).toString();
        } else if (box != nullptr && xml.isStartElement() && xml.name() == u"text") {
            box->at << QPointF(a.value(QStringLiteral("x")).toDouble(),
                               a.value(QStringLiteral("y")).toDouble());
            box->texts << xml.readElementText();
        }
    }
    if (xml.hasError())
        qWarning() << xml.errorString();
    return xml.hasError() ? std::map<std::int32_t, SvgBox>{} : boxes;
}

} // namespace

class TestMapWindow : public QObject {
    Q_OBJECT

    TestFolder folder_;

private slots:
    void init() { folder_.renew(); }

    void clickOnABoxAsksForItsSituation_data() {
        QTest::addColumn<std::int32_t>("situation");
        QTest::newRow("start") << 1;
        QTest::newRow("middle") << 20;
        QTest::newRow("ending") << 39;
    }
    void clickOnABoxAsksForItsSituation() {
        QFETCH(std::int32_t, situation);
        RecordingMessageBoxes boxes;
        MapWindow window(boxes);
        window.show();
        window.showScenario(chain(40), nullptr, 1);
        child<QGraphicsView>(window, "view")->centerOn(window.box(situation));
        QSignalSpy clicked(&window, &MapWindow::situationClicked);
        const QPoint at = child<QGraphicsView>(window, "view")
                              ->mapFromScene(window.box(situation)->sceneBoundingRect().center());
        QTest::mouseClick(child<QGraphicsView>(window, "view")->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(clicked[0][0].value<std::int32_t>(), situation);
        // A drag pans and chooses nothing.
        QTest::mousePress(child<QGraphicsView>(window, "view")->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseMove(child<QGraphicsView>(window, "view")->viewport(), at + QPoint(60, 60));
        QTest::mouseRelease(child<QGraphicsView>(window, "view")->viewport(), Qt::LeftButton, {},
                            at + QPoint(60, 60));
        QCOMPARE(clicked.size(), 1);
    }

    void setCurrentHighlightsAndShows_data() {
        QTest::addColumn<std::int32_t>("size");
        QTest::addColumn<std::int32_t>("current");
        QTest::newRow("whole map, far down") << 40 << 38;
        QTest::newRow("whole map, back up") << 40 << 1;
        QTest::newRow("neighbourhood") << 1500 << 900;
    }
    void setCurrentHighlightsAndShows() {
        QFETCH(std::int32_t, size);
        QFETCH(std::int32_t, current);
        RecordingMessageBoxes boxes;
        MapWindow window(boxes);
        window.show();
        window.showScenario(chain(size), nullptr, 2);
        window.setCurrent(current);
        QVERIFY(window.box(current) != nullptr);
        QCOMPARE(window.box(current)->pen().widthF(), 3.0);
        if (window.box(2) != nullptr)
            QCOMPARE(window.box(2)->pen().widthF(), 1.0);
        QVERIFY(inView(window, current));
        const bool neighbourhood = size > MapRequest::WholeLimit;
        QCOMPARE(child<QSpinBox>(window, "steps")->isVisible(), neighbourhood);
        if (neighbourhood) {
            // Laid out anew around the current situation: a step goes one or two situations
            // either way, so 3 steps reach 6 either way and one step 2.
            QCOMPARE(window.layout().nodes.size(), std::size_t(6 + 1 + 6));
            QVERIFY(window.box(current + 6) != nullptr);
            child<QSpinBox>(window, "steps")->setValue(1);
            QCOMPARE(window.layout().nodes.size(), std::size_t(2 + 1 + 2));
            QVERIFY(window.box(current + 3) == nullptr);
        }
    }

    // Roads that lead anywhere: dot takes well over 200 ms for the whole map or for 300
    // situations of a neighbourhood, and no layout at all meets a deadline of 0 ms.
    void layoutOutOfTime_data() {
        QTest::addColumn<int>("wholeMs");
        QTest::addColumn<int>("neighbourhoodMs");
        QTest::addColumn<QString>("info"); // how it begins; empty: the error box
        const QString fallback = QStringLiteral(
            "Cały scenariusz układa się zbyt długo – pokazuję otoczenie sytuacji 7: ");
        QTest::newRow("whole too slow") << 200 << 60000 << fallback + "300 z 1000";
        // A deadline of nothing is out of time at once: every halving runs out down to the
        // smallest neighbourhood, whatever the machine's speed.
        QTest::newRow("even the smallest too slow") << 0 << 0 << QString();
    }
    void layoutOutOfTime() {
        QFETCH(int, wholeMs);
        QFETCH(int, neighbourhoodMs);
        QFETCH(QString, info);
        RecordingMessageBoxes boxes;
        MapWindow window(boxes);
        window.setDeadlines(
            {std::chrono::milliseconds(wholeMs), std::chrono::milliseconds(neighbourhoodMs)});
        window.show();
        if (info.isEmpty())
            boxes.expectError(QStringLiteral(
                "Otoczenie sytuacji 7 układa się zbyt długo nawet przy 25 sytuacjach"));
        window.showScenario(roadsAnywhere(1000), nullptr, 7);
        QVERIFY(boxes.verifyAllShown());
        QVERIFY(child<QSpinBox>(window, "steps")->isVisible());
        QVERIFY2(child<QLabel>(window, "info")->text().startsWith(info),
                 qPrintable(child<QLabel>(window, "info")->text()));
        if (info.isEmpty()) {
            QVERIFY(window.layout().nodes.empty());
            return;
        }
        QCOMPARE(window.box(7)->pen().widthF(), 3.0);
        QCOMPARE(window.layout().nodes.size(), std::size_t(300));
    }

    // The save dialog proposes the scenario's name with "-mapa.svg", in the scenario's folder.
    void proposesAMapBesideTheScenario_data() {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("proposed");
        QTest::newRow("demo") << "Zamek.Kro"
                              << "Zamek-mapa.svg";
        QTest::newRow("dots in the name") << "stary.zamek.kro"
                                          << "stary.zamek-mapa.svg";
        QTest::newRow("in a subfolder") << "gry/Las.Kro"
                                        << "gry/Las-mapa.svg";
    }
    void proposesAMapBesideTheScenario() {
        QFETCH(QString, scenario);
        QFETCH(QString, proposed);
        RecordingMessageBoxes boxes;
        QString asked;
        MapWindow window(boxes, nullptr, [&](const QString& offered) {
            asked = offered;
            return QString();
        });
        window.showScenario(chain(6, folder_.filePath(scenario)), nullptr, 1);
        QTest::mouseClick(child<QPushButton>(window, "save"), Qt::LeftButton);
        QCOMPARE(asked, folder_.filePath(proposed));
    }

    // The saved SVG holds the window's boxes: the same situations, texts, places and colours.
    void svgHoldsTheBoxesOfTheWindow_data() {
        QTest::addColumn<std::int32_t>("size");
        QTest::addColumn<std::int32_t>("current");
        QTest::newRow("whole map, at the start") << 40 << 1;
        QTest::newRow("whole map, farther on") << 40 << 6;
        QTest::newRow("neighbourhood") << 1500 << 900;
    }
    void svgHoldsTheBoxesOfTheWindow() {
        QFETCH(std::int32_t, size);
        QFETCH(std::int32_t, current);
        RecordingMessageBoxes boxes;
        const QString path = folder_.filePath(QStringLiteral("mapa.svg"));
        MapWindow window(boxes, nullptr, [&](const QString&) { return path; });
        window.showScenario(chain(size), nullptr, current);
        QTest::mouseClick(child<QPushButton>(window, "save"), Qt::LeftButton);
        QVERIFY(boxes.verifyAllShown());
        const std::map<std::int32_t, SvgBox> saved = svgBoxes(readFile(path));
        QCOMPARE(saved.size(), window.layout().nodes.size());
        for (const auto& [k, svg] : saved) {
            QAbstractGraphicsShapeItem* box = window.box(k);
            QVERIFY2(box != nullptr, qPrintable(QString::number(k)));
            QCOMPARE(svg.fill, box->brush().color().name());
            QCOMPARE(svg.texts.size(), box->childItems().size());
            for (qsizetype i = 0; i < svg.texts.size(); ++i) {
                const auto* text =
                    qgraphicsitem_cast<QGraphicsSimpleTextItem*>(box->childItems()[i]);
                QVERIFY(text != nullptr);
                QCOMPARE(svg.texts[i], text->text());
                const QPointF baseline =
                    text->scenePos() + QPointF(0, QFontMetricsF(text->font()).ascent());
                QVERIFY2(QLineF(svg.at[i], baseline).length() < 0.01, qPrintable(svg.texts[i]));
            }
        }
    }

    // Whatever "Kroki" shows, the window, frame and all, stays within the screen's available
    // area, shown again too; so does one placed partly beyond the screen's edge.
    void windowStaysOnTheScreen_data() {
        QTest::addColumn<int>("steps"); // 0: the whole map
        QTest::newRow("whole map") << 0;
        for (int steps = 1; steps <= 10; ++steps)
            QTest::addRow("%d steps", steps) << steps;
    }
    void windowStaysOnTheScreen() {
        QFETCH(int, steps);
        RecordingMessageBoxes boxes;
        MapWindow window(boxes);
        // Out of time at once: the neighbourhood, with the longest information there is.
        if (steps > 0)
            window.setDeadlines({std::chrono::milliseconds(0), std::chrono::seconds(30)});
        window.show();
        window.showScenario(chain(201), nullptr, 100);
        QVERIFY(onScreen(window));
        if (steps > 0)
            child<QSpinBox>(window, "steps")->setValue(steps);
        QVERIFY(boxes.verifyAllShown());
        QVERIFY(onScreen(window));
        const QRect area = window.screen()->availableGeometry();
        window.move(area.right() - 100, area.bottom() - 100);
        window.hide();
        window.show();
        QVERIFY(onScreen(window));
    }

    // "Dopasuj" shows a long story as wide as the window at a zoom whose labels can be read,
    // and the rest scrolls; a small one whole.
    void fitKeepsTheLabelsReadable_data() {
        QTest::addColumn<std::int32_t>("size");
        QTest::addColumn<bool>("scrolls");
        QTest::newRow("200 situations") << 200 << true;
        QTest::newRow("6 situations") << 6 << false;
    }
    void fitKeepsTheLabelsReadable() {
        QFETCH(std::int32_t, size);
        QFETCH(bool, scrolls);
        RecordingMessageBoxes boxes;
        MapWindow window(boxes);
        window.show();
        window.showScenario(chain(size), nullptr, 1);
        child<QPushButton>(window, "zoomOut")->click();
        child<QPushButton>(window, "fit")->click();
        QVERIFY(child<QGraphicsView>(window, "view")->transform().m11() >= MapWindow::LeastFitZoom);
        QCOMPARE(child<QGraphicsView>(window, "view")->verticalScrollBar()->maximum() > 0, scrolls);
        QCOMPARE(child<QGraphicsView>(window, "view")->horizontalScrollBar()->maximum(), 0);
        QVERIFY(inView(window, 1));
        if (!scrolls)
            QVERIFY(inView(window, size - 1));
    }

    void saveWritesTheChosenFile_data() {
        QTest::addColumn<QString>("name"); // empty: the chooser is cancelled
        QTest::addColumn<bool>("fails");
        QTest::addColumn<QString>("why"); // after the path of a refused file
        QTest::newRow("svg") << QStringLiteral("mapa.svg") << false << QString();
        QTest::newRow("png") << QStringLiteral("mapa.PNG") << false << QString();
        QTest::newRow("cancelled") << QString() << false << QString();
        const QString missing = QStringLiteral(": No such file or directory");
        QTest::newRow("folder missing") << QStringLiteral("brak/mapa.svg") << true << missing;
        QTest::newRow("png, folder missing") << QStringLiteral("brak/mapa.png") << true << missing;
        const QString link = QStringLiteral(": nic nie zostało zapisane, bo jest tam dowiązanie "
                                            "symboliczne; program nie zapisuje przez dowiązania, "
                                            "bo mogą prowadzić poza folder");
        QTest::newRow("a dangling link") << QStringLiteral("link.svg") << true << link;
        QTest::newRow("a link to a file elsewhere") << QStringLiteral("plik.png") << true << link;
        QTest::newRow("a folder") << QStringLiteral("teczka.svg") << true
                                  << QStringLiteral(
                                         ": nic nie zostało zapisane, bo jest tam folder");
    }
    void saveWritesTheChosenFile() {
        QFETCH(QString, name);
        QFETCH(bool, fails);
        QFETCH(QString, why);
        const QString path = name.isEmpty() ? QString() : folder_.filePath(name);
        // What a shared folder may hold at the chosen name: links to files outside it.
        QTemporaryDir elsewhere;
        const QString victim = elsewhere.filePath(QStringLiteral("authorized_keys"));
        if (name == u"plik.png")
            QVERIFY(writeFile(victim, "klucz"));
        if (name == u"link.svg" || name == u"plik.png")
            QVERIFY(QFile::link(victim, path));
        if (name == u"teczka.svg")
            QVERIFY(QDir().mkdir(path));
        if (!why.isEmpty())
            why.prepend(path);
        RecordingMessageBoxes boxes;
        int asked = 0;
        MapWindow window(boxes, nullptr, [&](const QString&) {
            ++asked;
            return path;
        });
        window.showScenario(chain(6), nullptr, 1);
        if (fails)
            boxes.expectError(
                QStringLiteral("Nie można zapisać mapy w pliku %1\n%2").arg(path, why));
        QTest::mouseClick(child<QPushButton>(window, "save"), Qt::LeftButton);
        QCOMPARE(asked, 1);
        QVERIFY(boxes.verifyAllShown());
        if (name.isEmpty() || fails) {
            QCOMPARE(QDir(folder_.path())
                         .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System),
                     QFileInfo(path).isSymLink() || QFileInfo(path).isDir() ? QStringList{name}
                                                                            : QStringList());
            QCOMPARE(readFile(victim), QByteArray(name == u"plik.png" ? "klucz" : ""));
            QCOMPARE(QFileInfo::exists(victim), name == u"plik.png");
            return;
        }
        if (name.endsWith(QStringLiteral(".svg"))) {
            QXmlStreamReader xml(readFile(path));
            QStringList texts;
            while (!xml.atEnd()) {
                if (xml.readNext() == QXmlStreamReader::StartElement &&
                    xml.name() == QStringLiteral("text"))
                    texts << xml.readElementText();
            }
            QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
            QVERIFY(texts.contains(QStringLiteral("2 Łąka")));
        } else {
            const QImage image(path, "PNG");
            QVERIFY(!image.isNull());
            QCOMPARE(image.width(),
                     qCeil(child<QGraphicsView>(window, "view")->sceneRect().width() * 2));
            QCOMPARE(image.height(),
                     qCeil(child<QGraphicsView>(window, "view")->sceneRect().height() * 2));
        }
    }
};

KIT_TEST_MAIN(TestMapWindow)
#include "tst_map_window.moc"
