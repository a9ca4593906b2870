// The words the reader sees: Qt's own widgets speak Albanian through the program's translator.

#include "albanian_translator.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

#include <memory>

using velmora::AlbanianTranslator;

class TestWording : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::installTranslator(&m_albanian); }
    void editMenuOfABoxIsAlbanian();
    void scrollBarMenuIsAlbanian();

private:
    AlbanianTranslator m_albanian;
};

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
    for (const char* english : {"Scroll here", "Top", "Bottom", "Page up", "Page down",
                                "Scroll up", "Scroll down"}) {
        const QString shown = QCoreApplication::translate("QScrollBar", english);
        QVERIFY2(shown != QLatin1String(english), english);
    }
}

QTEST_MAIN(TestWording)
#include "tst_wording.moc"
