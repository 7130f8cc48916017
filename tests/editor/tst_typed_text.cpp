// What the editor's fields take when a character Windows-1250 cannot hold is typed or pasted:
// it is dropped with a hint, so that what a field shows is what a save stores.

#include "common/Cp1250.h"
#include "tests/support/Child.h"
#include "tests/support/EditorUnderTest.h"
#include "tests/support/FaultyRecordFile.h"
#include "tests/support/RecordingMessageBoxes.h"
#include "tests/support/ScenarioBuilder.h"
#include "tests/support/TestMain.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

namespace {

struct Editor : EditorUnderTest<RecordingMessageBoxes, FaultyRecordFileFactory> {
    Editor() { activate(); }
};

// The text the field shows, and the widget that takes its keys.
QString shownText(QWidget* field) {
    if (auto* memo = qobject_cast<QPlainTextEdit*>(field))
        return memo->toPlainText();
    if (auto* box = qobject_cast<QComboBox*>(field))
        return box->currentText();
    return qobject_cast<QLineEdit*>(field)->text();
}

QWidget* keyTaker(QWidget* field) {
    auto* box = qobject_cast<QComboBox*>(field);
    return box ? box->lineEdit() : field;
}

// One key per character, with the character as the key's text, as a keyboard sends it:
// QTest::keyClicks can send Latin-1 letters only, and an emoji as two halves.
void type(QWidget* widget, const QString& text) {
    for (const char32_t c : text.toUcs4()) {
        if (c == u'\n')
            QTest::keyClick(widget, Qt::Key_Return);
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString::fromUcs4(&c, 1),
                                Qt::NoModifier);
    }
}

} // namespace

class TestTypedText : public QObject {
    Q_OBJECT

private slots:
    void init() { folder_.renew(); }

    // Each kind of field, typed into and pasted into: what Windows-1250 cannot hold is dropped
    // and named in the hint (the last one typed, the first one of a paste), the rest is kept;
    // the situation saved and read back shows exactly what the field showed.
    void refusedCharactersNeverEnterAField_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<uint>("hinted"); // 0: no hint
        // Each field with a text of held letters, and (for the fields whose text is free) one
        // as long as the field holds: the characters dropped do not count against the length.
        struct Field {
            const char* name;
            QString base;
            QString full;
        };
        const Field fields[] = {
            {"ENazwa", QStringLiteral("Żółta łąka"), QStringLiteral("Żółta łąka nad rzeką")},
            {"MeOpis", QStringLiteral("Zażółć gęślą\njaźń"),
             QString(124, u'ą') + u'\n' + QString(124, u'ź')}, // 250 bytes
            {"EWybor1", QStringLiteral("Idź w ciemność"), QString(45, u'ż')},
            {"CBKrok_Wybrany1", QStringLiteral("Łąka"), {}},
            {"CBTyp", QStringLiteral("Wybory1"), {}}};
        for (const Field& f : fields) {
            const char* field = f.name;
            const QString& base = f.base;
            const auto within = [&base](const QString& refused) {
                return base.left(2) + refused + base.mid(2);
            };
            const QString mix = base.left(1) + QStringLiteral("🎉") + base.mid(1, 2) +
                                QStringLiteral("ж中") + base.mid(3);
            for (const bool pasted : {false, true}) {
                const auto row = [&](const char* what) -> QTestData& {
                    return QTest::newRow(
                               qPrintable(QStringLiteral("%1, %2 %3")
                                              .arg(QLatin1String(field), QLatin1String(what),
                                                   pasted ? u"pasted" : u"typed")))
                           << QString::fromLatin1(field) << pasted;
                };
                row("emoji") << within(QStringLiteral("🎉")) << base << 0x1F389u;
                row("Cyrillic") << within(QStringLiteral("ж")) << base << 0x436u;
                row("CJK") << within(QStringLiteral("中")) << base << 0x4E2Du;
                row("held letters") << base << base << 0u;
                row("mix") << mix << base << (pasted ? 0x1F389u : 0x4E2Du);
                if (f.full.isEmpty())
                    continue;
                row("held letters past the end") << f.full + QStringLiteral("ąx") << f.full << 0u;
                row("mix filling the field")
                    << f.full.left(1) + QStringLiteral("ж") + f.full.mid(1, f.full.size() - 2) +
                           QStringLiteral("🎉") + f.full.right(1)
                    << f.full << (pasted ? 0x436u : 0x1F389u);
            }
        }
    }
    void refusedCharactersNeverEnterAField() {
        QFETCH(QString, field);
        QFETCH(bool, pasted);
        QFETCH(QString, input);
        QFETCH(QString, shown);
        QFETCH(uint, hinted);
        const QString kro = folder_.filePath(QStringLiteral("Las.Kro"));
        QVERIFY(writeScenario(
            kro,
            {describedSituation(QStringLiteral("Default Koniec"), Koniec),
             describedSituation(QStringLiteral("Start"), Poczatek, {2}, {QStringLiteral("Idź")}),
             describedSituation(QStringLiteral("Łąka"), Wybory1, {0}, {QStringLiteral("Dalej")})}));
        Editor e;
        e.open(kro);
        Editor::click(child<QPushButton>(e.w, "BuNastepny"));
        QToolTip::hideText();
        QTRY_VERIFY(QToolTip::text().isEmpty());

        auto* target = e.w.findChild<QWidget*>(field);
        QVERIFY(target);
        if (auto* box = qobject_cast<QComboBox*>(target))
            box->setEditText(QString());
        else if (auto* memo = qobject_cast<QPlainTextEdit*>(target))
            memo->clear();
        else
            qobject_cast<QLineEdit*>(target)->clear();
        target->setFocus();
        if (pasted) {
            QGuiApplication::clipboard()->setText(input);
            QTest::keyClick(keyTaker(target), Qt::Key_V, Qt::ControlModifier);
        } else {
            type(keyTaker(target), input);
        }
        QCOMPARE(shownText(target), shown);
        QCOMPARE(QToolTip::text(), hinted ? Cp1250::refusedMessage(hinted) : QString());
        if (auto* memo = qobject_cast<QPlainTextEdit*>(target))
            QCOMPARE(memo->textCursor().position(), shown.size());

        Editor::click(child<QPushButton>(e.w, "BuZapisz"));
        QVERIFY(e.boxes.verifyAllShown());
        Editor::click(child<QPushButton>(e.w, "BuPrzywroc")); // the fields as read from the files
        QCOMPARE(shownText(target), shown);
    }

private:
    TestFolder folder_;
};

KIT_TEST_MAIN(TestTypedText)
#include "tst_typed_text.moc"
