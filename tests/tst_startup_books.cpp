// The start-up on every kind of bad book the working folder can hold: a book that cannot be
// loaded gives one message that names "Velmora.rtf" and says why in Albanian, never a system
// message in English; a book that is only damaged or large is shown, with no message, and so is
// one whose picture is damaged, read at once or on the worker.

#include "book_limits.h"
#include "book_loader.h"
#include "main_window.h"
#include "message_box.h"
#include "picture_bytes.h"
#include "rich_text_view.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>

using namespace velmora;
using namespace std::chrono_literals;

namespace {

enum class BookKind {
    Missing,
    Folder,
    LinkToItself,
    DanglingLink,
    Empty,
    NotRtf,
    Pipe,
    LinkToEndlessDevice,
    Unreadable,
    HugeSparse,
    Truncated,
    Big,
};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Lays the book of the given kind into the folder as "Velmora.rtf"; false when the system
// refuses (the test then says so).
bool layOut(BookKind book, const QString& folder)
{
    const QString path = QDir(folder).filePath(MainWindow::kBookFileName);
    const auto write = [&](const QByteArray& bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    switch (book) {
    case BookKind::Missing: return true;
    case BookKind::Folder: return QDir(folder).mkdir(MainWindow::kBookFileName);
    case BookKind::LinkToItself: return QFile::link(MainWindow::kBookFileName, path);
    case BookKind::DanglingLink: return QFile::link(QStringLiteral("Velmora-old.rtf"), path);
    case BookKind::Empty: return write({});
    case BookKind::NotRtf: return write("PK\x03\x04 Ky është një arkiv, jo libër.\n");
    case BookKind::Pipe: return mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    case BookKind::LinkToEndlessDevice: return QFile::link(QStringLiteral("/dev/zero"), path);
    case BookKind::Unreadable:
        return write("{\\rtf1 1}") && QFile::setPermissions(path, QFileDevice::WriteOwner);
    case BookKind::HugeSparse: {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write("{\\rtf1 ") == 7 &&
               file.resize(qint64(200) * 1024 * 1024);
    }
    case BookKind::Truncated: {
        const QByteArray whole = readAll(QStringLiteral(VELMORA_SAMPLE_BOOK));
        return !whole.isEmpty() && write(whole.left(whole.size() / 2));
    }
    case BookKind::Big: return QFile::copy(QStringLiteral(VELMORA_BIG_BOOK), path);
    }
    return false;
}

} // namespace

Q_DECLARE_METATYPE(BookKind)

class TestStartupBooks : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void failingBookIsNamedWithItsReason_data();
    void failingBookIsNamedWithItsReason();
    void damagedOrLargeBookIsShown_data();
    void damagedOrLargeBookIsShown();
    void damagedPictureLeavesTheBookShown_data();
    void damagedPictureLeavesTheBookShown();
    void bookThatCannotBeMadeIsDamaged();

private:
    struct Start {
        bool loaded = false;
        bool shown = false; // the main window still on the screen once the book is in view
        QStringList messages;
        QString text;
    };
    Start startIn(const QString& folder);

    QString m_startDir;
    QString m_sampleText;
};

void TestStartupBooks::initTestCase()
{
    m_startDir = QDir::currentPath();
    RichTextView view;
    QVERIFY(view.setFileName(QStringLiteral(VELMORA_SAMPLE_BOOK)));
    m_sampleText = view.Text();
    QVERIFY(m_sampleText.size() > 100000);
}

void TestStartupBooks::cleanup()
{
    QDir::setCurrent(m_startDir);
    setMessageBoxHandler({});
}

TestStartupBooks::Start TestStartupBooks::startIn(const QString& folder)
{
    Start start;
    if (!QDir::setCurrent(folder))
        return start;
    MainWindow window(0ms);
    setMessageBoxHandler([&](QWidget*, const QString& text, MessageButtons) {
        start.messages << text;
        return MessageAnswer::Ok;
    });
    start.loaded = window.Form_Load();
    if (auto* view = window.findChild<RichTextView*>(QStringLiteral("Rtf1"))) {
        start.text = view->Text(); // waits for a long book's worker
        QTest::qWait(20);          // which then reports to the window
        view->viewport()->grab();  // and its pictures are drawn
    }
    start.shown = window.isVisible();
    return start;
}

void TestStartupBooks::failingBookIsNamedWithItsReason_data()
{
    QTest::addColumn<BookKind>("book");
    QTest::addColumn<QString>("reason"); // Albanian words the message must hold

    QTest::newRow("no book in the working folder") << BookKind::Missing << "nuk u gjet";
    QTest::newRow("a folder named like the book") << BookKind::Folder << "dosje";
    QTest::newRow("a link to itself, which not even root can read")
        << BookKind::LinkToItself << "lidhja simbolike";
    QTest::newRow("a link to a book that is gone") << BookKind::DanglingLink << "lidhja simbolike";
    QTest::newRow("an empty file") << BookKind::Empty << "zbrazët";
    QTest::newRow("an archive, not RTF") << BookKind::NotRtf << "nuk është skedar RTF";
    QTest::newRow("a pipe no one writes to") << BookKind::Pipe << "nuk është skedar i zakonshëm";
    QTest::newRow("a link to an endless device")
        << BookKind::LinkToEndlessDevice << "nuk është skedar i zakonshëm";
    QTest::newRow("a file this user may not read") << BookKind::Unreadable << "leje";
    QTest::newRow("200 MB, far beyond any book") << BookKind::HugeSparse << "tepër i madh";
}

void TestStartupBooks::failingBookIsNamedWithItsReason()
{
    QFETCH(BookKind, book);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(layOut(book, folder.path()));
    if (book == BookKind::Unreadable &&
        QFileInfo(folder.filePath(MainWindow::kBookFileName)).isReadable())
        QSKIP("this user reads files whatever their permissions (root)");

    const Start start = startIn(folder.path());

    QVERIFY(!start.loaded);
    QCOMPARE(start.messages.size(), 1);
    const QString& message = start.messages.first();
    QVERIFY2(message.contains(QDir(folder.path()).canonicalPath() + "/Velmora.rtf"),
             qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
    // The system's own wording (strerror, QFile::errorString) would be English.
    static const QRegularExpression english(
        QStringLiteral(
            "\\b(no such|denied|directory|too many|not a|unknown|error|cannot|failed)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    QVERIFY2(!english.match(message).hasMatch(), qPrintable(message));
}

void TestStartupBooks::damagedOrLargeBookIsShown_data()
{
    QTest::addColumn<BookKind>("book");
    QTest::addColumn<double>("leastShare"); // of the sample book's text, at least
    QTest::addColumn<double>("mostShare");  // and at most

    QTest::newRow("the sample book cut in half") << BookKind::Truncated << 0.4 << 0.6;
    QTest::newRow("a book twenty times the sample") << BookKind::Big << 15.0 << 25.0;
}

void TestStartupBooks::damagedOrLargeBookIsShown()
{
    QFETCH(BookKind, book);
    QFETCH(double, leastShare);
    QFETCH(double, mostShare);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(layOut(book, folder.path()));

    const Start start = startIn(folder.path());

    QVERIFY2(start.loaded, qPrintable(start.messages.join(QLatin1Char('\n'))));
    QVERIFY2(start.messages.isEmpty(), qPrintable(start.messages.join(QLatin1Char('\n'))));
    const double share = double(start.text.size()) / double(m_sampleText.size());
    QVERIFY2(share >= leastShare && share <= mostShare, qPrintable(QString::number(share)));
    if (book == BookKind::Truncated) {
        // Every paragraph read before the cut shows as in the whole book.
        const QString whole = start.text.left(start.text.lastIndexOf(QLatin1Char('\r')) + 1);
        QVERIFY(m_sampleText.startsWith(whole));
    } else {
        // The big book repeats the bodies of the hadith, not the introduction before them.
        const qsizetype introduction = m_sampleText.indexOf(QStringLiteral("\r1 — "));
        QVERIFY(introduction > 0);
        QCOMPARE(start.text.left(introduction), m_sampleText.left(introduction));
    }
}

void TestStartupBooks::damagedPictureLeavesTheBookShown_data()
{
    QTest::addColumn<QByteArray>("picture"); // a \\pict group
    QTest::addColumn<bool>("onWorker");      // long enough to be read on the worker
    using namespace velmora::test;
    const QByteArray wmf = "\\wmetafile8";
    QByteArray hugeDib = dibOf(2, 2, kRed);
    hugeDib.replace(4, 8, QByteArray("\xa0\x86\x01\x00\xa0\x86\x01\x00", 8));
    const QList<std::pair<const char*, QByteArray>> pictures = {
        {"a StretchDIBits record shorter than its fixed fields",
         pict(wmf, metafileOf(record(0x0F43, words({1}))))},
        {"a metafile record longer than the metafile",
         pict(wmf, metafileOf(record(0x0F43, words({1})).replace(0, 4, "\xff\xff\xff\x7f")))},
        {"a DIB claiming 100,000 pixels square", pict("\\dibitmap0", hugeDib)},
        {"a device bitmap claiming more rows than it holds",
         pict("\\wbitmap0\\picw100000\\pich100000\\wbmbitspixel24", QByteArray(24, '\x40'))},
        {"a PNG of 30,000 pixels square", pict("\\pngblip", hugePng())},
        {"a PNG cut short", pict("\\pngblip", encoded(filled(40, 40, kRed), "PNG").left(40))},
        {"a JPEG cut short", pict("\\jpegblip", encoded(filled(64, 64, kRed), "JPG").left(200))},
        {"an EMF cut short", pict("\\emfblip", QByteArray::fromHex("010000006c000000ffffffff"))},
        {"odd hex", "{\\pict\\pngblip\\picwgoal600\\pichgoal600 89504e4g7zz}"},
    };
    for (const auto& [name, picture] : pictures) {
        QTest::addRow("%s, in a short book", name) << picture << false;
        QTest::addRow("%s, in a long one", name) << picture << true;
    }
}

void TestStartupBooks::damagedPictureLeavesTheBookShown()
{
    QFETCH(QByteArray, picture);
    QFETCH(bool, onWorker);
    QByteArray rtf = "{\\rtf1\\ansi " + picture + "\\par 1 \\u8212? Hadithi i par\\u235?.\\par ";
    while (onWorker && rtf.size() < limits::kReadInBackgroundBytes)
        rtf += QByteArray("Fjal\\u235? pas fjale. ").repeated(4096) + "\\par ";
    rtf += "}";
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QFile book(QDir(folder.path()).filePath(MainWindow::kBookFileName));
    QVERIFY(book.open(QIODevice::WriteOnly) && book.write(rtf) == rtf.size());
    book.close();

    const Start start = startIn(folder.path());

    QVERIFY2(start.loaded && start.shown, qPrintable(start.messages.join(QLatin1Char('\n'))));
    QVERIFY2(start.messages.isEmpty(), qPrintable(start.messages.join(QLatin1Char('\n'))));
    QVERIFY(start.text.contains(QStringLiteral(u"Hadithi i parë")));
}

// Memory running out while a long book is read or made on the worker (the address space limited
// to little more than the file) is said so, as the system's lack of resources or a book that
// could not be made, and the program goes on. The book's text takes one allocation twice the
// file's size, too large for the heap's free room, which a short book's might fit into.
void TestStartupBooks::bookThatCannotBeMadeIsDamaged()
{
    constexpr int megabytes = 40;
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = QDir(folder.path()).filePath(MainWindow::kBookFileName);
    const QByteArray rtf =
        "{\\rtf1 " + QByteArray("fjala ").repeated(megabytes * (1 << 20) / 6) + "}";
    QFile book(path);
    QVERIFY(book.open(QIODevice::WriteOnly) && book.write(rtf) == rtf.size());
    book.close();
    QFile status(QStringLiteral("/proc/self/status"));
    QVERIFY(status.open(QIODevice::ReadOnly));
    qint64 used = 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmSize:"))
            used = line.mid(7).trimmed().split(' ').first().toLongLong() * 1024;
    QVERIFY(used > 0);

    BookLoader loader;
    QSignalSpy failed(&loader, &BookLoader::bookFailed);
    rlimit before{};
    QCOMPARE(getrlimit(RLIMIT_AS, &before), 0);
    rlimit tight = before; // the file's bytes, a worker's stack and its memory, little more
    tight.rlim_cur = rlim_t(used + rtf.size() + (48 << 20));
    QCOMPARE(setrlimit(RLIMIT_AS, &tight), 0);
    const BookFileOutcome outcome = loader.load(path);
    const bool reported = outcome.error == BookFileError::Damaged ||
                          outcome.error == BookFileError::NoResources ||
                          (outcome.ok() && loader.isReading() && failed.wait(30000));
    setrlimit(RLIMIT_AS, &before);
    QVERIFY(reported);
    QCOMPARE(loader.takeBook().has_value(), false);
}

QTEST_MAIN(TestStartupBooks)
#include "tst_startup_books.moc"
