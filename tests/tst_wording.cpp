// The words the reader sees: why a book cannot be opened, what the search says, the buttons of
// the message boxes, and Qt's own widgets through the program's translator.

#include "albanian_translator.h"
#include "wording.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace velmora;

class TestWording : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::installTranslator(&m_albanian); }
    void bookFailureNamesFileAndReason_data();
    void bookFailureNamesFileAndReason();
    void searchPromptsAreExact();
    void realBoxesSpeakAlbanian();
    void editMenuOfABoxIsAlbanian();
    void scrollBarMenuIsAlbanian();

private:
    AlbanianTranslator m_albanian;
};

void TestWording::bookFailureNamesFileAndReason_data()
{
    QTest::addColumn<BookFileError>("error");
    QTest::addColumn<QString>("message");
    QTest::newRow("a missing file") << BookFileError::Missing << "Skedari «%1» nuk u gjet.";
    QTest::newRow("a folder") << BookFileError::Folder
                              << "Skedari «%1» nuk mund të lexohet: është dosje, jo skedar.";
    QTest::newRow("a symbolic link that points to itself")
        << BookFileError::DanglingLink
        << "Skedari «%1» nuk mund të lexohet: lidhja simbolike nuk të çon te asnjë skedar.";
    QTest::newRow("an empty file") << BookFileError::Empty << "Skedari «%1» është i zbrazët.";
    QTest::newRow("a file that is not RTF")
        << BookFileError::NotRtf << "Skedari «%1» nuk është skedar RTF.";
    QTest::newRow("a device") << BookFileError::NotPlainFile
                              << "Skedari «%1» nuk mund të lexohet: nuk është skedar i zakonshëm.";
    QTest::newRow("no permission")
        << BookFileError::NoPermission
        << "Skedari «%1» nuk mund të lexohet: nuk ka leje për ta lexuar.";
    QTest::newRow("too large") << BookFileError::TooLarge
                               << "Skedari «%1» është tepër i madh për të qenë libër.";
}

void TestWording::bookFailureNamesFileAndReason()
{
    QFETCH(BookFileError, error);
    QFETCH(QString, message);
    const QString path = QStringLiteral("/libra/Velmora.rtf");
    // The system's own English detail is never shown; the path is written as the system writes it.
    QCOMPARE(bookFailureText({error, QStringLiteral("Permission denied")}, path),
             message.arg(QDir::toNativeSeparators(path)));
}

void TestWording::searchPromptsAreExact()
{
    QCOMPARE(searchPromptText(SearchPrompt::EmptyText),
             QStringLiteral("Shëno diçka në kutizën për kërkim!"));
    QCOMPARE(searchPromptText(SearchPrompt::RestartFromTop),
             QStringLiteral("Teksti nuk përmendet më!\r\n"
                            "A dëshironi të fillon kërkimi prej fillimit të tekstit?"));
    QCOMPARE(searchPromptText(SearchPrompt::NotFound), QStringLiteral("Teksti nuk përmendet!"));
    QCOMPARE(searchPromptButtons(SearchPrompt::RestartFromTop), MessageButtons::OkCancel);
    QCOMPARE(searchPromptButtons(SearchPrompt::NotFound), MessageButtons::Ok);
    QCOMPARE(searchPromptButtons(SearchPrompt::EmptyText), MessageButtons::Ok);
}

void TestWording::realBoxesSpeakAlbanian()
{
    QStringList seen;
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        for (QAbstractButton* button : box->buttons())
            seen << button->text();
        QTest::keyClick(box, Qt::Key_Escape); // closing the box counts as Cancel
    });
    QVERIFY(!messageBoxPrompter(nullptr)(SearchPrompt::RestartFromTop));
    seen.sort();
    QCOMPARE(seen, (QStringList{QStringLiteral("Anulo"), QStringLiteral("OK")}));
}

void TestWording::editMenuOfABoxIsAlbanian()
{
    QLineEdit box(QStringLiteral("fjalë"));
    const std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
    QStringList words;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator())
            words << action->text().section(u'\t', 0, 0); // without the shortcut
    }
    QCOMPARE(words, (QStringList{"&Zhbëje", "&Ribëje", "&Prije", "&Kopjoje", "&Ngjite", "Fshije",
                                 "Selektoje tërë tekstin"}));
}

void TestWording::scrollBarMenuIsAlbanian()
{
    // The scroll bar builds its menu inside its event handler; it asks for these words.
    for (const char* english :
         {"Scroll here", "Top", "Bottom", "Page up", "Page down", "Scroll up", "Scroll down"}) {
        const QString shown = QCoreApplication::translate("QScrollBar", english);
        QVERIFY2(shown != QLatin1String(english), english);
    }
}

QTEST_MAIN(TestWording)
#include "tst_wording.moc"
