// Every window the programs borrow from Qt speaks Polish once Qt's catalog is installed,
// whatever the desktop's language: no English caption, button, header, tool tip or menu item.

#include "platform/core/Translations.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBoxes.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTextEdit>
#include <QTimer>
#include <functional>
#include <memory>

namespace {

// Qt's English words and phrases that its Polish catalog replaces.
const QStringList EnglishTexts = {"Look in",
                                  "File name",
                                  "Files of type",
                                  "Open",
                                  "Save",
                                  "Cancel",
                                  "Yes",
                                  "No",
                                  "Close",
                                  "Back",
                                  "Forward",
                                  "Parent Directory",
                                  "Create New Folder",
                                  "List View",
                                  "Detail View",
                                  "Name",
                                  "Size",
                                  "Type",
                                  "Date Modified",
                                  "Rename",
                                  "Delete",
                                  "Show hidden files",
                                  "New Folder",
                                  "Computer",
                                  "Undo",
                                  "Redo",
                                  "Cut",
                                  "Copy",
                                  "Paste",
                                  "Select All",
                                  "Copy Link Location",
                                  "Insert Unicode control character",
                                  "All Files (*)",
                                  "Abort",
                                  "Retry",
                                  "Ignore",
                                  "Apply",
                                  "Reset",
                                  "Help",
                                  "Discard"};
const QStringList EnglishPhrases = {"not found",   "does not exist", "Please verify",
                                    "Do you want", "File Folder",    " bytes"};

// A caption as read: without its access-key marks and a menu item's shortcut.
QString plain(QString text) {
    text = text.section(u'\t', 0, 0);
    text.remove(u'&');
    text = text.trimmed();
    while (text.endsWith(u':') || text.endsWith(u'.'))
        text.chop(1);
    return text;
}

// The texts a user sees or hears in a window and its children.
QStringList textsOf(QWidget* window) {
    QStringList texts{window->windowTitle()};
    for (QWidget* w : window->findChildren<QWidget*>()) {
        texts << w->toolTip() << w->accessibleName();
        if (auto* label = qobject_cast<QLabel*>(w))
            texts << label->text().split(u'\n');
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            texts << button->text();
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            texts << edit->placeholderText();
        if (auto* combo = qobject_cast<QComboBox*>(w)) {
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
        }
        if (auto* header = qobject_cast<QHeaderView*>(w); header && header->model()) {
            for (int i = 0; i < header->count(); ++i)
                texts << header->model()->headerData(i, header->orientation()).toString();
        }
    }
    for (QAction* action : window->findChildren<QAction*>())
        texts << action->text() << action->toolTip();
    return texts;
}

QStringList englishAmong(const QStringList& texts) {
    QStringList found;
    for (const QString& text : texts) {
        const QString shown = plain(text);
        if (EnglishTexts.contains(shown, Qt::CaseInsensitive))
            found << shown;
        for (const QString& phrase : EnglishPhrases) {
            if (shown.contains(phrase, Qt::CaseInsensitive))
                found << shown;
        }
    }
    return found;
}

} // namespace

class TranslationsTest : public QObject {
    Q_OBJECT

    TestFolder dir_;
    QStringList seen_;

    // Runs `open`, which shows a modal window, reads that window's texts and closes it.
    void readModal(const std::function<void()>& open) {
        seen_.clear();
        QTimer::singleShot(50, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            seen_ = textsOf(modal);
            // A second box may follow a first (the dialog's check of a typed name).
            if (auto* box = qobject_cast<QMessageBox*>(modal))
                box->buttons().last()->click();
            else
                modal->close();
        });
        open();
    }

private slots:
    void initTestCase() {
        QVERIFY2(installPolishTranslations(*QCoreApplication::instance()),
                 "Qt's Polish catalog is missing (Debian package qt6-translations-l10n)");
        dir_.renew();
        dir_.write(QStringLiteral("Zamek.Kro"), "x");
    }

    void noEnglishInBorrowedWindows_data() {
        QTest::addColumn<int>("which");
        QTest::newRow("scenario dialog, player") << 0;
        QTest::newRow("scenario dialog, editor (Open/New)") << 1;
        QTest::newRow("save dialog (map)") << 2;
        QTest::newRow("standard error box") << 3;
        QTest::newRow("message box") << 4;
        QTest::newRow("question box") << 5;
        QTest::newRow("create question") << 6;
        QTest::newRow("missing file") << 7;
        QTest::newRow("missing folder") << 8;
    }

    void noEnglishInBorrowedWindows() {
        QFETCH(int, which);
        QtMessageBoxes boxes(QStringLiteral("Diziru"));
        QtFileOpenDialog player(FileOpenDialog::Options{});
        player.setStartFolder(dir_.path());
        QtFileOpenDialog editor({QStringLiteral("Open/New"), QStringLiteral("Kro"), false, true});
        editor.setStartFolder(dir_.path());
        const QString missing = dir_.filePath(QStringLiteral("Nowy.Kro"));
        readModal([&] {
            switch (which) {
            case 0:
                player.execute(nullptr);
                break;
            case 1:
                editor.execute(nullptr);
                break;
            case 2:
                QFileDialog::getSaveFileName(nullptr, {}, dir_.path(), {}, nullptr,
                                             QFileDialog::DontUseNativeDialog);
                break;
            case 3:
                boxes.error(AppError(AppError::AccessDenied));
                break;
            case 4:
                boxes.message(QStringLiteral("To juz koniec gry"));
                break;
            case 5:
                boxes.question(QStringLiteral("Naprawic pliki?"));
                break;
            case 6:
                editor.confirm(nullptr, missing);
                break;
            case 7:
                player.confirm(nullptr, missing);
                break;
            case 8:
                player.confirm(nullptr, dir_.filePath(QStringLiteral("brak/Nowy.Kro")));
                break;
            }
        });
        QVERIFY2(seen_.size() > 1, "no window came");
        QCOMPARE(englishAmong(seen_), QStringList{});
    }

    // The right-click menus of the editor's fields: one line and several lines.
    void noEnglishInContextMenus() {
        QLineEdit line(QStringLiteral("Rzeka"));
        QTextEdit text(QStringLiteral("Opis"));
        const std::unique_ptr<QMenu> lineMenu(line.createStandardContextMenu());
        const std::unique_ptr<QMenu> textMenu(text.createStandardContextMenu());
        QStringList texts;
        for (QMenu* menu : {lineMenu.get(), textMenu.get()}) {
            for (QAction* action : menu->actions())
                texts << action->text();
        }
        QVERIFY(texts.size() > 10);
        QCOMPARE(englishAmong(texts), QStringList{});
    }
};

KIT_TEST_MAIN(TranslationsTest)
#include "tst_translations.moc"
